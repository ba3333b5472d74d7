#pragma once

#include "records/Events.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <atomic>
#include <cstdint>

namespace zel {

class CTimeWnd;

// Watches a live stream against the limits, on the worker thread, each block in constant time:
// counts the events and shows the count and the last event on the information bar, and sounds
// a short tone on the window's thread when an event begins (when asked to).
class LiveEventWatch {
public:
    // The window and the bar must outlive the watch's use.
    LiveEventWatch(QWidget* window, CTimeWnd* infoBar);

    // Window thread, before the stream starts (or while it is stopped).
    void SetLimits(const EventLimits& limits, bool sound);
    const EventLimits& Limits() const { return check_.Limits(); }
    bool Sound() const { return sound_; }

    // Worker thread: the block's currents, taken at `time`; returns the limits it is over (bit
    // k is LimitKind k).
    unsigned Check(std::int32_t ch1, std::int32_t ch2, std::int64_t time);
    // Worker thread: the link was lost; no run goes on across the gap.
    void Break() { check_.Break(); }

    std::int64_t Count() const { return count_.load(); }
    // How often a tone was asked for.
    int Tones() const { return tones_.load(); }

    // "越限: 电流差 72A 22:14:05": the limit, the event's maximum so far and its start.
    static QString EventText(const LiveEventCheck::Last& last);
    // "越限次数:3"
    static QString CountText(std::int64_t count);
    // The name of a limit's quantity as the readouts call it.
    static QString LimitCaption(LimitKind limit);
    // The two lines at their widest, '0' standing for any digit: a ten-digit count, and for each
    // limit an event of the largest magnitude the currents can reach.
    static QStringList WidestLines();

private:
    QPointer<QWidget> window_;
    CTimeWnd* infoBar_;
    LiveEventCheck check_;
    bool sound_ = false;
    std::optional<LiveEventCheck::Last> shown_;
    std::atomic<std::int64_t> count_{0};
    std::atomic<int> tones_{0};
};

} // namespace zel
