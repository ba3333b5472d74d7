#pragma once

#include <cstdint>
#include <string>

namespace zel {

enum class RecordKind : std::int32_t { Trend = 0, Waveform = 1 };

constexpr int kTrendPointsPerBlock = 62;
constexpr std::size_t kRecordHeaderSize = 60;
constexpr std::size_t kWaveformBlockSize = 1612;
constexpr std::size_t kTrendBlockSize = 248;

// The 60-byte header of every record file (little-endian image).
#pragma pack(push, 1)
struct RecordFileHeader {
    char16_t magic[20] = {};
    std::int32_t kind = 0;
    std::uint16_t deviceNumber = 0;
    std::uint16_t deviceVersion = 0;
    std::int64_t startTime = 0;
    std::int32_t dataCount = 0;
};
#pragma pack(pop)
static_assert(sizeof(RecordFileHeader) == kRecordHeaderSize);

// 62 CH1 values then 62 CH2 values; value i of each forms trend point i.
struct TrendBlock {
    std::int16_t ch1[kTrendPointsPerBlock] = {};
    std::int16_t ch2[kTrendPointsPerBlock] = {};
};
static_assert(sizeof(TrendBlock) == kTrendBlockSize);

struct TrendFrame {
    TrendBlock block;
    std::int64_t time = 0; // seconds since 1970-01-01 00:00:00 UTC
};

struct TrendPoint {
    std::int32_t ch1 = 0;
    std::int32_t ch2 = 0;
};

// One row describing a trend record file that was written.
struct RecordFileSummary {
    int number = 0;
    std::string path;
    std::string startTime; // "%Y-%m-%d %H:%M:%S", local time
    int blocks = 0;
};

} // namespace zel
