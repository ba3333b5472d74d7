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

QString LiveEventWatch::EventText(const LiveEventCheck::Last& last) {
    const QString unit =
        last.limit == LimitKind::Unbalance ? QStringLiteral("%") : QStringLiteral("A");
    return QCoreApplication::translate("zel::LiveEventWatch", "越限: %1 %2%3 %4")
        .arg(LimitCaption(last.limit))
        .arg(last.max)
        .arg(unit, QString::fromStdString(FormatLocalTime(last.startTime, "%H:%M:%S")));
}

QString LiveEventWatch::CountText(std::int64_t count) {
    return QCoreApplication::translate("zel::LiveEventWatch", "越限次数:%1").arg(count);
}

} // namespace zel
