#pragma once

#include "records/RecordTypes.h"
#include "records/SampleBlock.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

class QWidget;

namespace zel::test {

// A plot of the given kind, sized and with its cursor notifications recorded.
template <typename Plot> struct PlotUnderTest {
    explicit PlotUnderTest(int width = 700, int height = 400) {
        wnd.resize(width, height);
        wnd.ResetCursor();
        wnd.SetCursorNotify([this](int code) { codes.push_back(code); });
    }
    QImage Paint() {
        QImage image;
        wnd.Render(image);
        return image;
    }
    Plot wnd;
    std::vector<int> codes;
};

// Saves `image` as <ZEL_SNAPSHOT_DIR>/<name>.png when that variable is set.
void SaveSnapshot(const QImage& image, const QString& name);

// The plots' colours: grid, zero line, the two channels and the cursor.
inline const QColor kGrid(0, 62, 31);
inline const QColor kZero(180, 180, 180);
inline const QColor kCh1(0, 255, 0);
inline const QColor kCh2(255, 0, 0);
inline const QColor kYellow(255, 255, 0);

bool IsColour(const QImage& image, int x, int y, QColor colour);
// Pixels of `colour` in column x (or row y) within [from, to).
int CountInColumn(const QImage& image, int x, int from, int to, QColor colour);
int CountInRow(const QImage& image, int y, int from, int to, QColor colour);

// Renders `text` as the plot would (white on black, same font, same rectangle and flags) and
// counts pixels inside `compare` whose brightness class (bright glyph core or not) differs from
// the plot's image. Grid lines are dark, so they do not disturb the comparison.
int TextMismatch(const QImage& plot, const QRect& box, int flags, const QFont& font,
                 const QString& text, const QRect& compare);
// Text drawn with its top-left corner at (x, y), compared within `compare`.
int TextAtMismatch(const QImage& plot, int x, int y, const QFont& font, const QString& text,
                   const QRect& compare);

// A block whose sample p reads base + p on CH1 and −(base + p) on CH2.
WaveBlock RampBlock(int base);
// 50 Hz currents with 3rd and 5th harmonics, 400 samples per channel per 0.5 s block.
WaveBlock MainsBlock(int index, double amplitude1, double amplitude2);
// Two slowly drifting currents, one point per 0.5 s.
std::vector<TrendPoint> DriftingCurrents(int count, unsigned seed);

} // namespace zel::test
