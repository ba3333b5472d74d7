#include "viewer/ReportWriter.h"

#include "viewer/CEventDlg.h"

#include "widgets/Fonts.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>
#include <numeric>

namespace zel {

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kMarginMm = 12.0;
// Notes listed on the page; a record with more has them counted below the list.
constexpr int kMaxReportNotes = 12;
const QColor kGridColour(150, 150, 150);
const QColor kHeaderFill(230, 236, 245);

QFont ReportFont(double points, bool bold = false) {
    QFont font = GuiFont(12);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Lays the page out from top to bottom in device pixels of the PDF writer.
class ReportPage {
public:
    ReportPage(QPainter& painter, const QRect& area) : p_(painter), area_(area), y_(area.top()) {}

    int Mm(double mm) const { return static_cast<int>(mm * kDotsPerInch / 25.4); }
    int Remaining() const { return area_.bottom() - y_; }

    void Title(const QString& text) {
        Line(text, ReportFont(16, true), Qt::AlignHCenter);
        y_ += Mm(3);
    }

    // Label and value pairs in two columns.
    void Facts(const std::vector<std::pair<QString, QString>>& facts) {
        const QFont font = ReportFont(10);
        const int h = QFontMetrics(font, p_.device()).height();
        p_.setFont(font);
        p_.setPen(Qt::black);
        for (std::size_t i = 0; i < facts.size(); ++i) {
            const int column = static_cast<int>(i % 2);
            const QRect box(area_.left() + column * area_.width() / 2, y_, area_.width() / 2, h);
            p_.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                        facts[i].first + QCoreApplication::translate("zel::ReportWriter", "：") +
                            facts[i].second);
            if (column == 1 || i + 1 == facts.size())
                y_ += h + Mm(1);
        }
        y_ += Mm(2);
    }

    void Line(const QString& text, const QFont& font, Qt::Alignment align = Qt::AlignLeft) {
        const int h = QFontMetrics(font, p_.device()).height();
        p_.setFont(font);
        p_.setPen(Qt::black);
        p_.drawText(QRect(area_.left(), y_, area_.width(), h), align | Qt::AlignVCenter, text);
        y_ += h + Mm(1);
    }

    // A picture as wide as the page allows within maxHeight, keeping its proportions.
    void Picture(const QImage& picture, int maxHeight) {
        if (picture.isNull() || maxHeight <= 0)
            return;
        QSize size = picture.size().scaled(area_.width(), maxHeight, Qt::KeepAspectRatio);
        const QRect target(area_.left() + (area_.width() - size.width()) / 2, y_, size.width(),
                           size.height());
        p_.drawImage(target, picture);
        p_.setPen(QPen(kGridColour, 0));
        p_.drawRect(target);
        y_ += size.height() + Mm(3);
    }

    int TableHeight(std::size_t rows) const { return static_cast<int>(rows + 1) * RowHeight(); }

    void Table(const QStringList& header, const std::vector<QStringList>& rows) {
        const QFont font = ReportFont(8.5);
        const QFontMetrics metrics(font, p_.device());
        // Columns as wide as their widest text, the spare width shared out evenly.
        std::vector<int> widths(static_cast<std::size_t>(header.size()), 0);
        const auto measure = [&](const QStringList& cells) {
            for (int c = 0; c < cells.size() && c < header.size(); ++c)
                widths[c] = std::max(widths[c], metrics.horizontalAdvance(cells[c]) + Mm(3));
        };
        measure(header);
        for (const QStringList& row : rows)
            measure(row);
        const int used = std::accumulate(widths.begin(), widths.end(), 0);
        const int spare = std::max(0, area_.width() - used) / static_cast<int>(widths.size());
        for (int& w : widths)
            w += spare;

        p_.setFont(font);
        const int h = RowHeight();
        const auto drawRow = [&](const QStringList& cells, bool head) {
            int x = area_.left();
            for (std::size_t c = 0; c < widths.size(); ++c) {
                const QRect cell(x, y_, widths[c], h);
                if (head)
                    p_.fillRect(cell, kHeaderFill);
                p_.setPen(QPen(kGridColour, 0));
                p_.drawRect(cell);
                p_.setPen(Qt::black);
                const QString text = static_cast<int>(c) < cells.size() ? cells[c] : QString();
                const Qt::Alignment align = head     ? Qt::AlignHCenter
                                            : c == 0 ? Qt::AlignLeft
                                                     : Qt::AlignRight;
                p_.drawText(cell.adjusted(Mm(1.2), 0, -Mm(1.2), 0), align | Qt::AlignVCenter, text);
                x += widths[c];
            }
            y_ += h;
        };
        drawRow(header, true);
        for (const QStringList& row : rows)
            drawRow(row, false);
        y_ += Mm(3);
    }

    void Footer(const QString& text) {
        const QFont font = ReportFont(9);
        const int h = QFontMetrics(font, p_.device()).height();
        p_.setFont(font);
        p_.setPen(QPen(kGridColour, 0));
        p_.drawLine(area_.left(), area_.bottom() - h - Mm(1), area_.right(),
                    area_.bottom() - h - Mm(1));
        p_.setPen(Qt::black);
        p_.drawText(QRect(area_.left(), area_.bottom() - h, area_.width(), h),
                    Qt::AlignLeft | Qt::AlignVCenter, text);
    }

    int FooterHeight() const { return QFontMetrics(ReportFont(9), p_.device()).height() + Mm(4); }

private:
    int RowHeight() const { return QFontMetrics(ReportFont(8.5), p_.device()).height() + Mm(2); }

    QPainter& p_;
    QRect area_;
    int y_;
};

} // namespace

