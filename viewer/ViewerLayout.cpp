#include "viewer/ViewerLayout.h"

#include <algorithm>

namespace zel {

namespace {

// Labels and readouts of the six columns, left to right.
constexpr int kLabelIds[6] = {1017, 1018, 1022, 1021, 1020, 1019};
constexpr int kReadoutIds[6] = {1001, 1002, 1003, 1004, 1005, 1006};

// A window too small for the strip gets empty children rather than negative sizes.
QRect Box(int x, int y, int width, int height) {
    return QRect(x, y, std::max(width, 0), std::max(height, 0));
}

} // namespace

int ViewerLayout::ColumnWidth(const QRect& client, int barWidth) {
    return static_cast<int>((client.width() - 568 - (barWidth - kBarWidth)) / 6.0 - 2.0);
}

int ViewerLayout::ColumnLeft(const QRect& client, int k, int barWidth) {
    return client.left() + 365 + k * (ColumnWidth(client, barWidth) + 2);
}

ViewerLayout ViewerLayout::For(const QRect& client, bool withWave, int barWidth) {
    const int L = client.left(), T = client.top();
    const int R = L + client.width(), B = T + client.height();
    const int h = (B - T - 127) / 2;
    const int G = ColumnWidth(client, barWidth);
    const int wider = barWidth - kBarWidth;

    ViewerLayout layout;
    if (withWave) {
        layout.wave = Box(L, T + 25, R - L, h);
        layout.trend = Box(L, T + h + 27, R - L, h);
    } else {
        layout.trend = Box(L, T + 25, R - L, B - T - 127);
    }
    layout.bar = Box(R - 1 - barWidth, B - 99, barWidth, 97);

    auto& c = layout.controls;
    c[1007] = Box(L + 8, B - 86, 100, 35);   // open
    c[1010] = Box(L + 8, B - 46, 100, 35);   // cut
    c[1023] = Box(L + 110, B - 86, 70, 35);  // waveform zoom in
    c[1024] = Box(L + 110, B - 46, 70, 35);  // waveform zoom out
    c[1008] = Box(L + 182, B - 86, 70, 35);  // trend zoom in
    c[1009] = Box(L + 182, B - 46, 70, 35);  // trend zoom out
    c[1011] = Box(L + 254, B - 86, 100, 35); // play / stop
    c[1012] = Box(L + 254, B - 46, 100, 35); // speed slider
    c[1015] = Box(L + 2, B - 98, 358, 95);
    c[1016] = Box(L + 359, B - 98, R - L - 559 - wider, 95);
    for (int k = 0; k < 6; ++k) {
        const int x = ColumnLeft(client, k, barWidth);
        c[kLabelIds[k]] = Box(x, B - 80, G, 20);
        c[kReadoutIds[k]] = Box(x, B - 60, G, 40);
    }
    return layout;
}

} // namespace zel
