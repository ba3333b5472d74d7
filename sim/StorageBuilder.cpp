#include "sim/StorageBuilder.h"

#include <algorithm>
#include <cmath>

namespace zel::sim {

InstrumentStorage BuildStorage(const StorageLayout& layout) {
    InstrumentStorage storage;
    const int slots = std::clamp(layout.slotCount, 0, kStorageSlots);
    const int frames = std::clamp(layout.framesPerSlot, 0, kMaxFramesPerSlot);
    for (int s = 0; s < slots; ++s) {
        std::vector<TrendFrame> list(static_cast<std::size_t>(frames));
        const double base1 = 120.0 + 7.0 * s;
        const double base2 = 100.0 + 5.0 * (s % 5);
        for (int f = 0; f < frames; ++f) {
            TrendFrame& frame = list[static_cast<std::size_t>(f)];
            frame.time = layout.start + s * layout.slotGap + f * layout.step;
            for (int k = 0; k < kTrendPointsPerBlock; ++k) {
                const double t = (f * kTrendPointsPerBlock + k) * 0.5;
                frame.block.ch1[k] =
                    static_cast<std::int16_t>(std::lround(base1 + 20.0 * std::sin(t / 90.0)));
                frame.block.ch2[k] =
                    static_cast<std::int16_t>(std::lround(base2 + 15.0 * std::cos(t / 70.0)));
            }
        }
        storage.SetSlotFrames(s, std::move(list));
    }
    storage.recordSlots = layout.ring >= 0 ? static_cast<std::uint8_t>(layout.ring)
                                           : InstrumentStorage::RecordSlotsFor(slots);
    return storage;
}

} // namespace zel::sim
