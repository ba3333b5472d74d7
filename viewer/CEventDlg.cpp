#include "viewer/CEventDlg.h"

#include "records/EventLimitsConfig.h"
#include "records/RecordPoints.h"
#include "records/StatisticsText.h"
#include "widgets/Fonts.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace zel {

namespace {

constexpr int kMargin = 10;
constexpr int kRowHeight = 24;
constexpr int kWidth = 640;
constexpr int kTableHeight = 320;

QString Unit(LimitKind kind) {
    return kind == LimitKind::Unbalance ? QStringLiteral("%") : QStringLiteral("A");
}

} // namespace

CEventDlg::CEventDlg(QWidget* parent) : CMyDialog(parent, false) {
    setFont(ShellDlgFont(9));
    SetTitle(tr("Velquist－越限事件"));
    SetMovableByStrip(true);
    int y = kStripHeight + 8;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        const int x = kMargin + k * 156;
        switches_[k] = new QCheckBox(LimitCaption(kind) + QStringLiteral(" >"), this);
        switches_[k]->setObjectName(QStringLiteral("%1On").arg(LimitName(kind)));
        switches_[k]->setGeometry(x, y, 106, kRowHeight - 4);
        fields_[k] = new QLineEdit(this);
        fields_[k]->setObjectName(QStringLiteral("%1Above").arg(LimitName(kind)));
        fields_[k]->setGeometry(x + 106, y, 34, kRowHeight - 4);
        auto* unit = new QLabel(Unit(kind), this);
        unit->setGeometry(x + 143, y, 12, kRowHeight - 4);
    }
    y += kRowHeight + 2;
    auto* least = new QLabel(tr("最少持续："), this);
    least->setGeometry(kMargin, y, 70, kRowHeight - 4);
    minPoints_ = new QLineEdit(this);
    minPoints_->setObjectName(QStringLiteral("minPoints"));
    minPoints_->setGeometry(kMargin + 72, y, 50, kRowHeight - 4);
    auto* points = new QLabel(tr("点"), this);
    points->setGeometry(kMargin + 126, y, 20, kRowHeight - 4);
    apply_ = new QPushButton(tr("重新查找"), this);
    apply_->setObjectName(QStringLiteral("apply"));
    apply_->setGeometry(kMargin + 156, y - 2, 80, kRowHeight);
    apply_->setAutoDefault(false);
    connect(apply_, &QPushButton::clicked, this, &CEventDlg::ApplyAsked);
    export_ = new QPushButton(tr("导出CSV"), this);
    export_->setObjectName(QStringLiteral("export"));
    export_->setGeometry(kMargin + 242, y - 2, 80, kRowHeight);
    export_->setAutoDefault(false);
    connect(export_, &QPushButton::clicked, this, &CEventDlg::ExportAsked);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("count"));
    count_->setGeometry(kMargin + 336, y, kWidth - 2 * kMargin - 336, kRowHeight - 4);
    y += kRowHeight + 4;

    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("table"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->setColumnCount(static_cast<int>(Header().size()));
    table_->setHorizontalHeaderLabels(Header());
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setGeometry(kMargin, y, kWidth - 2 * kMargin, kTableHeight);
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { emit EventChosen(row); });
    resize(kWidth, y + kTableHeight + kMargin);
}

QString CEventDlg::LimitCaption(LimitKind kind) {
    switch (kind) {
    case LimitKind::Ch1:
        return tr("CH1电流");
    case LimitKind::Ch2:
        return tr("CH2电流");
    case LimitKind::Difference:
        return tr("电流差");
    case LimitKind::Unbalance:
        return tr("不平衡系数");
    }
    return {};
}

QStringList CEventDlg::Header() {
    return {tr("越限项"), tr("开始"), tr("结束"), tr("持续(秒)"), tr("最大值")};
}

QStringList CEventDlg::Row(const LimitEvent& e, const RecordPoints& points) {
    return {LimitCaption(e.limit), QString::fromStdString(points.PreciseTimeText(e.first)),
            QString::fromStdString(points.PreciseTimeText(e.last)),
            QString::fromStdString(OneDecimal(e.DurationSeconds())),
            QString::number(e.max) + Unit(e.limit)};
}

QString CEventDlg::LimitsText(const EventLimits& limits) {
    QStringList parts;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        if (limits[kind].on)
            parts << QStringLiteral("%1 > %2%3")
                         .arg(LimitCaption(kind))
                         .arg(limits[kind].above)
                         .arg(Unit(kind));
    }
    if (parts.isEmpty())
        return {};
    parts << tr("最少持续 %1 点").arg(limits.minPoints);
    return parts.join(tr("，"));
}

void CEventDlg::SetLimits(const EventLimits& limits) {
    shown_ = limits;
    for (int k = 0; k < kLimitKinds; ++k) {
        switches_[k]->setChecked(limits.limit[k].on);
        fields_[k]->setText(QString::number(limits.limit[k].above));
    }
    minPoints_->setText(QString::number(limits.minPoints));
}

std::optional<EventLimits> CEventDlg::LimitsGiven() {
    EventLimits limits = shown_;
    for (int k = 0; k < kLimitKinds; ++k) {
        const auto kind = static_cast<LimitKind>(k);
        const auto value = ParseLimitValue(kind, fields_[k]->text().trimmed().toStdString());
        limits[kind].on = switches_[k]->isChecked();
        if (value) {
            limits[kind].above = *value;
        } else if (limits[kind].on) {
            MessageBox::Error(this, kind == LimitKind::Unbalance
                                        ? tr("不平衡度限值应为0到100的整数!")
                                        : tr("电流限值应为不小于0的整数!"));
            return std::nullopt;
        }
    }
    const auto least = ParseMinPoints(minPoints_->text().trimmed().toStdString());
    if (!least) {
        MessageBox::Error(this, tr("最少持续点数应为1到1000000的整数!"));
        return std::nullopt;
    }
    limits.minPoints = *least;
    return limits;
}

void CEventDlg::SetBusy() {
    count_->setText(tr("正在查找…"));
    table_->setRowCount(0);
    apply_->setEnabled(false);
    export_->setEnabled(false);
}

void CEventDlg::SetEvents(const std::vector<LimitEvent>& events, const RecordPoints& points) {
    apply_->setEnabled(true);
    export_->setEnabled(!events.empty());
    const int rows = static_cast<int>(std::min<std::size_t>(events.size(), kMaxRows));
    if (!shown_.Any())
        count_->setText(tr("未设定越限值"));
    else if (rows < static_cast<int>(events.size()))
        count_->setText(tr("共%1个事件（列出前%2个）").arg(events.size()).arg(rows));
    else
        count_->setText(tr("共%1个事件").arg(events.size()));
    table_->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const LimitEvent& e = events[static_cast<std::size_t>(r)];
        const QString cells[] = {LimitCaption(e.limit),
                                 QString::fromStdString(points.PreciseTimeText(e.first)),
                                 QString::fromStdString(points.PreciseTimeText(e.last)),
                                 QString::fromStdString(OneDecimal(e.DurationSeconds())),
                                 QString::number(e.max) + Unit(e.limit)};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, item);
        }
    }
    table_->resizeColumnsToContents();
}

QString CEventDlg::CountText() const {
    return count_->text();
}

QString CEventDlg::Cell(int row, int column) const {
    const QTableWidgetItem* item = table_->item(row, column);
    return item ? item->text() : QString();
}

} // namespace zel
