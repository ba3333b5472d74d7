#pragma once

#include "records/RecordCurrents.h"
#include "records/RecordReader.h"
#include "records/RecordTypes.h"
#include "records/SampleBlock.h"

#include <cstdint>
#include <memory>
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

// Loads every whole block; an incomplete trailing block is ignored. Nothing when the file cannot
// be read, is not a regular file, does not fit in memory or does not start with the record magic.
std::optional<RecordFileData> ReadRecordFile(const std::string& path);

// A record file's whole blocks. Exactly one of the lists is filled, by the header's kind, unless
// a waveform record is opened in place: then `file` reads its blocks on demand and the lists
// stay empty. header.dataCount is the number of sample blocks or trend points.
// Trend values stay 16-bit here, half the size of TrendPoints: a viewer can hold a long record
// once and read it in place.
struct RecordImage {
    RecordFileHeader header;
    std::vector<SampleBlock> waveBlocks; // waveform record read whole
    std::vector<TrendBlock> trendBlocks; // trend record
    // A waveform record opened in place, and, once someone starts it, the scan of its currents.
    std::shared_ptr<const RecordReader> file;
    std::shared_ptr<const RecordCurrents> currents;

    bool IsTrend() const { return header.kind == static_cast<std::int32_t>(RecordKind::Trend); }
    // Sample blocks of a waveform record, read whole or in place.
    std::int64_t WaveBlockCount() const {
        return file ? file->Blocks() : static_cast<std::int64_t>(waveBlocks.size());
    }
};

// ReadRecordFile without unpacking the trend blocks, saying why when nothing is loaded.
std::optional<RecordImage> ReadRecordImage(const std::string& path,
                                           RecordReadFailure* failure = nullptr);

// As ReadRecordImage, but a waveform record is not read: its blocks stay in the file (`file`),
// so a record of any length opens at once and costs no memory for its samples. A trend record
// is read whole as before.
std::optional<RecordImage> OpenRecordImage(const std::string& path,
                                           RecordReadFailure* failure = nullptr);

} // namespace zel
