#include "records/RecordFile.h"

#include "common/FileLocations.h"
#include "common/LocalTime.h"
#include "device/DeviceStatus.h"
#include "records/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zel {

namespace {

// Enough for any burst of recordings started within one second.
constexpr int kMaxNameSuffix = 9999;

RecordFileHeader MakeHeader(RecordKind kind, std::uint16_t deviceNumber,
                            std::uint16_t deviceVersion, std::int64_t startTime) {
    RecordFileHeader header;
    std::memcpy(header.magic, kRecordMagic, sizeof kRecordMagic); // includes the zero unit
    header.kind = static_cast<std::int32_t>(kind);
    header.deviceNumber = deviceNumber;
    header.deviceVersion = deviceVersion;
    header.startTime = startTime;
    return header;
}

// Runs the clean-up of a failed write without losing errno, which tells the caller why.
template <typename CleanUp> void KeepingErrno(CleanUp cleanUp) {
    const int error = errno;
    cleanUp();
    errno = error;
}

bool HasRecordMagic(const RecordFileHeader& header) {
    return std::memcmp(header.magic, kRecordMagic, sizeof kRecordMagic) == 0;
}

// Opens a new file under the record name, adding "-2", "-3", ... while the name is taken.
// O_EXCL makes the choice safe against another writer picking the same name at the same time.
int CreateExclusive(const std::string& basePath, std::string& path) {
    const std::string stem = basePath.substr(0, basePath.size() - 4); // without ".zmr"
    for (int n = 1; n <= kMaxNameSuffix; ++n) {
        path = n == 1 ? basePath : stem + "-" + std::to_string(n) + ".zmr";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

std::string CreateRecord(const RecordFileHeader& header, const std::string& prefix,
                         const std::string& directory) {
    const std::string folder = directory.empty() ? RecordDirectory() : directory;
    std::error_code ignored; // normally it exists already; opening the file tells the rest
    std::filesystem::create_directories(folder, ignored);

    std::string path;
    FileDescriptor file(CreateExclusive(
        RecordFileName(folder, prefix, header.deviceNumber, header.startTime), path));
    if (!file.valid())
        return {};
    if (!file.WriteAll(&header, sizeof header) || !file.Close()) {
        KeepingErrno([&] {
            file.Close();
            ::unlink(path.c_str());
        });
        return {};
    }
    return path;
}

// Every whole block in the rest of the file; a block cut short at the end is left out.
template <typename Block>
std::optional<std::vector<Block>> ReadBlocks(const FileDescriptor& file, std::size_t available) {
    std::vector<Block> blocks(available / sizeof(Block));
    const ssize_t got = file.ReadAll(blocks.data(), blocks.size() * sizeof(Block));
    if (got < 0)
        return std::nullopt;
    blocks.resize(static_cast<std::size_t>(got) / sizeof(Block));
    return blocks;
}

std::vector<TrendPoint> TrendPointsOf(const std::vector<TrendBlock>& blocks) {
    std::vector<TrendPoint> points;
    points.reserve(blocks.size() * kTrendPointsPerBlock);
    for (const TrendBlock& block : blocks)
        for (int i = 0; i < kTrendPointsPerBlock; ++i)
            points.push_back({block.ch1[i], block.ch2[i]});
    return points;
}

} // namespace

std::string RecordDirectory() {
    return FileLocations::ForThisProcess().UseRecordDirectory();
}

std::string RecordFileName(const std::string& directory, const std::string& prefix,
                           std::uint16_t deviceNumber, std::int64_t startTime) {
    return directory + "/" + prefix + "-" + std::to_string(deviceNumber + kDeviceNumberBase) + "-" +
           FormatLocalTime(startTime, "%Y%m%d%H%M%S") + ".zmr";
}

std::string CreateWaveformRecord(const std::string& prefix, std::uint16_t deviceNumber,
                                 std::uint16_t deviceVersion, const std::string& directory) {
    return CreateRecord(MakeHeader(RecordKind::Waveform, deviceNumber, deviceVersion, NowSeconds()),
                        prefix, directory);
}

std::string CreateTrendRecord(const std::string& prefix, std::uint16_t deviceNumber,
                              std::uint16_t deviceVersion, std::int64_t startTime,
                              const std::string& directory) {
    return CreateRecord(MakeHeader(RecordKind::Trend, deviceNumber, deviceVersion, startTime),
                        prefix, directory);
}

bool AppendRecordBlock(const std::string& path, const void* block, std::size_t size) {
    // No O_CREAT: a record file without its header would be of no use to anyone.
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!file.valid())
        return false;
    const off_t before = ::lseek(file.get(), 0, SEEK_END);
    if (before < 0) {
        KeepingErrno([&] { file.Close(); });
        return false;
    }
    if (!file.WriteAll(block, size)) {
        // A full disk may take part of the block; cut it off so the file ends on a whole block.
        KeepingErrno([&] {
            [[maybe_unused]] const int ignored = ::ftruncate(file.get(), before);
            file.Close();
        });
        return false;
    }
    return file.Close();
}

bool AppendRecordBlock(const std::string& path, const SampleBlock& block) {
    return AppendRecordBlock(path, &block, sizeof block);
}

bool AppendRecordBlock(const std::string& path, const TrendBlock& block) {
    return AppendRecordBlock(path, &block, sizeof block);
}

std::optional<RecordFileData> ReadRecordFile(const std::string& path) {
    // O_NONBLOCK and the regular-file check: a pipe picked by mistake must not hang the viewer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size < static_cast<off_t>(kRecordHeaderSize))
        return std::nullopt;
    RecordFileData data;
    if (file.ReadAll(&data.header, sizeof data.header) != sizeof data.header ||
        !HasRecordMagic(data.header))
        return std::nullopt;
    const auto available = static_cast<std::size_t>(info.st_size) - kRecordHeaderSize;

    // Only 0 means trend; any other kind is read as a waveform record.
    if (data.header.kind == static_cast<std::int32_t>(RecordKind::Trend)) {
        auto blocks = ReadBlocks<TrendBlock>(file, available);
        if (!blocks)
            return std::nullopt;
        data.points = TrendPointsOf(*blocks);
        data.header.dataCount = static_cast<std::int32_t>(data.points.size());
    } else {
        auto blocks = ReadBlocks<SampleBlock>(file, available);
        if (!blocks)
            return std::nullopt;
        data.blocks = std::move(*blocks);
        data.header.dataCount = static_cast<std::int32_t>(data.blocks.size());
    }
    return data;
}

} // namespace zel
