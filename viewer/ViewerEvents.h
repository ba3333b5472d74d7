#pragma once

#include "records/Events.h"
#include "records/RecordFile.h"
#include "viewer/ViewerJob.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QPushButton;

namespace zel {

class CEventDlg;
class CViewDlg;

// The record viewer's events: on opening a record they are looked for with the limits of
// config.ini, off the window thread, and drawn as bands on the trend plot; the 越限事件 button
// in the title strip (or the E key) shows them listed in a window of their own, where the
// limits can be changed for this record alone. A double click on an event brings it into view
// in both plots with the cursors on its maximum.
class ViewerEvents : public QObject {
    Q_OBJECT

public:
    enum : int { kEvents = 1033 };

    explicit ViewerEvents(CViewDlg* viewer);
    ~ViewerEvents() override;

    // The record now shown: its events are looked for with config.ini's limits.
    void SetRecord(std::shared_ptr<const RecordImage> record, const QString& path);
    void SetPlaying(bool playing);

    // Limits for the record shown, until another is opened; the events are looked for anew.
    void SetLimits(const EventLimits& limits);
    const EventLimits& Limits() const { return limits_; }
    // The events of the record shown with the limits in force; empty while they are looked for.
    const std::vector<LimitEvent>& Events() const { return events_; }
    bool Busy() const { return job_.Busy(); }

    QPushButton* Button() const { return button_; }
    CEventDlg* Window() const { return window_; } // null until first shown
    void ShowWindow();
    // Brings event i into view with the cursors on its maximum.
    void ShowEvent(int i);
    // Asks for a file and writes the events there as CSV (EventsCsv); false when nothing was
    // written (no file chosen, or it could not be written, which is said).
    bool ExportCsv();

signals:
    // The events of the record shown have been found.
    void EventsFound();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Find();
    void PlaceButton();
    void UpdateButton();

    CViewDlg* viewer_;
    QPushButton* button_ = nullptr;
    CEventDlg* window_ = nullptr;
    std::shared_ptr<const RecordImage> record_;
    QString path_;
    EventLimits limits_;
    std::vector<LimitEvent> events_;
    bool playing_ = false;
    ViewerJob job_;
};

} // namespace zel
