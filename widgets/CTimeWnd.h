#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace zel {

// The information bar of the live and viewer windows: device number, version, start time,
// current time and data count on five lines. The current time advances every second from
// construction. The setters may be called from any thread; the values reach the bar on its own
// thread, so painting never sees a text half replaced.
class CTimeWnd : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClockIntervalMs = 1000;
    static constexpr QRgb kBackground = 0xFFC5C58B;

    explicit CTimeWnd(QWidget* parent = nullptr);

    void SetDevice(int deviceNumber, int version);
    void SetStartTime(const QString& startTime);
    void SetDataCount(const QString& count);
    // Two more lines under the five while limits are watched: the count of events and the
    // last one. Empty texts take them away.
    void SetEventLines(const QString& count, const QString& last);

    // The lines as they are drawn, top to bottom (index 0 to 4, and 5 and 6 with the events).
    QString Line(int index) const;
    int Lines() const { return eventCount_.isEmpty() ? 5 : 7; }
    // The top of a line: 10 px down and 17 px apart, or closer in a bar too low for all its
    // lines in its font.
    int LineTop(int index) const;
    const QFont& LineFont() const { return font_; }
    static constexpr int kLineLeft = 5;

    // The width a bar needs for its five lines at their widest (a ten-digit count, a version
    // stored as a negative 16-bit value) and for the further lines its owner may show, in the
    // face its font has here.
    static int WidthFor(const QStringList& moreLines = {});

    // "V%d.%d%d%d" of a firmware version: 1203 is V1.203.
    static QString VersionText(int version);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Tick();

    QFont font_;
    QTimer clock_;
    QString currentTime_;
    QString startTime_;
    int deviceNumber_ = 0;
    int version_ = 0;
    QString dataCount_ = QStringLiteral("0");
    QString eventCount_;
    QString lastEvent_;
};

} // namespace zel
