#include "PlotTestSupport.h"
#include "tests/support/MainsSignal.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace zel::test {

namespace {

// Glyph cores of white or yellow text; grid and curves never count.
bool Bright(QRgb pixel) {
    return std::min(qRed(pixel), qGreen(pixel)) > 160;
}

// Lines drawn after a label cross it; those pixels say nothing about the text.
bool LinePixel(QRgb pixel) {
    switch (pixel & 0xFFFFFF) {
    case 0x003E1F: // grid
    case 0xB4B4B4: // zero line
    case 0x00FF00: // CH1
    case 0xFF0000: // CH2
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsColour(const QImage& image, int x, int y, QColor colour) {
    return image.valid(x, y) && (image.pixel(x, y) & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF);
}

int CountInColumn(const QImage& image, int x, int from, int to, QColor colour) {
    int count = 0;
    for (int y = from; y < to; ++y)
        count += IsColour(image, x, y, colour);
    return count;
}

int CountInRow(const QImage& image, int y, int from, int to, QColor colour) {
    int count = 0;
    for (int x = from; x < to; ++x)
        count += IsColour(image, x, y, colour);
    return count;
}

int TextMismatch(const QImage& plot, const QRect& box, int flags, const QFont& font,
                 const QString& text, const QRect& compare) {
    QImage reference(plot.size(), QImage::Format_RGB32);
    reference.fill(Qt::black);
    {
        QPainter painter(&reference);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(box, flags, text);
    }
    int mismatches = 0;
    const QRect area = compare.intersected(plot.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            mismatches += !LinePixel(plot.pixel(x, y)) &&
                          Bright(plot.pixel(x, y)) != Bright(reference.pixel(x, y));
    return mismatches;
}

int TextAtMismatch(const QImage& plot, int x, int y, const QFont& font, const QString& text,
                   const QRect& compare) {
    return TextMismatch(plot, QRect(x, y, 4096, 256),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, font, text, compare);
}

WaveBlock RampBlock(int base) {
    WaveBlock block;
    for (int p = 0; p < kSamplesPerChannel; ++p) {
        block.ch1[p] = static_cast<std::int16_t>(base + p);
        block.ch2[p] = static_cast<std::int16_t>(-(base + p));
    }
    return block;
}

WaveBlock MainsBlock(int index, double amplitude1, double amplitude2) {
    constexpr double kTwoPi = 2 * std::numbers::pi;
    const MainsSignal signal{{amplitude1, 0, {{3, 0.18, 0.4}, {5, 0.07, 1.1}}},
                             {amplitude2, -0.35, {{3, 0.1, 0}, {7, 0.12, 0.3}}},
                             [](double t) { return 1 + 0.15 * std::sin(kTwoPi * 0.05 * t); }};
    return MainsOf<WaveBlock>(signal, index);
}

std::vector<TrendPoint> DriftingCurrents(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.5);
    std::vector<TrendPoint> points;
    double a = 120, b = 95;
    for (int k = 0; k < count; ++k) {
        a += noise(random) + 0.4 * std::sin(k / 300.0);
        b += noise(random) - 0.3 * std::sin(k / 450.0);
        a = std::clamp(a, 20.0, 260.0);
        b = std::clamp(b, 10.0, 240.0);
        points.push_back({static_cast<int>(std::lround(a)), static_cast<int>(std::lround(b))});
    }
    return points;
}

} // namespace zel::test
