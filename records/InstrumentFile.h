#pragma once

#include "records/InstrumentStorage.h"
#include "records/TrendRecordWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// An instrument data file (*.TCH): a 256-byte header and the 4 MiB image of the 64-slot storage.
constexpr std::size_t kInstrumentHeaderSize = 256;
constexpr std::size_t kInstrumentFileSize = kInstrumentHeaderSize + kStorageImageSize;

// One row of the list of instrument data files found.
struct InstrumentFileEntry {
    std::string path;
    std::string transferTime; // "%d-%d-%d %d:%d:%d", as the instrument wrote it
    int deviceNumber = 0;     // header byte 8, shown as it is
};

// The header of a regular file whose header checksum matches; nothing otherwise.
std::optional<InstrumentFileEntry> ReadInstrumentFileEntry(const std::string& path);

enum class ConvertStatus {
    Converted,         // every accepted frame was written (possibly none)
    CannotOpen,        // the file could not be opened or read
    NotRegularFile,    // a folder, device, pipe ...: nothing is read from it
    TooShort,          // the file ends before the end of the storage image
    WriteFailed,       // a record file could not be created or written
    NotInstrumentFile, // CheckInstrumentFile only: the header checksum does not match
};

struct ConvertResult {
    ConvertStatus status = ConvertStatus::CannotOpen;
    int frames = 0;      // data blocks that passed their checks
    int systemError = 0; // errno of CannotOpen and WriteFailed: the system's reason
};

// The data blocks of the slots in use that pass their checks (checksum, a date in 2000..2099
// that is a valid local time), sorted by time. A block that fails contributes nothing and the
// walk moves on to the next one. `image` is the whole 4 MiB storage image.
std::vector<TrendFrame> ExtractInstrumentFrames(std::uint8_t slotByte, const std::uint8_t* image);

// Whether `path` is a file the search would list (a regular file whose header checksum
// matches): Converted when it is, otherwise why not. Nothing is converted.
ConvertResult CheckInstrumentFile(const std::string& path);

// Converts a file into "U" trend record files in `directory` (default: the record directory).
ConvertResult ConvertInstrumentFile(const std::string& path, const RecordFileDone& onFileDone,
                                    const std::string& directory = {});

// The identity written into the header of an instrument data file.
struct InstrumentFileHeader {
    std::uint8_t deviceNumber = 0;
    std::uint8_t deviceVersion = 0;
    std::int64_t transferTime = 0; // written as local date and time
};

// Writes a complete instrument data file of `storage`: header with storage.recordSlots in byte 18
// and its checksum, then the storage image. Replaces `path`. False when it could not be written.
bool WriteInstrumentFile(const std::string& path, const InstrumentStorage& storage,
                         const InstrumentFileHeader& header);

} // namespace zel
