#include "viewer/CStatDlg.h"

#include "widgets/Fonts.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

namespace zel {

namespace {

constexpr int kMargin = 10;
constexpr int kRangeHeight = 22;

} // namespace

CStatDlg::CStatDlg(QWidget* parent) : CMyDialog(parent, false) {
    setFont(ShellDlgFont(9));
    SetTitle(tr("Velquist－统计"));
    SetMovableByStrip(true);
    range_ = new QLabel(this);
    range_->setObjectName(QStringLiteral("range"));
    range_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("table"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table_->verticalHeader()->hide();
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void CStatDlg::SetTable(const StatisticsTable& table, const QString& what) {
    range_->setText(what + QStringLiteral("    ") + table.RangeText());
    const QStringList header = StatisticsTable::Header();
    table_->clear();
    table_->setColumnCount(static_cast<int>(header.size()));
    table_->setHorizontalHeaderLabels(header);
    table_->setRowCount(static_cast<int>(table.rows.size()));
    for (int r = 0; r < static_cast<int>(table.rows.size()); ++r) {
        for (int c = 0; c < table.rows[r].size() && c < header.size(); ++c) {
            auto* item = new QTableWidgetItem(table.rows[r][c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
    table_->resizeRowsToContents();

    // The window fits the table and the range line, whichever is wider.
    int width = table_->frameWidth() * 2;
    for (int c = 0; c < table_->columnCount(); ++c) {
        table_->setColumnWidth(c, table_->columnWidth(c) + 12);
        width += table_->columnWidth(c);
    }
    int height = table_->frameWidth() * 2 + table_->horizontalHeader()->height();
    for (int r = 0; r < table_->rowCount(); ++r)
        height += table_->rowHeight(r);
    width = std::max(width, range_->sizeHint().width());
    range_->setGeometry(kMargin, kStripHeight + 8, width, kRangeHeight);
    table_->setGeometry(kMargin, kStripHeight + 8 + kRangeHeight + 6, width, height);
    resize(width + 2 * kMargin, table_->geometry().bottom() + 1 + kMargin);
}

QString CStatDlg::RangeText() const {
    return range_->text();
}

QString CStatDlg::Cell(int row, int column) const {
    const QTableWidgetItem* item = table_->item(row, column);
    return item ? item->text() : QString();
}

int CStatDlg::RowCount() const {
    return table_->rowCount();
}

} // namespace zel
