#include "viewer/CursorPairReadout.h"

#include "plot/CurseWnd.h"
#include "records/RecordPoints.h"
#include "records/SampleBlock.h"
#include "records/StatisticsText.h"
#include "viewer/ViewDlg.h"
#include "viewer/ViewerNotes.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace zel {

namespace {

const QColor kCursorBColour(0, 220, 255);

// Cursor B over the trend plot, taking no input.
class CursorBLine : public QWidget {
public:
    CursorBLine(CCurseWnd* plot, const CursorPairReadout* pair)
        : QWidget(plot), plot_(plot), pair_(pair) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(plot->rect());
        raise();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!pair_->B())
            return;
        const auto x = NoteX(*plot_, false, *pair_->B());
        if (!x)
            return;
        const QRect client = plot_->ClientRect();
        QPainter painter(this);
        painter.setClipRect(client);
        painter.setPen(QPen(kCursorBColour, 0, Qt::DashLine));
        painter.drawLine(*x, client.top(), *x, client.bottom());
        painter.setPen(kCursorBColour);
        painter.drawText(*x + 3, client.top() + 22, QStringLiteral("B"));
    }

private:
    CCurseWnd* plot_;
    const CursorPairReadout* pair_;
};

QString Cell(const QString& text) {
    return QStringLiteral("<td align=right>&nbsp;%1&nbsp;</td>").arg(text);
}

QString Row(const QString& name, int a, int b, const QString& mean, int min, int max) {
    return QStringLiteral("<tr><td>%1</td>").arg(name) + Cell(QString::number(a)) +
           Cell(QString::number(b)) + Cell(QString::number(static_cast<long long>(b) - a)) +
           Cell(mean) + Cell(QString::number(min)) + Cell(QString::number(max)) +
           QStringLiteral("</tr>");
}

QString TableText(const CursorPairValues& v) {
    const RecordStatistics& s = v.between;
    QString html = QCoreApplication::translate("zel::CursorPairReadout",
                                               "<b>Δt = %1 s</b> (%2 点)<table cellspacing=0>")
                       .arg(QString::fromStdString(OneDecimal(v.deltaSeconds)))
                       .arg(s.Points());
    html += QStringLiteral("<tr><td></td>") + Cell(QStringLiteral("A")) +
            Cell(QStringLiteral("B")) + Cell(QStringLiteral("B−A")) +
            Cell(QCoreApplication::translate("zel::CursorPairReadout", "平均")) +
            Cell(QCoreApplication::translate("zel::CursorPairReadout", "最小")) +
            Cell(QCoreApplication::translate("zel::CursorPairReadout", "最大")) +
            QStringLiteral("</tr>");
    const auto mean = [](double m) { return QString::fromStdString(TwoDecimals(m)); };
    html += Row(QStringLiteral("CH1"), v.ch1[0], v.ch1[1], mean(s.Mean(0)), s.channel[0].min,
                s.channel[0].max);
    html += Row(QStringLiteral("CH2"), v.ch2[0], v.ch2[1], mean(s.Mean(1)), s.channel[1].min,
                s.channel[1].max);
    html += Row(QCoreApplication::translate("zel::CursorPairReadout", "电流差"), v.difference[0],
                v.difference[1], mean(s.DifferenceMean()), s.difference.min, s.difference.max);
    return html + QStringLiteral("</table>");
}

} // namespace

std::optional<CursorPairValues> CursorPairAt(const RecordImage& record, std::int64_t a,
                                             std::int64_t b) {
    const RecordPoints points(record);
    const std::int64_t n = points.Count();
    if (a < 0 || b < 0 || a >= n || b >= n)
        return std::nullopt;
    const auto stats = ComputeRecordStatistics(record, PointRange::Of(a, b, n));
    if (!stats)
        return std::nullopt;
    CursorPairValues v;
    v.a = a;
    v.b = b;
    v.deltaSeconds = 0.5 * static_cast<double>(b - a);
    for (int k = 0; k < 2; ++k) {
        const TrendPoint p = points.At(k == 0 ? a : b);
        v.ch1[k] = p.ch1;
        v.ch2[k] = p.ch2;
        v.difference[k] = CurrentDifference(p.ch1, p.ch2);
    }
    v.between = *stats;
    return v;
}

CursorPairReadout::CursorPairReadout(CViewDlg* viewer) : viewer_(viewer) {
    CCurseWnd* trend = viewer->TrendPlot();
    line_ = new CursorBLine(trend, this);
    table_ = new QLabel(viewer);
    table_->setObjectName(QStringLiteral("cursorPair"));
    table_->setTextFormat(Qt::RichText);
    table_->setAttribute(Qt::WA_TransparentForMouseEvents);
    table_->setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(20, 20, 20, 215);"
                                         " border: 1px solid rgb(0, 220, 255); padding: 3px; }"));
    table_->hide();
    trend->installEventFilter(this);
}

CursorPairReadout::~CursorPairReadout() = default;

void CursorPairReadout::SetRecord(std::shared_ptr<const RecordImage> record) {
    record_ = std::move(record);
    SetB(std::nullopt);
}

void CursorPairReadout::SetB(std::optional<std::int64_t> index) {
    b_ = index;
    line_->update();
    Update();
}

void CursorPairReadout::Update() {
    const auto a = viewer_->TrendPlot()->CursorPoint();
    // A repaint with both cursors where they were costs no second pass over the points.
    if (values_ && a && b_ && values_->a == *a && values_->b == *b_ && table_->isVisible())
        return;
    std::optional<CursorPairValues> values;
    if (record_ && b_ && a)
        values = CursorPairAt(*record_, *a, *b_);
    values_ = values;
    if (!values_) {
        table_->hide();
        return;
    }
    table_->setText(TableText(*values_));
    table_->adjustSize();
    Place();
    table_->show();
    table_->raise();
}

void CursorPairReadout::Place() {
    // Inside the trend plot's top left corner, clear of the scale label.
    const CCurseWnd* trend = viewer_->TrendPlot();
    table_->move(trend->mapTo(viewer_, trend->ClientRect().topLeft() + QPoint(110, 6)));
}

bool CursorPairReadout::eventFilter(QObject* watched, QEvent* event) {
    auto* trend = viewer_->TrendPlot();
    if (watched != trend)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !(mouse->modifiers() & Qt::ShiftModifier) ||
            !record_ || viewer_->Playing())
            break;
        if (event->type() == QEvent::MouseButtonRelease)
            SetB(trend->PointAtX(mouse->position().toPoint().x()));
        return true; // cursor A stays where it is
    }
    case QEvent::Resize:
        line_->setGeometry(trend->rect());
        Place();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zel
