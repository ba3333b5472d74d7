#pragma once

#include <functional>

namespace zel {

// Codes a plot reports to its owner after every cursor readout. The owner handles all four in
// one place: 0 and 1 come from the trend plot, 2 and 3 from the waveform plot.
enum PlotCursorCode {
    CursorTrendValid = 0,
    CursorTrendEmpty = 1,
    CursorWaveEmpty = 2,
    CursorWaveValid = 3,
};

// Called synchronously on the window thread, possibly while the plot holds its lock; the owner
// reads the cursor values but must not call back into operations that change the plot.
using PlotCursorNotify = std::function<void(int code)>;

} // namespace zel
