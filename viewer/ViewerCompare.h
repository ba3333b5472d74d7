#pragma once

#include "records/RecordFile.h"

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
class ViewerCompare : public QObject {
    Q_OBJECT

public:
    enum class Align { ClockTime, Start };

    explicit ViewerCompare(CViewDlg* viewer);
    ~ViewerCompare() override;

    void SetRecord(std::shared_ptr<const RecordImage> record);

    // Asks for a record file and opens it as the overlay.
    void AskAndOpen();
    // Opens the overlay. A record with no clock time in common with the one shown says so and
    // offers alignment by start; false when nothing was opened.
    bool Open(const QString& path);
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Overlaps(const RecordImage& other) const;

    CViewDlg* viewer_;
    std::shared_ptr<const RecordImage> record_;
    std::shared_ptr<const RecordImage> other_;
    QString otherName_;
    Align align_ = Align::ClockTime;
    std::int64_t offset_ = 0; // overlay point = shown point − offset
    QWidget* overlay_ = nullptr;
    QLabel* readout_ = nullptr;
};

} // namespace zel
