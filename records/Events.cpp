#include "records/Events.h"

#include <algorithm>
#include <thread>

namespace zel {

namespace {

// Blocks of a waveform file read at a time, about half a mebibyte, and how many of them make a
// stretch whose two halves are read at once: reading the file is nearly all of the work.
constexpr std::int64_t kBlocksPerRead = 320;
constexpr std::int64_t kBlocksPerStretch = 64 * kBlocksPerRead;
constexpr std::int64_t kPointsPerCheck = 1 << 14;

bool Cancelled(const std::atomic<bool>* cancelled) {
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

// The currents of blocks first … first + count − 1 of `file` into `out`; false when short.
bool ReadCurrents(const RecordReader& file, std::int64_t first, std::int64_t count,
                  TrendPoint* out) {
    std::vector<SampleBlock> buffer(static_cast<std::size_t>(std::min(count, kBlocksPerRead)));
    for (std::int64_t i = 0; i < count;) {
        const std::int64_t want = std::min(kBlocksPerRead, count - i);
        if (file.ReadBlocks(first + i, want, buffer.data()) != want)
            return false;
        for (std::int64_t k = 0; k < want; ++k) {
            const SampleBlock& b = buffer[static_cast<std::size_t>(k)];
            out[i + k] = {static_cast<std::int32_t>(b.ch1Current),
                          static_cast<std::int32_t>(b.ch2Current)};
        }
        i += want;
    }
    return true;
}

// A waveform record opened in place, a stretch at a time; the two halves of a stretch are read
// on two threads.
bool AddFile(const RecordReader& file, PointRange range, EventFinder& finder,
             const std::atomic<bool>* cancelled) {
    std::vector<TrendPoint> points(
        static_cast<std::size_t>(std::min(range.count, kBlocksPerStretch)));
    for (std::int64_t i = range.first; i < range.first + range.count;) {
        if (Cancelled(cancelled))
            return false;
        const std::int64_t n = std::min(kBlocksPerStretch, range.first + range.count - i);
        bool whole = true;
        if (n >= 2 * kBlocksPerRead) {
            const std::int64_t half = n / 2;
            bool laterWhole = true;
            std::thread later(
                [&] { laterWhole = ReadCurrents(file, i + half, n - half, points.data() + half); });
            whole = ReadCurrents(file, i, half, points.data());
            later.join();
            whole = whole && laterWhole;
        } else {
            whole = ReadCurrents(file, i, n, points.data());
        }
        if (!whole)
            return false;
        for (std::int64_t k = 0; k < n; ++k)
            finder.Add(i + k, points[static_cast<std::size_t>(k)].ch1,
                       points[static_cast<std::size_t>(k)].ch2);
        i += n;
    }
    return true;
}

bool AddTrend(const RecordImage& image, PointRange range, EventFinder& finder,
              const std::atomic<bool>* cancelled) {
    const std::int64_t end = range.first + range.count;
    for (std::int64_t i = range.first; i < end;) {
        const TrendBlock& block =
            image.trendBlocks[static_cast<std::size_t>(i / kTrendPointsPerBlock)];
        const std::int64_t blockStart = i - i % kTrendPointsPerBlock;
        const std::int64_t blockEnd = std::min(end, blockStart + kTrendPointsPerBlock);
        for (; i < blockEnd; ++i) {
            const auto k = static_cast<int>(i - blockStart);
            finder.Add(i, block.ch1[k], block.ch2[k]);
        }
        if (i % kPointsPerCheck < kTrendPointsPerBlock && Cancelled(cancelled))
            return false;
    }
    return true;
}

bool AddBlocks(const RecordImage& image, PointRange range, EventFinder& finder,
               const std::atomic<bool>* cancelled) {
    for (std::int64_t i = range.first; i < range.first + range.count; ++i) {
        const SampleBlock& b = image.waveBlocks[static_cast<std::size_t>(i)];
        finder.Add(i, static_cast<std::int32_t>(b.ch1Current),
                   static_cast<std::int32_t>(b.ch2Current));
        if (i % kPointsPerCheck == 0 && Cancelled(cancelled))
            return false;
    }
    return true;
}

} // namespace

const char* LimitName(LimitKind kind) {
    switch (kind) {
    case LimitKind::Ch1:
        return "ch1";
    case LimitKind::Ch2:
        return "ch2";
    case LimitKind::Difference:
        return "difference";
    case LimitKind::Unbalance:
        return "unbalance";
    }
    return "";
}

bool EventLimits::Any() const {
    return std::any_of(limit.begin(), limit.end(), [](const Limit& l) { return l.on; });
}

std::int32_t LimitValue(LimitKind kind, std::int32_t ch1, std::int32_t ch2) {
    switch (kind) {
    case LimitKind::Ch1:
        return ch1;
    case LimitKind::Ch2:
        return ch2;
    case LimitKind::Difference:
        return CurrentDifference(ch1, ch2);
    case LimitKind::Unbalance:
        return UnbalanceCoefficient(ch1, ch2);
    }
    return 0;
}

EventFinder::Step EventFinder::Add(std::int64_t i, std::int32_t ch1, std::int32_t ch2) {
    Step step;
    for (int k = 0; k < kLimitKinds; ++k) {
        const Limit& limit = limits_.limit[static_cast<std::size_t>(k)];
        if (!limit.on)
            continue;
        const auto kind = static_cast<LimitKind>(k);
        const std::int32_t value = LimitValue(kind, ch1, ch2);
        Run& run = runs_[static_cast<std::size_t>(k)];
        if (value <= limit.above) {
            if (run.open)
                End(run);
            continue;
        }
        step.over |= 1u << k;
        if (!run.open) {
            run.open = true;
            run.event = {kind, i, i, value, i};
        } else {
            run.event.last = i;
            if (value > run.event.max) {
                run.event.max = value;
                run.event.maxIndex = i;
            }
        }
        if (run.event.Points() == std::max(1, limits_.minPoints))
            step.started |= 1u << k;
    }
    return step;
}

void EventFinder::End(Run& run) {
    run.open = false;
    if (run.event.Points() >= limits_.minPoints)
        events_.push_back(run.event);
}

void EventFinder::Close() {
    for (Run& run : runs_)
        if (run.open)
            End(run);
}

std::optional<LimitEvent> EventFinder::Open(LimitKind kind) const {
    const Run& run = runs_[static_cast<std::size_t>(kind)];
    if (!run.open || run.event.Points() < limits_.minPoints)
        return std::nullopt;
    return run.event;
}

void SortEvents(std::vector<LimitEvent>& events) {
    std::sort(events.begin(), events.end(), [](const LimitEvent& a, const LimitEvent& b) {
        if (a.first != b.first)
            return a.first < b.first;
        return a.limit < b.limit;
    });
}

std::optional<std::vector<LimitEvent>> FindEvents(const RecordImage& image,
                                                  const EventLimits& limits, PointRange range,
                                                  const std::atomic<bool>* cancelled) {
    const RecordPoints points(image);
    range =
        range.Empty() ? PointRange{} : PointRange::Of(range.first, range.Last(), points.Count());
    EventFinder finder(limits);
    if (range.Empty() || !limits.Any())
        return std::vector<LimitEvent>{};
    bool done = false;
    if (image.IsTrend())
        done = AddTrend(image, range, finder, cancelled);
    else if (image.file)
        done = AddFile(*image.file, range, finder, cancelled);
    else
        done = AddBlocks(image, range, finder, cancelled);
    if (!done)
        return std::nullopt;
    finder.Close();
    std::vector<LimitEvent> events = std::move(finder.Events());
    SortEvents(events);
    return events;
}

void LiveEventCheck::Reset(const EventLimits& limits) {
    *this = LiveEventCheck(limits);
}

EventFinder::Step LiveEventCheck::Add(std::int32_t ch1, std::int32_t ch2, std::int64_t time) {
    const EventFinder::Step step = finder_.Add(next_++, ch1, ch2);
    // Closed runs are not kept: the live view needs only the count and the last event.
    finder_.Events().clear();
    for (int k = 0; k < kLimitKinds; ++k) {
        const unsigned bit = 1u << k;
        const auto kind = static_cast<LimitKind>(k);
        if (!(step.over & bit)) {
            if (last_ && last_->limit == kind)
                lastOpen_ = false;
            continue;
        }
        if (!(previousOver_ & bit))
            runStarts_[static_cast<std::size_t>(k)] = time;
        if (step.started & bit) {
            ++count_;
            last_ = Last{kind, runStarts_[static_cast<std::size_t>(k)], 0};
            lastOpen_ = true;
        }
        if (lastOpen_ && last_->limit == kind)
            last_->max = finder_.Open(kind)->max;
    }
    previousOver_ = step.over;
    return step;
}

void LiveEventCheck::Break() {
    finder_.Close();
    finder_.Events().clear();
    previousOver_ = 0;
    lastOpen_ = false;
}

} // namespace zel
