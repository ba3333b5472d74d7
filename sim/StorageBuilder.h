#pragma once

#include "records/InstrumentStorage.h"

#include <cstdint>

namespace zel::sim {

// How to fill the simulated storage: `slots` recordings of `framesPerSlot` data frames each.
// Slot s starts at start + s * slotGap; its frames follow each other `step` seconds apart.
struct StorageLayout {
    int slotCount = 0;
    int framesPerSlot = 0;
    std::int64_t start = 0;
    std::int64_t step = 31;
    std::int64_t slotGap = 3600;
    int ring = -1; // the slot byte as given, or -1 to derive it from `slots`
};

// Fills the storage with plausible trend data: two drifting currents per recording.
InstrumentStorage BuildStorage(const StorageLayout& layout);

} // namespace zel::sim
