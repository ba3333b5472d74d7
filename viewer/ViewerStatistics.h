#pragma once

#include "records/RecordFile.h"
#include "records/RecordPoints.h"
#include "viewer/ViewerJob.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <map>
#include <memory>

class QPushButton;

namespace zel {

class CStatDlg;
class CViewDlg;
struct ReportContent;
struct StatisticsTable;

// The record viewer's statistics and exports, on three buttons in its title strip (the
// strip below holds no room to spare): 统计 shows the statistics of the trend plot's selection,
// or of its view without one, in a window of their own; 导出报告 writes a one-page PDF report
// of the record with both plots as shown and those statistics; 导出CSV writes the same points
// as CSV. The work runs off the window thread and reads the record the plots share.
class ViewerStatistics : public QObject {
    Q_OBJECT

public:
    // The look of the buttons in the viewer's title strip, shared with the other strip buttons.
    static void StyleStripButton(QPushButton* button);
    // A strip button as wide as its text needs, and no narrower than the others' usual width;
    // its box in the strip with its right edge at `right`.
    static int StripButtonWidth(const QPushButton* button);
    static QRect StripButtonBox(int right, const QPushButton* button);
    // The left edge of the three buttons, where the strip's other buttons end (4 pixels apart).
    int StripLeft() const;

    enum : int { kStatistics = 1030, kExportReport = 1031, kExportCsv = 1032 };

    explicit ViewerStatistics(CViewDlg* viewer);
    ~ViewerStatistics() override;

    // The record now shown; statistics and exports are about it from now on.
    void SetRecord(std::shared_ptr<const RecordImage> record, const QString& path);
    // The record shown, shared with the plots; null before the first.
    std::shared_ptr<const RecordImage> Record() const { return record_; }
    void SetPlaying(bool playing);

    QPushButton* Button(int id) const;
    CStatDlg* StatisticsWindow() const { return window_; } // null until first shown
    bool Busy() const { return job_.Busy(); }

    // The points the buttons work on, and "选定范围" or "当前视图" for which they are.
    PointRange Range(QString* what = nullptr) const;

    void ShowStatistics();
    void ExportReport();
    void ExportCsv();

signals:
    // A job has handed its result to the window (statistics shown, file written or refused).
    void JobFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceButtons();
    void UpdateButtons();
    // The range to work on, or nothing (with a message) when it holds no point.
    bool TakeRange(PointRange& range, QString& what);
    QString AskForFile(const QString& filter, const QString& suffix);
    void ShowWindow(const StatisticsTable& table, const QString& what);
    ReportContent ReportBase(const QString& what) const;
    void Finish(const QString& error);

    CViewDlg* viewer_;
    std::map<int, QPushButton*> buttons_;
    CStatDlg* window_ = nullptr;
    std::shared_ptr<const RecordImage> record_;
    QString path_;
    bool playing_ = false;
    ViewerJob job_;
};

} // namespace zel
