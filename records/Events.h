#pragma once

#include "records/RecordPoints.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace zel {

// The quantities a limit watches, in the order events that start together are listed.
enum class LimitKind : int { Ch1 = 0, Ch2 = 1, Difference = 2, Unbalance = 3 };
constexpr int kLimitKinds = 4;

// "ch1", "ch2", "difference", "unbalance": the names scripts see.
const char* LimitName(LimitKind kind);

// One limit: a value is over it when strictly above `above` (A, or % for the unbalance).
struct Limit {
    bool on = false;
    std::int32_t above = 0;
    bool operator==(const Limit&) const = default;
};

// The four limits and how many consecutive points over one make an event.
struct EventLimits {
    std::array<Limit, kLimitKinds> limit{};
    std::int32_t minPoints = 1;

    Limit& operator[](LimitKind kind) { return limit[static_cast<std::size_t>(kind)]; }
    const Limit& operator[](LimitKind kind) const { return limit[static_cast<std::size_t>(kind)]; }
    bool Any() const;
    bool operator==(const EventLimits&) const = default;
};

// The value a limit watches at a point of currents `ch1`, `ch2`: the current itself, their
// CurrentDifference or their UnbalanceCoefficient.
std::int32_t LimitValue(LimitKind kind, std::int32_t ch1, std::int32_t ch2);

// A maximal run of consecutive points over one limit, at least the minimum long.
struct LimitEvent {
    LimitKind limit = LimitKind::Ch1;
    std::int64_t first = 0; // point indices in the record
    std::int64_t last = 0;
    std::int32_t max = 0;
    std::int64_t maxIndex = 0; // the first point of the run with the maximum

    std::int64_t Points() const { return last - first + 1; }
    // The time its points cover, 0.5 s each.
    double DurationSeconds() const { return 0.5 * static_cast<double>(Points()); }
    bool operator==(const LimitEvent&) const = default;
};

// Finds the events of points handed over one at a time, in order. Whatever feeds it (a record
// in memory, a file read in chunks, a live stream) keeps nothing but the open runs, and each
// point costs the same.
class EventFinder {
public:
    explicit EventFinder(const EventLimits& limits) : limits_(limits) {}

    // What a point did to the runs: the limits it is over, and those whose run reached the
    // minimum length with it (an event begins to count). Bit k is LimitKind k.
    struct Step {
        unsigned over = 0;
        unsigned started = 0;
    };

    // Point i, which follows the one handed over before (or is the first).
    Step Add(std::int64_t i, std::int32_t ch1, std::int32_t ch2);
    // Ends the runs still open: the points have ended, or the next is not the following one.
    void Close();

    // The run of `kind` still open and long enough to count, if any.
    std::optional<LimitEvent> Open(LimitKind kind) const;
    const EventLimits& Limits() const { return limits_; }

    // The events found so far (closed runs), in the order they ended; Close() first for all.
    std::vector<LimitEvent>& Events() { return events_; }

private:
    struct Run {
        bool open = false;
        LimitEvent event;
    };
    void End(Run& run);

    EventLimits limits_;
    std::array<Run, kLimitKinds> runs_{};
    std::vector<LimitEvent> events_;
};

// In time order: by first point, then ch1, ch2, difference, unbalance.
void SortEvents(std::vector<LimitEvent>& events);

// The events among the points of `range` (limited to the record) of a trend or waveform record;
// a waveform record opened in place is read from its file a chunk at a time. Nothing when
// cancelled or when the file can no longer be read to the end of the range.
std::optional<std::vector<LimitEvent>> FindEvents(const RecordImage& image,
                                                  const EventLimits& limits, PointRange range,
                                                  const std::atomic<bool>* cancelled = nullptr);

// The live check: blocks as they arrive, each in constant time, counting the events and
// keeping the last one to begin.
class LiveEventCheck {
public:
    explicit LiveEventCheck(const EventLimits& limits = {}) : finder_(limits) {}

    // Starts over with other limits.
    void Reset(const EventLimits& limits);
    // The next block's currents, taken at `time` (seconds since 1970 UTC).
    EventFinder::Step Add(std::int32_t ch1, std::int32_t ch2, std::int64_t time);
    // The link broke: runs do not continue across the gap.
    void Break();

    std::int64_t Count() const { return count_; }
    // The event that began last: its limit, its start time and its maximum so far.
    struct Last {
        LimitKind limit = LimitKind::Ch1;
        std::int64_t startTime = 0;
        std::int32_t max = 0;
    };
    std::optional<Last> LastEvent() const { return last_; }
    const EventLimits& Limits() const { return finder_.Limits(); }

private:
    EventFinder finder_;
    std::int64_t next_ = 0;
    std::int64_t count_ = 0;
    unsigned previousOver_ = 0;
    std::array<std::int64_t, kLimitKinds> runStarts_{};
    std::optional<Last> last_;
    bool lastOpen_ = false; // the last event's run goes on
};

} // namespace zel
