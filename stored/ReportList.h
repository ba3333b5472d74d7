#pragma once

#include <QStringList>
#include <QTreeWidget>
#include <string>
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

    // `path` is the file the row names, byte for byte as the file system gave it; column 1
    // shows it as text, which may not give the bytes back.
    void AppendRow(const QStringList& cells, const std::string& path = {});
    int RowCount() const { return topLevelItemCount(); }
    QString Cell(int row, int column) const;
    // The file the row names: the path given with the row, or else the text of column 1.
    std::string Path(int row) const;
    void RemoveRow(int row);

    bool IsTicked(int row) const;
    void SetTicked(int row, bool ticked);
    void SetAllTicked(bool ticked);
    // The rows whose check box is ticked, top to bottom.
    std::vector<int> TickedRows() const;
};

} // namespace zel
