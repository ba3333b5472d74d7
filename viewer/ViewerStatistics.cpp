#include "viewer/ViewerStatistics.h"

#include "common/DeviceText.h"
#include "common/LocalTime.h"
#include "common/ModuleDirectory.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/PointsCsv.h"
#include "records/RecordStatistics.h"
#include "viewer/CEventDlg.h"
#include "viewer/CStatDlg.h"
#include "viewer/ReportWriter.h"
#include "viewer/ViewDlg.h"
#include "viewer/ViewerEvents.h"
#include "viewer/ViewerNotes.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageBox.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPushButton>
#include <QSaveFile>

#include <optional>

namespace zel {

namespace {

constexpr int kButtonWidth = 72; // at least; wider for a longer text
constexpr int kButtonHeight = 21;
constexpr int kButtonGap = 4;
constexpr int kRightOfStrip = 14; // free pixels between the last button and the close button
// Each side of the text: the style's padding and border, and a pixel of air.
constexpr int kTextMargin = 4 + 1 + 1;
// Rows of CSV gathered before each write, and between looks at the cancel flag.
constexpr std::int64_t kRowsPerWrite = 4096;

struct ButtonText {
    int id;
    const char* text;
};

// Left to right in the strip.
constexpr ButtonText kButtons[] = {
    {ViewerStatistics::kStatistics, QT_TRANSLATE_NOOP("zel::ViewerStatistics", "统计")},
    {ViewerStatistics::kExportReport, QT_TRANSLATE_NOOP("zel::ViewerStatistics", "导出报告")},
    {ViewerStatistics::kExportCsv, QT_TRANSLATE_NOOP("zel::ViewerStatistics", "导出CSV")},
};

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

std::optional<StatisticsTable> TableOf(const RecordImage& record, PointRange range,
                                       const std::atomic<bool>& cancelled) {
    const auto statistics = ComputeRecordStatistics(record, range, &cancelled);
    if (!statistics)
        return std::nullopt;
    return StatisticsTable::From(*statistics, RecordPoints(record));
}

// Writes the rows gathered so far, unless the job has been cancelled.
bool Flush(QSaveFile& file, std::string& rows, const std::atomic<bool>& cancelled) {
    if (cancelled.load())
        return false;
    const auto size = static_cast<qint64>(rows.size());
    const bool written = file.write(rows.data(), size) == size;
    rows.clear();
    return written;
}

// The points as the command-line export writes them; nothing is left behind when the file
// cannot be written or the job is cancelled.
bool WriteCsv(const QString& path, const RecordImage& record, PointRange range,
              const std::atomic<bool>& cancelled) {
    const RecordPoints points(record);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    std::string rows = PointsCsv::Header();
    for (std::int64_t i = range.first; i <= range.Last(); ++i) {
        PointsCsv::AppendRow(rows, points, i);
        if ((i - range.first) % kRowsPerWrite == kRowsPerWrite - 1 &&
            !Flush(file, rows, cancelled)) {
            file.cancelWriting();
            return false;
        }
    }
    if (!Flush(file, rows, cancelled)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

void ViewerStatistics::StyleStripButton(QPushButton* button) {
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    // Light on the dark title strip, like the frame's own buttons.
    button->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: rgba(255, 255, 255, 30);"
        " border: 1px solid rgba(255, 255, 255, 110); border-radius: 3px; padding: 0 4px; }"
        "QPushButton:hover { background: rgba(255, 255, 255, 70); }"
        "QPushButton:pressed { background: rgba(0, 0, 0, 60); }"
        "QPushButton:disabled { color: rgba(255, 255, 255, 90);"
        " border-color: rgba(255, 255, 255, 50); background: transparent; }"));
}

ViewerStatistics::ViewerStatistics(CViewDlg* viewer) : viewer_(viewer), job_(this) {
    for (const ButtonText& b : kButtons) {
        auto* button = new QPushButton(tr(b.text), viewer);
        button->setObjectName(QString::number(b.id));
        StyleStripButton(button);
        buttons_[b.id] = button;
    }
    connect(buttons_[kStatistics], &QPushButton::clicked, this, &ViewerStatistics::ShowStatistics);
    connect(buttons_[kExportReport], &QPushButton::clicked, this, &ViewerStatistics::ExportReport);
    connect(buttons_[kExportCsv], &QPushButton::clicked, this, &ViewerStatistics::ExportCsv);
    viewer->installEventFilter(this);
    PlaceButtons();
    UpdateButtons();
}

ViewerStatistics::~ViewerStatistics() {
    job_.Cancel();
}

QPushButton* ViewerStatistics::Button(int id) const {
    const auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
}

void ViewerStatistics::SetRecord(std::shared_ptr<const RecordImage> record, const QString& path) {
    record_ = std::move(record);
    path_ = path;
    // Numbers about the previous record would now mislead.
    if (window_)
        window_->hide();
    UpdateButtons();
}

void ViewerStatistics::SetPlaying(bool playing) {
    playing_ = playing;
    UpdateButtons();
}

bool ViewerStatistics::eventFilter(QObject* watched, QEvent* event) {
    if (watched == viewer_ && event->type() == QEvent::Resize)
        PlaceButtons();
    return QObject::eventFilter(watched, event);
}

int ViewerStatistics::StripButtonWidth(const QPushButton* button) {
    return std::max(kButtonWidth,
                    button->fontMetrics().horizontalAdvance(button->text()) + 2 * kTextMargin);
}

QRect ViewerStatistics::StripButtonBox(int right, const QPushButton* button) {
    const int width = StripButtonWidth(button);
    return QRect(right - width, 2, width, kButtonHeight);
}

int ViewerStatistics::StripLeft() const {
    int left = viewer_->CloseRect().left() - kRightOfStrip + kButtonGap;
    for (const ButtonText& b : kButtons)
        left -= kButtonGap + StripButtonWidth(buttons_.at(b.id));
    return left;
}

void ViewerStatistics::PlaceButtons() {
    // Right-aligned in the title strip, clear of the close button, each as wide as its text.
    int right = viewer_->CloseRect().left() - kRightOfStrip;
    for (auto b = std::rbegin(kButtons); b != std::rend(kButtons); ++b) {
        QPushButton* button = buttons_[b->id];
        button->setGeometry(StripButtonBox(right, button));
        right = button->x() - kButtonGap;
    }
}

void ViewerStatistics::UpdateButtons() {
    const bool enabled = record_ && !playing_ && !job_.Busy();
    for (const auto& [id, button] : buttons_)
        button->setEnabled(enabled);
}

PointRange ViewerStatistics::Range(QString* what) const {
    const CCurseWnd* trend = viewer_->TrendPlot();
    if (const auto selection = trend->Selection()) {
        if (what)
            *what = tr("选定范围");
        return *selection;
    }
    if (what)
        *what = tr("当前视图");
    return trend->ViewRange();
}

bool ViewerStatistics::TakeRange(PointRange& range, QString& what) {
    range = Range(&what);
    if (!record_ || job_.Busy() || playing_)
        return false;
    if (range.Empty()) {
        MessageBox::Error(viewer_, tr("%1没有数据").arg(what));
        return false;
    }
    return true;
}

void ViewerStatistics::ShowStatistics() {
    PointRange range;
    QString what;
    if (!TakeRange(range, what))
        return;
    const auto record = record_;
    job_.Start<std::optional<StatisticsTable>>(
        [record, range](const std::atomic<bool>& cancelled) {
            return TableOf(*record, range, cancelled);
        },
        [this, what, record](std::optional<StatisticsTable> table) {
            // A result about a record no longer shown is of no use.
            if (table && record == record_)
                ShowWindow(*table, what);
            Finish({});
        });
    UpdateButtons();
}

void ViewerStatistics::ShowWindow(const StatisticsTable& table, const QString& what) {
    const bool first = !window_;
    if (first)
        window_ = new CStatDlg(viewer_);
    window_->SetTable(table, what);
    // At first in the top right corner of the plots, where the legends are: the middle of
    // the trend plot, where a selection usually lies, stays in sight.
    if (first)
        window_->move(viewer_->mapToGlobal(
            QPoint(viewer_->width() - window_->width() - 24, CMyDialog::kStripHeight + 24)));
    window_->show();
    window_->raise();
}

QString ViewerStatistics::AskForFile(const QString& filter, const QString& suffix) {
    const QString folder = QString::fromStdString(PictureDirectory());
    QDir().mkpath(folder);
    return FileDialog::GetSaveFileName(viewer_, filter, suffix, folder,
                                       QFileInfo(path_).completeBaseName() + "." + suffix);
}

ReportContent ViewerStatistics::ReportBase(const QString& what) const {
    const RecordFileHeader& header = record_->header;
    const std::int64_t count = RecordPoints(*record_).Count();
    ReportContent content;
    content.fileName = QFileInfo(path_).fileName();
    // Signed 16-bit, as the information bar shows them.
    content.deviceNumber = QString::number(RecordDeviceNumber(header.deviceNumber));
    content.version = Text(VersionText(static_cast<std::int16_t>(header.deviceVersion)));
    content.startTime = Text(FormatLocalTime(header.startTime, "%Y-%m-%d %H:%M:%S"));
    content.duration = DurationText(count > 0 ? 0.5 * static_cast<double>(count - 1) : 0.0);
    content.dataCount = QString::number(header.dataCount);
    content.exportTime = Text(FormatLocalTime(NowSeconds(), "%Y-%m-%d %H:%M:%S"));
    content.what = what;
    content.notes = viewer_->Notes()->ReportLines();
    // The plots as they are on the screen now, selection shading included.
    const auto shot = [](QWidget* plot) { return plot->grab(plot->contentsRect()).toImage(); };
    if (viewer_->HasWave())
        content.plots.push_back({tr("波形图"), shot(viewer_->WavePlot())});
    content.plots.push_back(
        {viewer_->TrendPlot()->Selection() ? tr("趋势曲线图（阴影为选定范围）") : tr("趋势曲线图"),
         shot(viewer_->TrendPlot())});
    return content;
}

void ViewerStatistics::ExportReport() {
    PointRange range;
    QString what;
    if (!TakeRange(range, what))
        return;
    ReportContent content = ReportBase(what);
    const QString path = AskForFile(QStringLiteral("PDF Files (*.pdf)"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    const auto record = record_;
    const EventLimits limits = viewer_->Events()->Limits();
    content.limits = CEventDlg::LimitsText(limits);
    job_.Start<bool>(
        [record, range, content, path, limits](const std::atomic<bool>& cancelled) mutable {
            auto table = TableOf(*record, range, cancelled);
            if (!table)
                return false;
            content.table = std::move(*table);
            // The events of the whole record, with the limits the viewer shows them by.
            if (limits.Any()) {
                const auto events =
                    FindEvents(*record, limits, RecordPoints(*record).All(), &cancelled);
                if (!events)
                    return false;
                content.eventCount = static_cast<std::int64_t>(events->size());
                const RecordPoints points(*record);
                for (std::size_t i = 0; i < events->size() && i < kMaxReportEvents; ++i)
                    content.events.push_back(CEventDlg::Row((*events)[i], points));
            }
            return WriteReportPdf(path, content);
        },
        [this, path](bool written) {
            Finish(written ? QString()
                           : tr("无法写入报告文件：%1").arg(QDir::toNativeSeparators(path)));
        });
    UpdateButtons();
}

void ViewerStatistics::ExportCsv() {
    PointRange range;
    QString what;
    if (!TakeRange(range, what))
        return;
    const QString path = AskForFile(QStringLiteral("CSV Files (*.csv)"), QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    const auto record = record_;
    job_.Start<bool>(
        [record, range, path](const std::atomic<bool>& cancelled) {
            return WriteCsv(path, *record, range, cancelled);
        },
        [this, path](bool written) {
            Finish(written ? QString()
                           : tr("无法写入CSV文件：%1").arg(QDir::toNativeSeparators(path)));
        });
    UpdateButtons();
}

void ViewerStatistics::Finish(const QString& error) {
    UpdateButtons();
    if (!error.isEmpty())
        MessageBox::Error(viewer_, error);
    emit JobFinished();
}

} // namespace zel
