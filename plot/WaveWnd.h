#pragma once

#include "plot/PlotWnd.h"
#include "plot/WaveSeries.h"
#include "records/SampleBlock.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zel {

// CH1 and CH2 waveforms of consecutive sample blocks on an oscilloscope-like grid; the view
// shows `span_` blocks side by side, 0.5 s each.
class CWaveWnd : public CPlotWnd {
    Q_OBJECT

public:
    static constexpr int kMaxLiveBlocks = 1024;
    static constexpr int kMaxSpan = 1024;

    explicit CWaveWnd(QWidget* parent = nullptr);

    // Live use, from the acquisition thread: copies the block; the auto refresh draws it.
    void AddBlock(const WaveBlock& block);
    // Viewing: replaces the stored blocks and shows the first 8.
    void SetBlocks(std::vector<WaveBlock> blocks);
    // Viewing a record: as SetBlocks, reading the samples in place in the record's blocks.
    void SetSeries(WaveSeries series);
    // The record shown, read in place, has grown: `longer` is its file opened again. The view
    // is kept (see ShowGrown).
    void GrowSeries(std::shared_ptr<const RecordReader> longer);

    int BlockCount() const;
    // The block the cursor would read from at client x, when there is one there.
    std::optional<std::int64_t> CursorBlockAt(int x) const;
    std::uint32_t Dropped() const;

protected:
    int Count() const override { return blocks.Size(); }
    bool ZoomAllowed(bool in) const override { return in ? span_ > 1 : span_ < kMaxSpan; }
    float AutomaticScale() const override;
    float ItemScale(int index) const override;
    void BuildPoints() override;
    int ReadCursor() override;
    int LabelSeconds(int i) const override;
    void DrawValueAxis(QPainter& painter, float viewScale) override;

private:
    int ViewBlocks() const;

    // What the plot shows: a view of liveBlocks, or a record's blocks shared with the record.
    WaveSeries blocks;
    // Blocks the plot keeps itself: live blocks and sequences given by value.
    std::vector<WaveBlock> liveBlocks;
    std::uint32_t dropped = 0;
};

} // namespace zel
