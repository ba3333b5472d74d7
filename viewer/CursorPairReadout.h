#pragma once

#include "records/RecordFile.h"
#include "records/RecordStatistics.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>

class QLabel;
class QWidget;

namespace zel {

class CViewDlg;

// The values at the trend cursor (A) and a second cursor (B), and the statistics of the points
// from one to the other, both included.
struct CursorPairValues {
    std::int64_t a = 0;
    std::int64_t b = 0;
    double deltaSeconds = 0; // B − A
    int ch1[2] = {};         // at A, at B
    int ch2[2] = {};
    int difference[2] = {};
    RecordStatistics between;
};

std::optional<CursorPairValues> CursorPairAt(const RecordImage& record, std::int64_t a,
                                             std::int64_t b);

// A second cursor on the viewer's trend plot, placed with Shift and a click (or from the
// context menu) and drawn as a dashed line; while it and the trend cursor both stand on points,
// a small table over the plot shows Δt, the values at A and B, B − A and the statistics
// between them.
class CursorPairReadout : public QObject {
    Q_OBJECT

public:
    explicit CursorPairReadout(CViewDlg* viewer);
    ~CursorPairReadout() override;

    // The record now shown; B is taken away.
    void SetRecord(std::shared_ptr<const RecordImage> record);
    void SetB(std::optional<std::int64_t> index);
    std::optional<std::int64_t> B() const { return b_; }
    // The values shown now; nothing while the table is hidden.
    std::optional<CursorPairValues> Values() const { return values_; }
    QLabel* Table() const { return table_; }
    // Follows the trend cursor and the view; the viewer calls it on every trend readout.
    void Update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    CViewDlg* viewer_;
    std::shared_ptr<const RecordImage> record_;
    std::optional<std::int64_t> b_;
    std::optional<CursorPairValues> values_;
    QLabel* table_ = nullptr;
    QWidget* line_ = nullptr;
};

} // namespace zel
