#pragma once

#include "records/FileDescriptor.h"
#include "records/RecordTypes.h"
#include "records/SampleBlock.h"

#include <cstdint>
#include <memory>
#include <string>

namespace zel {

// The magic that opens every record file, without its terminating zero unit.
inline constexpr char16_t kRecordMagic[] = u"TAVKEN-ZELMARINE";

// Why a record file was not loaded.
struct RecordReadFailure {
    enum class Reason { None, CannotOpen, NotRegularFile, NotRecordFile, ReadError };
    Reason reason = Reason::None;
    int systemError = 0; // errno of CannotOpen and ReadError
};

// A record file kept open for reading its blocks where they lie, as many as the file holds.
// Reads are positioned, so several threads may read at once, and a file cut short while it is
// open only makes reads come back short: nothing is mapped that could fault.
class RecordReader {
public:
    // Opens a regular file that starts with the record magic; nothing otherwise, saying why.
    static std::shared_ptr<const RecordReader> Open(const std::string& path,
                                                    RecordReadFailure* failure = nullptr);

    // The header as stored; dataCount is not filled in here.
    const RecordFileHeader& Header() const { return header_; }
    // Only 0 means trend; any other kind is read as a waveform record.
    bool IsTrend() const { return header_.kind == static_cast<std::int32_t>(RecordKind::Trend); }
    std::size_t BlockSize() const { return IsTrend() ? kTrendBlockSize : kWaveformBlockSize; }
    // Whole blocks in the file when it was opened; an incomplete trailing block is left out.
    std::int64_t Blocks() const { return blocks_; }

    // Copies blocks first … first + count − 1 into `out`. Returns how many whole blocks were
    // read, fewer when the file ends earlier (it may have been cut short since it was opened),
    // or -1 with errno set when reading failed.
    std::int64_t ReadBlocks(std::int64_t first, std::int64_t count, void* out) const;
    // The CH1 and CH2 currents of waveform block i, widened as the plots widen them; zero when
    // the block can no longer be read.
    TrendPoint ReadCurrents(std::int64_t i) const;

    RecordReader(FileDescriptor file, const RecordFileHeader& header, std::int64_t blocks)
        : file_(std::move(file)), header_(header), blocks_(blocks) {}

private:
    FileDescriptor file_;
    RecordFileHeader header_;
    std::int64_t blocks_ = 0;
};

} // namespace zel
