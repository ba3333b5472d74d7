#include "widgets/CTimeWnd.h"

#include "common/DeviceText.h"
#include "common/LocalTime.h"
#include "widgets/AccessibleText.h"
#include "widgets/Fonts.h"
#include "widgets/TextFit.h"
#include "widgets/UiThread.h"

#include <QPainter>
#include <algorithm>

namespace zel {

namespace {

constexpr int kFontPixels = 12;

QString CurrentTimeText() {
    return QString::fromStdString(FormatLocalTime(NowSeconds(), "%Y-%m-%d,%H:%M:%S"));
}

} // namespace

CTimeWnd::CTimeWnd(QWidget* parent)
    : QWidget(parent), font_(SongtiFont(kFontPixels)), currentTime_(CurrentTimeText()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&clock_, &QTimer::timeout, this, &CTimeWnd::Tick);
    clock_.start(kClockIntervalMs);
    KeepAccessibleText(
        this, [] { return tr("信息栏"); },
        [this] {
            QStringList lines;
            for (int i = 0; i < Lines(); ++i)
                lines << Line(i);
            return lines.join(QLatin1Char('\n'));
        });
}

void CTimeWnd::SetDevice(int deviceNumber, int version) {
    RunOnObjectThread(this, [this, deviceNumber, version] {
        deviceNumber_ = deviceNumber;
        version_ = version;
        update();
    });
}

void CTimeWnd::SetStartTime(const QString& startTime) {
    RunOnObjectThread(this, [this, startTime] {
        startTime_ = startTime;
        update();
    });
}

void CTimeWnd::SetDataCount(const QString& count) {
    RunOnObjectThread(this, [this, count] {
        dataCount_ = count;
        update();
    });
}

void CTimeWnd::SetEventLines(const QString& count, const QString& last) {
    RunOnObjectThread(this, [this, count, last] {
        eventCount_ = count;
        lastEvent_ = last;
        update();
    });
}

void CTimeWnd::Tick() {
    currentTime_ = CurrentTimeText();
    update();
}

int CTimeWnd::WidthFor(const QStringList& moreLines) {
    const QStringList widest = QStringList{tr("设备编号:%1").arg(QStringLiteral("000000")),
                                           tr("版本号:") + QStringLiteral("V-00.-0-0-0"),
                                           tr("开始时间:") + QStringLiteral("0000-00-00 00:00:00"),
                                           tr("当前时间:") + QStringLiteral("0000-00-00,00:00:00"),
                                           tr("总数据数:") + QStringLiteral("0000000000")} +
                               moreLines;
    // The lines start kLineLeft in and keep clear of the outline on the right.
    return kLineLeft + WidestTextWidth(QFontMetrics(SongtiFont(kFontPixels)), widest) + 1;
}

QString CTimeWnd::VersionText(int version) {
    return QString::fromStdString(zel::VersionText(version));
}

int CTimeWnd::LineTop(int index) const {
    const int gaps = Lines() - 1;
    const int lastTop = height() - 2 - QFontMetrics(font_).height();
    int pitch = 17;
    if (10 + gaps * pitch > lastTop)
        pitch = std::clamp((lastTop - 2) / gaps, 1, 17);
    const int first = std::clamp(lastTop - gaps * pitch, 2, 10);
    return first + pitch * index;
}

QString CTimeWnd::Line(int index) const {
    switch (index) {
    case 0:
        return tr("设备编号:%1").arg(deviceNumber_);
    case 1:
        return tr("版本号:") + VersionText(version_);
    case 2:
        return tr("开始时间:") + startTime_;
    case 3:
        return tr("当前时间:") + currentTime_;
    case 4:
        return tr("总数据数:") + dataCount_;
    case 5:
        return eventCount_;
    case 6:
        return lastEvent_;
    default:
        return {};
    }
}

void CTimeWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor::fromRgba(kBackground));
    painter.drawRect(QRect(0, 0, width() - 1, height() - 1));
    painter.setFont(font_);
    painter.setPen(Qt::black);
    for (int i = 0; i < Lines(); ++i)
        painter.drawText(QRect(kLineLeft, LineTop(i), width() - kLineLeft, height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, Line(i));
}

} // namespace zel
