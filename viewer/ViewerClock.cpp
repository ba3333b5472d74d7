#include "viewer/ViewerClock.h"

#include "common/DeviceAddress.h"
#include "common/FileLocations.h"
#include "common/IniFile.h"
#include "common/LocalTime.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordPoints.h"
#include "viewer/ViewDlg.h"
#include "viewer/ViewerNotes.h"
#include "widgets/MessageBox.h"

#include <QRegularExpression>

#include <algorithm>

namespace zel {

namespace {

constexpr const char* kClockKey = "viewerClockTime";

std::string& ConfigOverride() {
    static std::string path;
    return path;
}

// Scrolls `plot` so that item `index` is in the middle of its view where the data allows, then
// moves its cursor onto the item. `cursorItem` says which item the cursor reads at client x.
template <typename CursorItem>
void BringIntoView(CPlotWnd& plot, std::int64_t index, CursorItem cursorItem) {
    const std::int64_t first = std::max<std::int64_t>(0, index - plot.Span() / 2);
    plot.Scroll(ScrollRequest::ThumbPosition, static_cast<int>(first));
    const QRect client = plot.ClientRect();
    for (int x = client.left(); x <= client.right(); ++x) {
        if (cursorItem(x) == index) {
            plot.PlaceCursor(x);
            return;
        }
    }
}

} // namespace

void ViewerClock::SetConfigPath(const std::string& path) {
    ConfigOverride() = path;
}

std::string ViewerClock::ConfigPath() {
    return ConfigOverride().empty() ? FileLocations::ForThisProcess().UseConfigFile()
                                    : ConfigOverride();
}

ViewerClock::ViewerClock(CViewDlg* viewer) : viewer_(viewer) {
    clockTime_ = IniFile::ReadOr(ConfigPath(), kConfigSection, kClockKey, "0") == "1";
}

void ViewerClock::SetRecord(std::shared_ptr<const RecordImage> record) {
    record_ = std::move(record);
    Apply();
}

void ViewerClock::SetClockTime(bool on) {
    clockTime_ = on;
    IniFile::Write(ConfigPath(), kConfigSection, kClockKey, on ? "1" : "0");
    Apply();
}

void ViewerClock::Apply() {
    std::optional<std::int64_t> start;
    if (record_ && clockTime_)
        start = record_->header.startTime;
    viewer_->WavePlot()->SetClockStart(start);
    viewer_->TrendPlot()->SetClockStart(start);
}

std::optional<std::int64_t> ViewerClock::PointOf(const QString& text, std::int64_t start) {
    const QString t = text.trimmed();
    static const QRegularExpression elapsed(QStringLiteral("^(\\d{1,6}):([0-5]\\d):([0-5]\\d)$"));
    if (const auto m = elapsed.match(t); m.hasMatch())
        return 2 * (m.captured(1).toLongLong() * 3600 + m.captured(2).toLongLong() * 60 +
                    m.captured(3).toLongLong());
    std::int64_t when = 0;
    if (!ParseLocalTime(t.toStdString(), false, when))
        return std::nullopt;
    return 2 * (when - start);
}

void ViewerClock::AskGoTo() {
    if (!record_)
        return;
    const QString now = QString::fromStdString(
        RecordPoints(*record_).TimeText(viewer_->TrendPlot()->CursorPoint().value_or(0)));
    const auto text = ViewerNotes::AskText(viewer_, tr("转到时间"),
                                           tr("时间（YYYY-mm-dd HH:MM:SS 或 H:MM:SS）："), now);
    if (text)
        GoTo(*text);
}

bool ViewerClock::GoTo(const QString& text) {
    if (!record_ || viewer_->Playing())
        return false;
    const RecordPoints points(*record_);
    const auto index = PointOf(text, record_->header.startTime);
    if (!index || *index < 0 || *index >= points.Count()) {
        MessageBox::Error(
            viewer_, tr("不在记录的时间内：%1（%2 至 %3）")
                         .arg(text.trimmed(), QString::fromStdString(points.TimeText(0)),
                              QString::fromStdString(
                                  points.TimeText(std::max<std::int64_t>(0, points.Count() - 1)))));
        return false;
    }
    ShowPoint(*index);
    return true;
}

void ViewerClock::ShowPoint(std::int64_t index) {
    CCurseWnd* trend = viewer_->TrendPlot();
    BringIntoView(*trend, index, [&](int x) { return trend->CursorPointAt(x); });
    if (viewer_->HasWave()) {
        CWaveWnd* wave = viewer_->WavePlot();
        BringIntoView(*wave, index, [&](int x) { return wave->CursorBlockAt(x); });
    }
}

} // namespace zel
