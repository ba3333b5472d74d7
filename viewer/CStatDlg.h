#pragma once

#include "viewer/StatisticsTable.h"
#include "widgets/CMyDialog.h"

class QLabel;
class QTableWidget;

namespace zel {

// The record viewer's statistics window: the range the numbers are about and a table of the
// statistics (see StatisticsTable). It stays open beside the viewer and shows the latest
// result each time the user asks for statistics. Unlike the program's other windows it can be
// dragged by its title strip, so that it need not hide the part of the plot it is about.
class CStatDlg : public CMyDialog {
    Q_OBJECT

public:
    explicit CStatDlg(QWidget* parent = nullptr);

    // Fills in the table and fits the window to it. `what` says which points: "当前视图" (the
    // trend plot's view) or "选定范围" (a selection).
    void SetTable(const StatisticsTable& table, const QString& what);

    QString RangeText() const;
    QString Cell(int row, int column) const; // row 0 is the first quantity, column 0 its name
    int RowCount() const;

private:
    QLabel* range_ = nullptr;
    QTableWidget* table_ = nullptr;
};

} // namespace zel
