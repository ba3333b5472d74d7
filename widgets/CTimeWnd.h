#pragma once

#include <QFont>
#include <QString>
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

    // The five lines as they are drawn, top to bottom (index 0 to 4).
    QString Line(int index) const;
    // The top of a line: 10 px down and 17 px apart, or closer in a bar too low for five lines
    // of its font.
    int LineTop(int index) const;
    const QFont& LineFont() const { return font_; }
    static constexpr int kLineLeft = 5;

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
};

} // namespace zel
