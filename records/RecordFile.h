#pragma once

#include "records/RecordTypes.h"
#include "records/SampleBlock.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// Record files: a 60-byte header and whole blocks, nothing kept open between calls.
//
// The create operations take an optional directory; empty means RecordDirectory(). They never
// replace an existing file: when the name is taken, "-2", "-3", ... is added before ".zmr". They
// return the full path of the new file, or an empty string when it could not be written.
//
// On failure every write operation here leaves errno telling why (the system's reason for the
// user), also when it had to clean up after itself.

// The folder "ZMR": beside the executable, or in the user's documents for an installed copy
// (created on first use; see FileLocations).
std::string RecordDirectory();

// "<directory>/<prefix>-<deviceNumber + 191000>-<local start time %Y%m%d%H%M%S>.zmr"
std::string RecordFileName(const std::string& directory, const std::string& prefix,
                           std::uint16_t deviceNumber, std::int64_t startTime);

// Waveform record ("S", "R") started now.
std::string CreateWaveformRecord(const std::string& prefix, std::uint16_t deviceNumber,
                                 std::uint16_t deviceVersion, const std::string& directory = {});

// Trend record ("T", "U") whose first block was taken at startTime.
std::string CreateTrendRecord(const std::string& prefix, std::uint16_t deviceNumber,
                              std::uint16_t deviceVersion, std::int64_t startTime,
                              const std::string& directory = {});

// A record file holding only `header` (its magic and dataCount are set here), named by the usual
// rule from `prefix`, its device number and start time. Used to write a record cut from another.
std::string CreateRecordWithHeader(const RecordFileHeader& header, const std::string& prefix,
                                   const std::string& directory = {});

// Appends one whole block to an existing record file. On failure the file is cut back to its
// previous length, so it still ends with a whole block, and false is returned.
bool AppendRecordBlock(const std::string& path, const void* block, std::size_t size);
bool AppendRecordBlock(const std::string& path, const SampleBlock& block);
bool AppendRecordBlock(const std::string& path, const TrendBlock& block);

// What a record file holds. Exactly one of blocks / points is filled, by the header's kind;
// header.dataCount is the number of items loaded.
struct RecordFileData {
    RecordFileHeader header;
    std::vector<SampleBlock> blocks; // waveform record
    std::vector<TrendPoint> points;  // trend record, 62 per block
};

// Record files larger than this are refused unread: the live stream fills one in about four days
// of recording without a break, and a reader holds the whole file in memory.
inline constexpr std::int64_t kMaxRecordFileSize = std::int64_t{1} << 30;

// Loads every whole block; an incomplete trailing block is ignored. Nothing when the file cannot
// be read, is not a regular file, is larger than kMaxRecordFileSize or does not start with the
// record magic.
std::optional<RecordFileData> ReadRecordFile(const std::string& path);

// A record file's whole blocks as they lie in the file. Exactly one of the lists is filled, by
// the header's kind; header.dataCount is the number of sample blocks or trend points loaded.
// Trend values stay 16-bit here, half the size of TrendPoints: a viewer can hold a long record
// once and read it in place.
struct RecordImage {
    RecordFileHeader header;
    std::vector<SampleBlock> waveBlocks; // waveform record
    std::vector<TrendBlock> trendBlocks; // trend record

    bool IsTrend() const { return header.kind == static_cast<std::int32_t>(RecordKind::Trend); }
};

// Why a record file was not loaded.
struct RecordReadFailure {
    enum class Reason { None, CannotOpen, NotRegularFile, NotRecordFile, TooLarge, ReadError };
    Reason reason = Reason::None;
    int systemError = 0; // errno of CannotOpen and ReadError
};

// ReadRecordFile without unpacking the trend blocks, saying why when nothing is loaded.
std::optional<RecordImage> ReadRecordImage(const std::string& path,
                                           RecordReadFailure* failure = nullptr);

// The magic that opens every record file, without its terminating zero unit.
inline constexpr char16_t kRecordMagic[] = u"TAVKEN-ZELMARINE";

} // namespace zel
