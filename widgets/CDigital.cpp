#include "widgets/CDigital.h"

#include "widgets/ImageResources.h"
#include "widgets/UiThread.h"

#include <QPainter>

#include <algorithm>

namespace zel {

namespace {

constexpr int kGlyphStripId = 130;
constexpr int kPointCell = 13;
constexpr int kMinusCell = 16;
constexpr int kACell = 11;
constexpr int kVCell = 12;

} // namespace

CDigital::CDigital(QWidget* parent) : QWidget(parent), glyphs_(LoadBitmapResource(kGlyphStripId)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CDigital::SetText(const QString& text) {
    RunOnObjectThread(this, [this, text] {
        text_ = text;
        update();
    });
}

void CDigital::SetAlarm(bool on) {
    RunOnObjectThread(this, [this, on] {
        if (alarm_ == on)
            return;
        alarm_ = on;
        update();
    });
}

int CDigital::CellFor(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    switch (u) {
    case u'A':
        return kACell;
    case u'V':
        return kVCell;
    case u'.':
        return kPointCell;
    case u'-':
        return kMinusCell;
    default:
        // The strip has a colon cell too, but a colon is shown blank like every other mark.
        return kBlankCell;
    }
}

int CDigital::FirstGlyphX(int width, int n) {
    // Integer division truncates toward zero, so a text wider than the readout overflows on
    // both sides.
    return (width - kCellWidth * n) / 2;
}

void CDigital::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (alarm_ && alarmGlyphs_.isNull()) {
        // Every lit pixel of the strip turns red, as bright as it was.
        alarmGlyphs_ = glyphs_.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < alarmGlyphs_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(alarmGlyphs_.scanLine(y));
            for (int x = 0; x < alarmGlyphs_.width(); ++x) {
                const QRgb p = line[x];
                line[x] = qRgb(std::max({qRed(p), qGreen(p), qBlue(p)}), 0, 0);
            }
        }
    }
    const QImage& strip = alarm_ ? alarmGlyphs_ : glyphs_;
    int x = FirstGlyphX(width(), static_cast<int>(text_.size()));
    for (QChar c : text_) {
        const QRect cell(CellFor(c) * kCellWidth, 0, kCellWidth, kCellHeight);
        painter.drawImage(QPoint(x, kGlyphTop), strip, cell);
        x += kCellWidth;
    }
}

} // namespace zel
