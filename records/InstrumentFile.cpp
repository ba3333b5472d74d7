#include "records/InstrumentFile.h"

#include "common/LocalTime.h"
#include "records/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>

namespace zel {

namespace {

// Header bytes the program reads.
constexpr std::size_t kHeaderDeviceNumber = 8;
constexpr std::size_t kHeaderDeviceVersion = 10;
constexpr std::size_t kHeaderTransferTime = 12; // six bytes: year - 2000, month, ... second
constexpr std::size_t kHeaderSlotByte = 18;

// The year byte counts from 2000; two decimal digits of it are a plausible date (2000..2099).
// A larger byte is erased or damaged storage, not a date.
constexpr std::uint8_t kLastYearByte = 99;

using HeaderBytes = std::array<std::uint8_t, kInstrumentHeaderSize>;

// The slot byte counts up to 127, but the storage has 64 slots; a larger count is damage.
int SlotCount(std::uint8_t slotByte) {
    return (slotByte & 0x80) ? kStorageSlots : std::min(slotByte & 0x7F, kStorageSlots);
}

bool AcceptDataBlock(const std::uint8_t* block, TrendFrame& frame) {
    return StoredBlockChecksumMatches(block) && block[0] <= kLastYearByte &&
           DecodeStoredDataBlock(block, frame);
}

std::string TransferTimeText(const HeaderBytes& h) {
    const std::uint8_t* t = h.data() + kHeaderTransferTime;
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%d:%d", t[0] + 2000, t[1], t[2], t[3], t[4],
                  t[5]);
    return text;
}

HeaderBytes MakeHeaderBytes(const InstrumentStorage& storage, const InstrumentFileHeader& header) {
    HeaderBytes h{};
    h[kHeaderDeviceNumber] = header.deviceNumber;
    h[kHeaderDeviceVersion] = header.deviceVersion;
    const LocalDateTime local = ToLocalDateTime(header.transferTime);
    const int fields[] = {local.year - 2000, local.month,  local.day,
                          local.hour,        local.minute, local.second};
    for (std::size_t i = 0; i < std::size(fields); ++i)
        h[kHeaderTransferTime + i] = static_cast<std::uint8_t>(fields[i]);
    h[kHeaderSlotByte] = storage.recordSlots;
    SealStoredBlock(h.data(), h.data());
    return h;
}

// Opens `path` for reading when it is a regular file; otherwise says why in `result` and gives
// an invalid descriptor. O_NONBLOCK and the regular-file check: a pipe must not hang a reader,
// and a device such as /dev/zero reads as a storage that holds nothing, which is no instrument
// file.
FileDescriptor OpenRegularFile(const std::string& path, ConvertResult& result) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) {
        result.systemError = errno;
        return file;
    }
    if (!file.IsRegularFile()) {
        result.status = ConvertStatus::NotRegularFile;
        return FileDescriptor(-1);
    }
    return file;
}

} // namespace

std::optional<InstrumentFileEntry> ReadInstrumentFileEntry(const std::string& path) {
    // O_NONBLOCK: a pipe or device that happens to carry the name must not hang the search.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid() || !file.IsRegularFile())
        return std::nullopt;
    HeaderBytes h{};
    if (file.ReadAll(h.data(), h.size()) != static_cast<ssize_t>(h.size()) ||
        !StoredBlockChecksumMatches(h.data()))
        return std::nullopt;
    return InstrumentFileEntry{path, TransferTimeText(h), h[kHeaderDeviceNumber]};
}

ConvertResult CheckInstrumentFile(const std::string& path) {
    ConvertResult result;
    FileDescriptor file = OpenRegularFile(path, result);
    if (!file.valid())
        return result;
    HeaderBytes h{};
    const ssize_t got = file.ReadAll(h.data(), h.size());
    if (got < 0) {
        result.systemError = errno;
        return result;
    }
    if (got != static_cast<ssize_t>(h.size()))
        result.status = ConvertStatus::TooShort;
    else if (!StoredBlockChecksumMatches(h.data()))
        result.status = ConvertStatus::NotInstrumentFile;
    else
        result.status = ConvertStatus::Converted;
    return result;
}

std::vector<TrendFrame> ExtractInstrumentFrames(std::uint8_t slotByte, const std::uint8_t* image) {
    std::vector<TrendFrame> frames;
    const int slots = SlotCount(slotByte); // unlike the download, no slot is skipped
    for (int s = 0; s < slots; ++s) {
        const std::uint8_t* slot = image + static_cast<std::size_t>(s) * kSlotSize;
        if (!StoredBlockChecksumMatches(slot))
            continue;
        const int count = slot[kInfoFrameCountOffset];
        for (int j = 1; j <= count; ++j) {
            TrendFrame frame;
            if (AcceptDataBlock(slot + static_cast<std::size_t>(j) * kStoredBlockSize, frame))
                frames.push_back(frame);
        }
    }
    std::stable_sort(frames.begin(), frames.end(),
                     [](const TrendFrame& a, const TrendFrame& b) { return a.time < b.time; });
    return frames;
}

ConvertResult ConvertInstrumentFile(const std::string& path, const RecordFileDone& onFileDone,
                                    const std::string& directory) {
    ConvertResult result;
    FileDescriptor file = OpenRegularFile(path, result);
    if (!file.valid())
        return result;
    HeaderBytes h{};
    std::vector<std::uint8_t> image(kStorageImageSize);
    const ssize_t headerRead = file.ReadAll(h.data(), h.size());
    const ssize_t imageRead = headerRead < 0 ? -1 : file.ReadAll(image.data(), image.size());
    if (headerRead < 0 || imageRead < 0) {
        result.systemError = errno;
        return result;
    }
    file.Close();
    if (headerRead != static_cast<ssize_t>(h.size()) ||
        imageRead != static_cast<ssize_t>(image.size())) {
        result.status = ConvertStatus::TooShort;
        return result;
    }

    const std::vector<TrendFrame> frames =
        ExtractInstrumentFrames(h[kHeaderSlotByte], image.data());
    result.frames = static_cast<int>(frames.size());
    const std::atomic<bool> keepGoing{true};
    if (!WriteTrendRecords("U", h[kHeaderDeviceNumber], h[kHeaderDeviceVersion], frames, keepGoing,
                           onFileDone, directory)) {
        result.status = ConvertStatus::WriteFailed;
        result.systemError = errno;
        return result;
    }
    result.status = ConvertStatus::Converted;
    return result;
}

bool WriteInstrumentFile(const std::string& path, const InstrumentStorage& storage,
                         const InstrumentFileHeader& header) {
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file.valid())
        return false;
    const HeaderBytes h = MakeHeaderBytes(storage, header);
    const std::vector<std::uint8_t> image = storage.Image();
    if (!file.WriteAll(h.data(), h.size()) || !file.WriteAll(image.data(), image.size()) ||
        !file.Close()) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

} // namespace zel
