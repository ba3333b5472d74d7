#pragma once

#include "records/RecordFile.h"
#include "viewer/ViewerJob.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

class QLabel;
class QWidget;

namespace zel {

class CViewDlg;

// A second record of either kind drawn over the viewer's trend plot, its two currents in
// lighter colours, aligned with the record shown by clock time or by start; a small readout
// gives its values at the trend cursor. Closing it, or opening another record, returns to the
// normal view.
//
// The second record is read as the viewer reads its own: a waveform record stays in its file
// and only its currents are kept (8 bytes a block), gathered off the window's thread while the
// viewer's progress panel shows how far the reading has come. Cancelling it, closing the
// overlay, opening another record or closing the viewer stops the reading and drops it: the
// overlay shown before stays as it was.
class ViewerCompare : public QObject {
    Q_OBJECT

public:
    enum class Align { ClockTime, Start };

    explicit ViewerCompare(CViewDlg* viewer);
    ~ViewerCompare() override;

    void SetRecord(std::shared_ptr<const RecordImage> record);

    // Asks for a record file and opens it as the overlay.
    void AskAndOpen();
    // Starts reading the record file as the overlay; false when it cannot start (no record is
    // shown, or the progress panel is taken by another job). When it has been read, a record
    // with no clock time in common with the one shown says so and offers alignment by start;
    // LoadFinished tells whether the overlay was opened.
    bool Open(const QString& path);
    bool Loading() const { return job_.Busy(); }
    // Stops a reading under way; nothing of it is kept.
    void CancelLoad();
    // Closes the overlay, and stops a reading under way.
    void Close();
    bool IsOpen() const { return other_ != nullptr; }

    Align Alignment() const { return align_; }
    // Aligned by clock time, refused (false) when the records do not overlap.
    bool SetAlignment(Align align);

    // The overlay's point at the shown record's point `index`, when it has one there.
    std::optional<std::int64_t> OtherPoint(std::int64_t index) const;
    const RecordImage* Other() const { return other_.get(); }
    QLabel* Readout() const { return readout_; }
    // Follows the trend cursor; the viewer calls it on every trend readout.
    void Update();

signals:
    void LoadFinished(bool opened);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Loaded {
        std::shared_ptr<const RecordImage> image;
        RecordReadFailure failure;
    };
    static Loaded Load(const std::string& path, const std::atomic<bool>& cancelled,
                       std::atomic<int>& progress);
    void Finish(const QString& path, const Loaded& loaded);
    bool Overlaps(const RecordImage& other) const;

    CViewDlg* viewer_;
    std::shared_ptr<const RecordImage> record_;
    std::shared_ptr<const RecordImage> other_;
    QString otherName_;
    Align align_ = Align::ClockTime;
    std::int64_t offset_ = 0; // overlay point = shown point − offset
    QWidget* overlay_ = nullptr;
    QLabel* readout_ = nullptr;
    ViewerJob job_;
};

} // namespace zel
