#include "plot/WaveWnd.h"

#include "widgets/AccessibleText.h"

#include "plot/CurveReducer.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace zel {

namespace {

constexpr float kItemScale[] = {0.0f, 100.0f, 200.0f, 500.0f, 1000.0f, 2000.0f};

} // namespace

CWaveWnd::CWaveWnd(QWidget* parent)
    : CPlotWnd(8, {tr("自动"), "100", "200", "500", "1000", "2000"}, parent) {
    KeepAccessibleText(
        this, [] { return tr("波形图"); }, [this] { return AccessibleSummary(); });
}

int CWaveWnd::BlockCount() const {
    std::lock_guard guard(lock_);
    return Count();
}

std::uint32_t CWaveWnd::Dropped() const {
    std::lock_guard guard(lock_);
    return dropped;
}

void CWaveWnd::AddBlock(const WaveBlock& block) {
    std::lock_guard guard(lock_);
    if (blocks.Shared())
        liveBlocks = blocks.Copy();
    liveBlocks.push_back(block);
    if (liveBlocks.size() > kMaxLiveBlocks) {
        liveBlocks.erase(liveBlocks.begin());
        ++dropped;
    }
    blocks = WaveSeries::View(liveBlocks);
    const int n = Count();
    if (n >= span_)
        first_ = n - span_;
}

void CWaveWnd::SetBlocks(std::vector<WaveBlock> sequence) {
    ShowLoaded(8, [&] {
        liveBlocks = std::move(sequence);
        blocks = WaveSeries::View(liveBlocks);
    });
}

void CWaveWnd::SetSeries(WaveSeries series) {
    ShowLoaded(8, [&] {
        // The previous sequence goes now, not when the plot does.
        std::vector<WaveBlock>().swap(liveBlocks);
        blocks = std::move(series);
    });
}

void CWaveWnd::GrowSeries(std::shared_ptr<const RecordReader> longer) {
    ShowGrown([&] { blocks = blocks.Grown(std::move(longer)); });
}

int CWaveWnd::ViewBlocks() const {
    if (first_ < 0 || first_ >= Count())
        return 0;
    return std::min(span_, Count() - first_);
}

float CWaveWnd::AutomaticScale() const {
    int m = 0;
    const int views = ViewBlocks();
    for (int i = 0; i < views; ++i) {
        const std::int16_t* ch1 = blocks.Ch1(first_ + i);
        const std::int16_t* ch2 = blocks.Ch2(first_ + i);
        for (int p = 0; p < kSamplesPerChannel; ++p)
            m = std::max({m, std::abs(int(ch1[p])), std::abs(int(ch2[p]))});
    }
    const float result = static_cast<float>(m * 1.1);
    return result < 10 ? 10.0f : result;
}

float CWaveWnd::ItemScale(int index) const {
    return kItemScale[index];
}

void CWaveWnd::BuildPoints() {
    const int views = ViewBlocks();
    if (views == 0)
        return;
    // The client-pixel mapping scaled to device pixels: the width and the half height become
    // Ratio() times larger, and the zero row is the one the zero line is drawn on.
    const double width = Width() * Ratio();
    const int h2 = Height() / 2;
    const int zero = DeviceCoord(h2);
    const float half = static_cast<float>(h2 * Ratio());
    const double samples = span_ * 400.0;
    const int columns = DeviceWidth();
    const bool reduce =
        CurveReducer::ShouldReduce(static_cast<long long>(views) * kSamplesPerChannel, columns);
    const std::size_t reserve =
        reduce ? std::size_t(4) * columns + 8 : std::size_t(views) * kSamplesPerChannel;
    points_[0].reserve(reserve);
    points_[1].reserve(reserve);
    reduced_[0] = reduced_[1] = reduce;
    CurveReducer curve1(points_[0], reduce);
    CurveReducer curve2(points_[1], reduce);
    const auto row = [this, zero, half](int v) {
        const int d = static_cast<int>(static_cast<float>(std::abs(v)) / scale_ * half);
        return v >= 0 ? zero - d : zero + d;
    };
    for (int i = 0; i < views; ++i) {
        const std::int16_t* ch1 = blocks.Ch1(first_ + i);
        const std::int16_t* ch2 = blocks.Ch2(first_ + i);
        for (int p = 0; p < kSamplesPerChannel; ++p) {
            const int k = i * kSamplesPerChannel + p;
            const int x = static_cast<int>(k / samples * width);
            curve1.Add(x, row(ch1[p]));
            curve2.Add(x, row(ch2[p]));
        }
    }
}

int CWaveWnd::ReadCursor() {
    const int W = Width();
    if (blocks.Empty() || W <= 0)
        return CursorWaveEmpty;
    const float f = static_cast<float>(cursorX_ - clientRect_.left()) / static_cast<float>(W);
    const int a = static_cast<int>(f * span_ * 400.0);
    if (a < 0 || a >= (Count() - first_) * kSamplesPerChannel)
        return CursorWaveEmpty;
    const int b = first_ + a / kSamplesPerChannel;
    cursorCh1_ = blocks.Ch1(b)[a % kSamplesPerChannel];
    cursorCh2_ = blocks.Ch2(b)[a % kSamplesPerChannel];
    return CursorWaveValid;
}

std::optional<std::int64_t> CWaveWnd::CursorBlockAt(int x) const {
    // The arithmetic of ReadCursor.
    std::lock_guard guard(lock_);
    const int W = Width();
    if (blocks.Empty() || W <= 0)
        return std::nullopt;
    const float f = static_cast<float>(x - clientRect_.left()) / static_cast<float>(W);
    const int a = static_cast<int>(f * span_ * 400.0);
    if (a < 0 || a >= (Count() - first_) * kSamplesPerChannel)
        return std::nullopt;
    return first_ + a / kSamplesPerChannel;
}

int CWaveWnd::LabelSeconds(int i) const {
    const int t = static_cast<int>(static_cast<double>(dropped) + first_ + span_ * i / 35.0);
    return static_cast<int>(t * 0.5);
}

void CWaveWnd::DrawValueAxis(QPainter& painter, float viewScale) {
    const int W = Width(), H = Height(), w = GridStep(), h2 = H / 2;
    for (int j = 0; j <= h2 / w; ++j) {
        painter.setPen(GridPen());
        painter.drawLine(0, h2 + j * w, W, h2 + j * w);
        painter.drawLine(0, h2 - j * w, W, h2 - j * w);
        if (j == 0)
            continue;
        const float g = w * (2 * viewScale / H) * j;
        painter.setPen(Qt::white);
        DrawValueLabel(painter, h2 + j * w - 5, QString::asprintf("%.1f", -g));
        DrawValueLabel(painter, h2 - j * w - 5, QString::asprintf("%.1f", g));
    }
    painter.setPen(QPen(QColor(180, 180, 180), 0));
    painter.drawLine(0, h2, W, h2);
}

} // namespace zel