QByteArray RenderReportPdf(const ReportContent& content) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(kDotsPerInch);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                      QPageLayout::Millimeter));
        pdf.setTitle(QCoreApplication::translate("zel::ReportWriter", "记录报告 ") +
                     content.fileName);
        pdf.setCreator(QStringLiteral("Velquist"));
        QPainter painter(&pdf);
        ReportPage page(painter, painter.viewport().adjusted(0, 0, -1, -1));

        page.Title(QCoreApplication::translate("zel::ReportWriter", "Velquist 记录报告"));
        page.Line(QCoreApplication::translate("zel::ReportWriter", "文件名：") + content.fileName,
                  ReportFont(10));
        page.Facts(
            {{QCoreApplication::translate("zel::ReportWriter", "设备编号"), content.deviceNumber},
             {QCoreApplication::translate("zel::ReportWriter", "版本号"), content.version},
             {QCoreApplication::translate("zel::ReportWriter", "开始时间"), content.startTime},
             {QCoreApplication::translate("zel::ReportWriter", "时长"), content.duration},
             {QCoreApplication::translate("zel::ReportWriter", "数据总数"), content.dataCount}});

        // The plots share what the statistics and the footer leave of the page.
        const QFont captionFont = ReportFont(10, true);
        const int captionHeight = QFontMetrics(captionFont, &pdf).height() + page.Mm(1);
        // The notes take a few lines at most; the rest are counted, not listed.
        QStringList notes = content.notes.mid(0, kMaxReportNotes);
        if (content.notes.size() > kMaxReportNotes)
            notes << QCoreApplication::translate("zel::ReportWriter", "……另有 %1 条备注")
                         .arg(content.notes.size() - kMaxReportNotes);
        const int noteHeight = QFontMetrics(ReportFont(9), &pdf).height() + page.Mm(1);
        const int below = 2 * captionHeight + page.TableHeight(content.table.rows.size()) +
                          page.Mm(4) + page.FooterHeight() +
                          (notes.isEmpty() ? 0 : captionHeight + notes.size() * noteHeight);
        const int plots = static_cast<int>(content.plots.size());
        const int perPlot =
            plots ? (page.Remaining() - below) / plots - captionHeight - page.Mm(3) : 0;
        for (const ReportContent::Plot& plot : content.plots) {
            page.Line(plot.caption, captionFont);
            page.Picture(plot.picture, perPlot);
        }

        page.Line(QCoreApplication::translate("zel::ReportWriter", "统计（%1）").arg(content.what),
                  captionFont);
        page.Line(content.table.RangeText(), ReportFont(9));
        page.Table(StatisticsTable::Header(), content.table.rows);
        if (!notes.isEmpty()) {
            page.Line(QCoreApplication::translate("zel::ReportWriter", "备注"), captionFont);
            for (const QString& note : notes)
                page.Line(note, ReportFont(9));
        }
        page.Footer(QCoreApplication::translate("zel::ReportWriter", "导出时间：") +
                    content.exportTime);
        if (!content.limits.isEmpty()) {
            pdf.newPage();
            ReportPage events(painter, painter.viewport().adjusted(0, 0, -1, -1));
            events.Title(QCoreApplication::translate("zel::ReportWriter", "越限事件"));
            events.Line(QCoreApplication::translate("zel::ReportWriter", "文件名：") +
                            content.fileName,
                        ReportFont(10));
            events.Line(QCoreApplication::translate("zel::ReportWriter", "越限值：") +
                            content.limits,
                        ReportFont(10));
            const auto listed = static_cast<std::int64_t>(content.events.size());
            events.Line(listed < content.eventCount
                            ? QCoreApplication::translate("zel::ReportWriter",
                                                          "全记录共 %1 个事件，列出前 %2 个")
                                  .arg(content.eventCount)
                                  .arg(listed)
                            : QCoreApplication::translate("zel::ReportWriter", "全记录共 %1 个事件")
                                  .arg(content.eventCount),
                        ReportFont(10));
            if (listed > 0)
                events.Table(CEventDlg::Header(), content.events);
            events.Footer(QCoreApplication::translate("zel::ReportWriter", "导出时间：") +
                          content.exportTime);
        }
    }
    return bytes;
}

bool WriteReportPdf(const QString& path, const ReportContent& content) {
    const QByteArray pdf = RenderReportPdf(content);
    if (pdf.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(pdf) != pdf.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace zel
