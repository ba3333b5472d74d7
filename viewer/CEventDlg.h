#pragma once

#include "records/Events.h"
#include "widgets/CMyDialog.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace zel {

class RecordPoints;

// The record viewer's event list: the limits it was found with, which the user may change for
// the record shown, and one row an event (limit, start, end, duration, maximum). A double click
// on a row asks the viewer to show that event. Dragged by its title strip, like the statistics
// window, so it need not hide the plot.
class CEventDlg : public CMyDialog {
    Q_OBJECT

public:
    // Rows listed at most; the count above the table tells how many there are.
    static constexpr int kMaxRows = 10000;

    explicit CEventDlg(QWidget* parent = nullptr);

    void SetLimits(const EventLimits& limits);
    // The limits in the fields; nothing, after saying why, when one switched on is not valid.
    std::optional<EventLimits> LimitsGiven();
    // The events found (in time order), or, with `busy`, that they are being looked for.
    void SetEvents(const std::vector<LimitEvent>& events, const RecordPoints& points);
    void SetBusy();

    QCheckBox* LimitSwitch(LimitKind kind) const { return switches_[static_cast<int>(kind)]; }
    QLineEdit* LimitField(LimitKind kind) const { return fields_[static_cast<int>(kind)]; }
    QLineEdit* MinPointsField() const { return minPoints_; }
    QPushButton* ApplyButton() const { return apply_; }
    QPushButton* ExportButton() const { return export_; }
    QTableWidget* Table() const { return table_; }
    QString CountText() const;
    QString Cell(int row, int column) const;

    // "CH1电流", "CH2电流", "电流差", "不平衡系数"
    static QString LimitCaption(LimitKind kind);
    static QStringList Header();
    // An event's row: its limit, start, end, duration and maximum with its unit.
    static QStringList Row(const LimitEvent& event, const RecordPoints& points);
    // "CH1电流 > 150A，电流差 > 60A，最少持续 2 点"; empty when no limit is on.
    static QString LimitsText(const EventLimits& limits);

signals:
    // 重新查找 was pressed.
    void ApplyAsked();
    // 导出CSV was pressed.
    void ExportAsked();
    // A row was double-clicked.
    void EventChosen(int row);

private:
    std::array<QCheckBox*, kLimitKinds> switches_{};
    std::array<QLineEdit*, kLimitKinds> fields_{};
    QLineEdit* minPoints_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* count_ = nullptr;
    QTableWidget* table_ = nullptr;
    EventLimits shown_;
};

} // namespace zel
