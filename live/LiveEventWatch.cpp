#include "live/LiveEventWatch.h"

#include "common/LocalTime.h"
#include "widgets/CTimeWnd.h"
#include "widgets/UiThread.h"

#include <QApplication>

namespace zel {

LiveEventWatch::LiveEventWatch(QWidget* window, CTimeWnd* infoBar)
    : window_(window), infoBar_(infoBar) {}

void LiveEventWatch::SetLimits(const EventLimits& limits, bool sound) {
    check_.Reset(limits);
    sound_ = sound;
    shown_.reset();
    count_ = 0;
    // The bar says limits are watched from the start, with no event yet.
    infoBar_->SetEventLines(limits.Any() ? CountText(0) : QString(), QString());
}

unsigned LiveEventWatch::Check(std::int32_t ch1, std::int32_t ch2, std::int64_t time) {
    if (!check_.Limits().Any())
        return 0;
    const EventFinder::Step step = check_.Add(ch1, ch2, time);
    const auto last = check_.LastEvent();
    // The bar is told only when what it shows changes: a new event, or a higher maximum.
    if (last && (!shown_ || shown_->startTime != last->startTime || shown_->limit != last->limit ||
                 shown_->max != last->max)) {
        shown_ = last;
        count_ = check_.Count();
        infoBar_->SetEventLines(CountText(check_.Count()), EventText(*last));
    }
    if (step.started && sound_ && window_) {
        ++tones_;
        RunOnObjectThread(window_.data(), [] { QApplication::beep(); });
    }
    return step.over;
}

QString LiveEventWatch::LimitCaption(LimitKind limit) {
    switch (limit) {
    case LimitKind::Ch1:
        return QCoreApplication::translate("zel::LiveEventWatch", "CH1电流");
    case LimitKind::Ch2:
        return QCoreApplication::translate("zel::LiveEventWatch", "CH2电流");
    case LimitKind::Difference:
        return QCoreApplication::translate("zel::LiveEventWatch", "电流差");
    case LimitKind::Unbalance:
        return QCoreApplication::translate("zel::LiveEventWatch", "不平衡系数");
    }
    return {};
}

namespace {

QString Unit(LimitKind limit) {
    return limit == LimitKind::Unbalance ? QStringLiteral("%") : QStringLiteral("A");
}

QString EventLine(LimitKind limit, const QString& max, const QString& time) {
    return QCoreApplication::translate("zel::LiveEventWatch", "越限: %1 %2%3 %4")
        .arg(LiveEventWatch::LimitCaption(limit), max, Unit(limit), time);
}

} // namespace

QString LiveEventWatch::EventText(const LiveEventCheck::Last& last) {
    return EventLine(last.limit, QString::number(last.max),
                     QString::fromStdString(FormatLocalTime(last.startTime, "%H:%M:%S")));
}

QStringList LiveEventWatch::WidestLines() {
    QStringList lines{QCoreApplication::translate("zel::LiveEventWatch", "越限次数:%1")
                          .arg(QStringLiteral("0000000000"))};
    // Currents are 16 bits; a difference may be negative; the unbalance is at most 100.
    for (const LimitKind limit :
         {LimitKind::Ch1, LimitKind::Ch2, LimitKind::Difference, LimitKind::Unbalance})
        lines << EventLine(
            limit, limit == LimitKind::Unbalance ? QStringLiteral("000") : QStringLiteral("-00000"),
            QStringLiteral("00:00:00"));
    return lines;
}

QString LiveEventWatch::CountText(std::int64_t count) {
    return QCoreApplication::translate("zel::LiveEventWatch", "越限次数:%1").arg(count);
}

} // namespace zel
