#include "records/RecordCut.h"

#include "records/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>

namespace zel {

namespace {

std::int64_t BlockCount(const RecordImage& image) {
    return image.IsTrend() ? static_cast<std::int64_t>(image.trendBlocks.size())
                           : image.WaveBlockCount();
}

std::size_t BlockSize(const RecordImage& image) {
    return image.IsTrend() ? kTrendBlockSize : kWaveformBlockSize;
}

// Hands the blocks of `blocks` to `write` as stored: at once when they are in memory, in chunks
// read from the file when the record was opened in place (a week-long record is not held whole).
// A file cut short since it was opened fails with EIO rather than writing a shorter cut.
bool ForEachChunk(const RecordImage& image, BlockRange blocks,
                  const std::function<bool(const void*, std::size_t)>& write) {
    const std::size_t size = BlockSize(image);
    if (image.IsTrend() || !image.file) {
        const auto b = static_cast<std::size_t>(blocks.first);
        const void* data = image.IsTrend() ? static_cast<const void*>(&image.trendBlocks[b])
                                           : static_cast<const void*>(&image.waveBlocks[b]);
        return write(data, static_cast<std::size_t>(blocks.count) * size);
    }
    constexpr std::int64_t kChunkBlocks = 4096;
    std::vector<SampleBlock> chunk(
        static_cast<std::size_t>(std::min<std::int64_t>(kChunkBlocks, blocks.count)));
    for (std::int64_t done = 0; done < blocks.count;) {
        const std::int64_t count = std::min<std::int64_t>(kChunkBlocks, blocks.count - done);
        const std::int64_t read = image.file->ReadBlocks(blocks.first + done, count, chunk.data());
        if (read != count) {
            if (read >= 0)
                errno = EIO;
            return false;
        }
        if (!write(chunk.data(), static_cast<std::size_t>(count) * size))
            return false;
        done += count;
    }
    return true;
}

void RemoveKeepingErrno(const std::string& path) {
    const int error = errno;
    ::unlink(path.c_str());
    errno = error;
}

// The header and blocks into a file that does not exist yet.
bool WriteNewFile(const std::string& path, const RecordFileHeader& header, const RecordImage& image,
                  BlockRange blocks) {
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (!file.valid())
        return false;
    RecordFileHeader h{};
    std::memcpy(h.magic, kRecordMagic, sizeof kRecordMagic);
    h.kind = header.kind;
    h.deviceNumber = header.deviceNumber;
    h.deviceVersion = header.deviceVersion;
    h.startTime = header.startTime;
    bool ok = file.WriteAll(&h, sizeof h) &&
              ForEachChunk(image, blocks, [&file](const void* data, std::size_t bytes) {
                  return file.WriteAll(data, bytes);
              });
    ok = file.Close() && ok;
    if (!ok)
        RemoveKeepingErrno(path);
    return ok;
}

} // namespace

BlockRange BlocksOfPoints(const RecordImage& image, PointRange points) {
    if (points.Empty())
        return {};
    if (image.IsTrend()) {
        const std::int64_t first = points.first / kTrendPointsPerBlock;
        const std::int64_t last = points.Last() / kTrendPointsPerBlock;
        return {first, last - first + 1};
    }
    const std::int64_t first = points.first - points.first % 2;
    return {first, points.Last() - first + 1};
}

std::int64_t FirstPointOfBlock(const RecordImage& image, std::int64_t block) {
    return image.IsTrend() ? block * kTrendPointsPerBlock : block;
}

RecordFileHeader CutHeader(const RecordImage& image, BlockRange blocks) {
    RecordFileHeader header = image.header;
    header.startTime = image.header.startTime + FirstPointOfBlock(image, blocks.first) / 2;
    header.dataCount = 0;
    return header;
}

std::vector<RecordNote> NotesInCut(const std::vector<RecordNote>& notes, const RecordImage& image,
                                   BlockRange blocks) {
    const std::int64_t first = FirstPointOfBlock(image, blocks.first);
    const std::int64_t end = FirstPointOfBlock(image, blocks.first + blocks.count);
    std::vector<RecordNote> kept;
    for (const RecordNote& note : notes)
        if (note.index >= first && note.index < end)
            kept.push_back({note.index - first, note.text});
    return kept;
}

std::string RecordPrefixOf(const std::string& path, const RecordImage& image) {
    const std::string name = std::filesystem::path(path).filename().string();
    if (name.size() > 2 && name[1] == '-' && std::strchr("SRTU", name[0]))
        return name.substr(0, 1);
    return image.IsTrend() ? "T" : "R";
}

std::string WriteRecordCut(const RecordImage& image, BlockRange blocks,
                           const std::vector<RecordNote>& notes, const std::string& prefix,
                           const std::string& folder, const std::string& file) {
    if (blocks.Empty() || blocks.first < 0 || blocks.first + blocks.count > BlockCount(image)) {
        errno = EINVAL;
        return {};
    }
    const RecordFileHeader header = CutHeader(image, blocks);
    std::string path;
    if (!folder.empty()) {
        path = CreateRecordWithHeader(header, prefix, folder);
        if (path.empty())
            return {};
        if (!ForEachChunk(image, blocks, [&path](const void* data, std::size_t bytes) {
                return AppendRecordBlock(path, data, bytes);
            })) {
            RemoveKeepingErrno(path);
            return {};
        }
    } else {
        path = file;
        if (!WriteNewFile(path, header, image, blocks))
            return {};
    }
    // A sidecar left over under the new name from an earlier file is emptied, not inherited.
    const auto kept = NotesInCut(notes, image, blocks);
    const bool staleSidecar = ::access(NotesPath(path).c_str(), F_OK) == 0;
    if ((!kept.empty() || staleSidecar) && !WriteRecordNotes(path, header.startTime, kept)) {
        RemoveKeepingErrno(path);
        return {};
    }
    return path;
}

} // namespace zel
