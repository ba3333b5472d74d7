#pragma once

#include <QStringList>
#include <QTreeWidget>
#include <vector>

namespace zel {

// The list of the stored-record windows: a list view in report style with full-row selection,
// a check box on every row and four centred columns of fixed pixel widths. Rows are appended
// unticked.
class ReportList : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kColumnWidths[] = {80, 460, 200, 100};

    ReportList(const QStringList& headers, QWidget* parent = nullptr);

    void AppendRow(const QStringList& cells);
    int RowCount() const { return topLevelItemCount(); }
    QString Cell(int row, int column) const;
    void RemoveRow(int row);

    bool IsTicked(int row) const;
    void SetTicked(int row, bool ticked);
    void SetAllTicked(bool ticked);
    // The rows whose check box is ticked, top to bottom.
    std::vector<int> TickedRows() const;
};

} // namespace zel
