#pragma once

#include <QRect>

#include <map>

namespace zel {

// Where the record viewer puts its children, computed from its client rectangle when the
// viewer starts and whenever it opens a record. The plots fill the width above a 127-pixel
// control strip: the buttons and slider on the left, six label and readout columns that share
// the middle, the information bar at the right.
struct ViewerLayout {
    QRect wave;  // unused when the record has no waveforms
    QRect trend; // below the waveform plot, or the whole plot area without one
    QRect bar;
    std::map<int, QRect> controls; // by control id: buttons, slider, frames, labels, readouts

    // The bar is 199 pixels wide unless its lines need more; the columns give up what it takes.
    static constexpr int kBarWidth = 199;
    static ViewerLayout For(const QRect& client, bool withWave, int barWidth = kBarWidth);

    // Width of one label and readout column, and the left edge of column k (0 to 5).
    static int ColumnWidth(const QRect& client, int barWidth = kBarWidth);
    static int ColumnLeft(const QRect& client, int k, int barWidth = kBarWidth);
};

} // namespace zel
