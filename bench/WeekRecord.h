#pragma once

#include <string>

namespace zel::bench {

// Blocks of a week of recording without a break, two a second.
constexpr int kWeekBlocks = 7 * 24 * 7200;

// A waveform record of a week (kWeekBlocks blocks of 50 Hz currents whose amplitude drifts,
// 1.95 GB), made on first use in a temporary folder that goes when the program ends. The folder
// is in memory (/dev/shm) when there is room, so that making it takes seconds, not a minute on
// a slow disk; reading it back goes through the page cache either way.
const std::string& WeekRecord();

} // namespace zel::bench
