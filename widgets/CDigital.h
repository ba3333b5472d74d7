#pragma once

#include <QImage>
#include <QWidget>

namespace zel {

// A numeric readout: a short text in seven-segment glyphs, cyan digits and magenta letters on
// black, centred horizontally and 3 pixels below the top. Digits, 'A', 'V', '.' and '-' have
// glyphs; every other character shows as a blank cell.
class CDigital : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCellWidth = 12;
    static constexpr int kCellHeight = 32;
    static constexpr int kGlyphTop = 3;
    static constexpr int kBlankCell = 10;

    explicit CDigital(QWidget* parent = nullptr);

    // May be called from any thread; the text reaches the readout on its own thread.
    void SetText(const QString& text);
    QString Text() const { return text_; }
    // Red glyphs while the value shown is over its limit. Any thread, like SetText.
    void SetAlarm(bool on);
    bool Alarm() const { return alarm_; }

    // The glyph-strip cell that shows this character.
    static int CellFor(QChar c);
    // Left edge of the first glyph for n characters in a readout this wide.
    static int FirstGlyphX(int width, int n);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QImage glyphs_;
    QImage alarmGlyphs_; // the strip in red, made on first use
    bool alarm_ = false;
};

} // namespace zel
