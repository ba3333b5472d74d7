#include "records/RecordFile.h"

#include "common/DeviceText.h"
#include "common/FileLocations.h"
#include "common/LocalTime.h"
#include "records/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

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

// The record name, then with "-2", "-3", ... added for the further tries.
std::string NameToTry(const std::string& basePath, int n) {
    const std::string stem = basePath.substr(0, basePath.size() - 4); // without ".zmr"
    return n == 1 ? basePath : stem + "-" + std::to_string(n) + ".zmr";
}

// Opens a new file under the record name, adding "-2", "-3", ... while the name is taken.
// O_EXCL makes the choice safe against another writer picking the same name at the same time.
int CreateExclusive(const std::string& basePath, std::string& path) {
    for (int n = 1; n <= kMaxNameSuffix; ++n) {
        path = NameToTry(basePath, n);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Gives the unnamed file `file` the first free record name. linkat never replaces a file: a
// taken name fails with EEXIST and the next one is tried.
bool LinkUnderFreeName(const FileDescriptor& file, const std::string& basePath, std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(file.get());
    for (int n = 1; n <= kMaxNameSuffix; ++n) {
        path = NameToTry(basePath, n);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// The header goes into an unnamed file that gets its name only once the header is complete:
// a program killed or a disk filled on the way leaves no empty or cut header under a record
// name. File systems without unnamed files get the name first and lose it again on failure.
std::string CreateRecord(const RecordFileHeader& header, const std::string& prefix,
                         const std::string& directory) {
    const std::string folder = directory.empty() ? RecordDirectory() : directory;
    std::error_code ignored; // normally it exists already; opening the file tells the rest
    std::filesystem::create_directories(folder, ignored);
    const std::string basePath =
        RecordFileName(folder, prefix, header.deviceNumber, header.startTime);

    std::string path;
    FileDescriptor unnamed(::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644));
    if (unnamed.valid()) {
        if (!unnamed.WriteAll(&header, sizeof header) ||
            !LinkUnderFreeName(unnamed, basePath, path))
            return {};
        if (!unnamed.Close()) {
            KeepingErrno([&] { ::unlink(path.c_str()); });
            return {};
        }
        return path;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        return {};

    FileDescriptor file(CreateExclusive(basePath, path));
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

// Every whole block in the rest of the file; a block cut short at the end is left out. The list
// grows with what is actually read, never with what the file's size promises: a sparse file or
// one cut short while it is read costs no more memory than the data it really has.
template <typename Block> bool ReadBlocks(const FileDescriptor& file, std::vector<Block>& blocks) {
    constexpr std::size_t kChunkBlocks = (std::size_t{1} << 20) / sizeof(Block);
    constexpr std::size_t kMaxBlocks = kMaxRecordFileSize / sizeof(Block);
    for (;;) {
        const std::size_t had = blocks.size();
        if (had >= kMaxBlocks) {
            errno = EFBIG; // the file grew past the limit while it was read
            return false;
        }
        blocks.resize(had + kChunkBlocks);
        const ssize_t got = file.ReadAll(blocks.data() + had, kChunkBlocks * sizeof(Block));
        if (got < 0)
            return false;
        blocks.resize(had + static_cast<std::size_t>(got) / sizeof(Block));
        if (static_cast<std::size_t>(got) < kChunkBlocks * sizeof(Block))
            return true; // the end of the file
    }
}

std::vector<TrendPoint> TrendPointsOf(const std::vector<TrendBlock>& blocks) {
    std::vector<TrendPoint> points;
    points.reserve(blocks.size() * kTrendPointsPerBlock);
    for (const TrendBlock& block : blocks)
        for (int i = 0; i < kTrendPointsPerBlock; ++i)
            points.push_back({block.ch1[i], block.ch2[i]});
    return points;
}

std::optional<RecordImage> Fail(RecordReadFailure* failure, RecordReadFailure::Reason reason,
                                int systemError = 0) {
    if (failure)
        *failure = {reason, systemError};
    return std::nullopt;
}

} // namespace

std::string RecordDirectory() {
    return FileLocations::ForThisProcess().UseRecordDirectory();
}

std::string RecordFileName(const std::string& directory, const std::string& prefix,
                           std::uint16_t deviceNumber, std::int64_t startTime) {
    return directory + "/" + prefix + "-" + std::to_string(DeviceNumber(deviceNumber)) + "-" +
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

std::string CreateRecordWithHeader(const RecordFileHeader& header, const std::string& prefix,
                                   const std::string& directory) {
    RecordFileHeader h = MakeHeader(static_cast<RecordKind>(header.kind), header.deviceNumber,
                                    header.deviceVersion, header.startTime);
    return CreateRecord(h, prefix, directory);
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

std::optional<RecordImage> ReadRecordImage(const std::string& path, RecordReadFailure* failure) {
    using Reason = RecordReadFailure::Reason;
    // O_NONBLOCK and the regular-file check: a pipe picked by mistake must not hang the viewer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid())
        return Fail(failure, Reason::CannotOpen, errno);
    struct stat info {};
    if (::fstat(file.get(), &info) != 0)
        return Fail(failure, Reason::ReadError, errno);
    if (!S_ISREG(info.st_mode))
        return Fail(failure, Reason::NotRegularFile);
    if (info.st_size < static_cast<off_t>(kRecordHeaderSize))
        return Fail(failure, Reason::NotRecordFile);
    if (info.st_size > kMaxRecordFileSize)
        return Fail(failure, Reason::TooLarge);
    RecordImage image;
    const ssize_t got = file.ReadAll(&image.header, sizeof image.header);
    if (got < 0)
        return Fail(failure, Reason::ReadError, errno);
    if (got != sizeof image.header || !HasRecordMagic(image.header))
        return Fail(failure, Reason::NotRecordFile);

    // Only 0 means trend; any other kind is read as a waveform record.
    try {
        if (image.IsTrend()) {
            if (!ReadBlocks(file, image.trendBlocks))
                return Fail(failure, errno == EFBIG ? Reason::TooLarge : Reason::ReadError, errno);
            image.header.dataCount =
                static_cast<std::int32_t>(image.trendBlocks.size() * kTrendPointsPerBlock);
        } else {
            if (!ReadBlocks(file, image.waveBlocks))
                return Fail(failure, errno == EFBIG ? Reason::TooLarge : Reason::ReadError, errno);
            image.header.dataCount = static_cast<std::int32_t>(image.waveBlocks.size());
        }
    } catch (const std::bad_alloc&) {
        // A file larger than the memory left is refused, not a reason to end the program.
        return Fail(failure, Reason::ReadError, ENOMEM);
    }
    if (failure)
        *failure = {};
    return image;
}

std::optional<RecordFileData> ReadRecordFile(const std::string& path) {
    auto image = ReadRecordImage(path);
    if (!image)
        return std::nullopt;
    RecordFileData data;
    data.header = image->header;
    data.blocks = std::move(image->waveBlocks);
    try {
        data.points = TrendPointsOf(image->trendBlocks);
    } catch (const std::bad_alloc&) {
        return std::nullopt; // the points take four times the blocks' memory
    }
    return data;
}

} // namespace zel
