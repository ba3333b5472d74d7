#include "records/RecordFile.h"

#include "common/DeviceText.h"
#include "common/FileLocations.h"
#include "common/LocalTime.h"
#include "records/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
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

// Every whole block of the file, in chunks: the list is sized once from the file's length and
// grows beyond it only if the file grows while it is read, never to twice what it holds.
template <typename Block> bool ReadBlocks(const RecordReader& file, std::vector<Block>& blocks) {
    constexpr std::int64_t kChunkBlocks = (std::int64_t{1} << 20) / sizeof(Block);
    blocks.reserve(static_cast<std::size_t>(file.Blocks()));
    for (;;) {
        const std::size_t had = blocks.size();
        if (blocks.capacity() < had + kChunkBlocks)
            blocks.reserve(had + std::max<std::size_t>(had / 8, kChunkBlocks));
        blocks.resize(had + kChunkBlocks);
        const std::int64_t got =
            file.ReadBlocks(static_cast<std::int64_t>(had), kChunkBlocks, blocks.data() + had);
        if (got < 0)
            return false;
        blocks.resize(had + static_cast<std::size_t>(got));
        if (got < kChunkBlocks) {
            if (blocks.capacity() > blocks.size() + blocks.size() / 8)
                blocks.shrink_to_fit();
            return true; // the end of the file
        }
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

std::optional<RecordImage> OpenRecordImage(const std::string& path, RecordReadFailure* failure) {
    auto file = RecordReader::Open(path, failure);
    if (!file)
        return std::nullopt;
    RecordImage image;
    image.header = file->Header();
    if (!image.IsTrend()) {
        image.header.dataCount =
            static_cast<std::int32_t>(std::min<std::int64_t>(file->Blocks(), INT32_MAX));
        image.file = std::move(file);
        return image;
    }
    try {
        if (!ReadBlocks(*file, image.trendBlocks))
            return Fail(failure, RecordReadFailure::Reason::ReadError, errno);
    } catch (const std::bad_alloc&) {
        // A file larger than the memory left is refused, not a reason to end the program.
        return Fail(failure, RecordReadFailure::Reason::ReadError, ENOMEM);
    }
    image.header.dataCount = static_cast<std::int32_t>(std::min<std::int64_t>(
        static_cast<std::int64_t>(image.trendBlocks.size()) * kTrendPointsPerBlock, INT32_MAX));
    return image;
}

std::optional<RecordImage> ReadRecordImage(const std::string& path, RecordReadFailure* failure) {
    auto image = OpenRecordImage(path, failure);
    if (!image || image->IsTrend())
        return image;
    try {
        if (!ReadBlocks(*image->file, image->waveBlocks))
            return Fail(failure, RecordReadFailure::Reason::ReadError, errno);
    } catch (const std::bad_alloc&) {
        return Fail(failure, RecordReadFailure::Reason::ReadError, ENOMEM);
    }
    image->file.reset();
    image->header.dataCount =
        static_cast<std::int32_t>(std::min<std::size_t>(image->waveBlocks.size(), INT32_MAX));
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
