#include "stored/ReportList.h"

#include <QHeaderView>

namespace zel {

ReportList::ReportList(const QStringList& headers, QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(static_cast<int>(headers.size()));
    setHeaderLabels(headers);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Long paths keep their file name in sight.
    setTextElideMode(Qt::ElideMiddle);
    header()->setStretchLastSection(false);
    header()->setDefaultAlignment(Qt::AlignCenter);
    header()->setSectionsMovable(false);
    for (int column = 0; column < columnCount() && column < int(std::size(kColumnWidths)); ++column)
        setColumnWidth(column, kColumnWidths[column]);
}

namespace {
constexpr int kPathColumn = 1;
constexpr int kPathRole = Qt::UserRole;
} // namespace

void ReportList::AppendRow(const QStringList& cells, const std::string& path) {
    auto* item = new QTreeWidgetItem(cells);
    if (!path.empty())
        item->setData(kPathColumn, kPathRole,
                      QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    for (int column = 0; column < columnCount(); ++column)
        item->setTextAlignment(column, Qt::AlignCenter);
    addTopLevelItem(item);
}

QString ReportList::Cell(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

std::string ReportList::Path(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return {};
    const QVariant stored = item->data(kPathColumn, kPathRole);
    if (stored.isValid())
        return stored.toByteArray().toStdString();
    return item->text(kPathColumn).toStdString();
}

void ReportList::RemoveRow(int row) {
    delete takeTopLevelItem(row);
}

bool ReportList::IsTicked(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && item->checkState(0) == Qt::Checked;
}

void ReportList::SetTicked(int row, bool ticked) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void ReportList::SetAllTicked(bool ticked) {
    for (int row = 0; row < RowCount(); ++row)
        SetTicked(row, ticked);
}

std::vector<int> ReportList::TickedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < RowCount(); ++row)
        if (IsTicked(row))
            rows.push_back(row);
    return rows;
}

} // namespace zel
