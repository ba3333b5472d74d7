#include "records/RecordRetention.h"

#include "common/DeviceText.h"
#include "records/FileDescriptor.h"
#include "records/RecordNotes.h"
#include "records/RecordReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zel {
namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Splits "TEXT-TAIL" at its last '-'; false without one.
bool SplitLast(std::string text, std::string& head, std::string& tail) {
    const auto dash = text.rfind('-');
    if (dash == std::string::npos)
        return false;
    tail = text.substr(dash + 1);
    head = text.substr(0, dash);
    return true;
}

// Anything at the sidecar's place, or a place that cannot be looked at, keeps the record.
bool HasNotes(const std::string& path) {
    struct stat info {};
    return ::lstat(NotesPath(path).c_str(), &info) == 0 || errno != ENOENT;
}

// The time of the last data item of a record with `blocks` blocks, 0.5 s apart.
std::int64_t LastItemTime(const RecordFileHeader& header, std::int64_t blocks) {
    const bool trend = header.kind == static_cast<std::int32_t>(RecordKind::Trend);
    const std::int64_t items = trend ? blocks * kTrendPointsPerBlock : blocks;
    return items > 0 ? header.startTime + (items - 1) / 2 : header.startTime;
}

// The record at `path` when it is one of the series: a regular file, not a link, with the
// record magic and the series' device number.
std::optional<RetainedRecord> SeriesRecord(const std::string& path, std::uint16_t deviceNumber) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    RecordFileHeader header;
    if (file.ReadAllAt(&header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
        std::memcmp(header.magic, kRecordMagic, sizeof kRecordMagic) != 0 ||
        header.deviceNumber != deviceNumber)
        return std::nullopt;
    const std::int64_t blockSize = header.kind == static_cast<std::int32_t>(RecordKind::Trend)
                                       ? kTrendBlockSize
                                       : kWaveformBlockSize;
    const std::int64_t blocks =
        (static_cast<std::int64_t>(info.st_size) - static_cast<std::int64_t>(kRecordHeaderSize)) /
        blockSize;
    return RetainedRecord{path, static_cast<std::uint64_t>(info.st_size), header.startTime,
                          LastItemTime(header, blocks)};
}

bool SameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

std::optional<RecordName> ParseRecordName(const std::string& fileName) {
    constexpr std::size_t kStampDigits = 14;
    const std::string extension = ".zmr";
    if (fileName.size() <= extension.size() ||
        fileName.compare(fileName.size() - extension.size(), extension.size(), extension) != 0)
        return std::nullopt;
    RecordName name;
    std::string rest = fileName.substr(0, fileName.size() - extension.size()), tail;
    if (!SplitLast(rest, rest, tail) || !AllDigits(tail))
        return std::nullopt;
    if (tail.size() != kStampDigits) {
        // A copy's number: 2 and up, as the writers count, without leading zeros.
        if (tail.size() > 9 || tail[0] == '0' || (name.copy = std::stoi(tail)) < 2)
            return std::nullopt;
        if (!SplitLast(rest, rest, tail) || tail.size() != kStampDigits || !AllDigits(tail))
            return std::nullopt;
    }
    name.stamp = tail;
    if (!SplitLast(rest, name.prefix, name.number) || name.prefix.empty() ||
        !AllDigits(name.number))
        return std::nullopt;
    return name;
}

bool RecordName::Follows(const RecordName& other) const {
    return prefix == other.prefix && number == other.number &&
           (stamp != other.stamp ? stamp > other.stamp : copy > other.copy);
}

std::vector<RetainedRecord> DeletableRecords(const RecordSeries& series,
                                             const std::string& current) {
    const std::string number = std::to_string(DeviceNumber(series.deviceNumber));
    struct stat writing {};
    const bool haveCurrent = !current.empty() && ::stat(current.c_str(), &writing) == 0;
    std::vector<RetainedRecord> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(series.folder, error), end; !error && it != end;
         it.increment(error)) {
        const auto name = ParseRecordName(it->path().filename().string());
        if (!name || name->prefix != series.prefix || name->number != number)
            continue;
        const std::string path = it->path().string();
        if (path == current || (haveCurrent && SameFile(writing, path)) || HasNotes(path))
            continue;
        if (auto record = SeriesRecord(path, series.deviceNumber))
            files.push_back(std::move(*record));
    }
    std::sort(files.begin(), files.end(), [](const RetainedRecord& a, const RetainedRecord& b) {
        if (a.lastTime != b.lastTime)
            return a.lastTime < b.lastTime;
        if (a.firstTime != b.firstTime)
            return a.firstTime < b.firstTime;
        // Begun in the same second: in the order the writer named them.
        const auto nameA = ParseRecordName(std::filesystem::path(a.path).filename().string());
        const auto nameB = ParseRecordName(std::filesystem::path(b.path).filename().string());
        return nameA && nameB && nameB->Follows(*nameA);
    });
    return files;
}

std::optional<std::uint64_t> FileSystemFreeSpace::Available(const std::string& folder) const {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

RecordRetention::RecordRetention(RecordSeries series, Rules rules, const FreeSpaceSource& space,
                                 Clock now, OnDeletion onDeletion, OnShortage onShortage)
    : series_(std::move(series)), rules_(rules), space_(space), now_(std::move(now)),
      onDeletion_(std::move(onDeletion)), onShortage_(std::move(onShortage)) {}

bool RecordRetention::Delete(const RetainedRecord& file, Reason reason,
                             const std::string& current) {
    // Looked at again just before: a note may have been added since the folder was read.
    if (file.path == current || HasNotes(file.path))
        return false;
    Deletion deletion{file, reason, 0};
    if (::unlink(file.path.c_str()) != 0)
        deletion.error = errno;
    onDeletion_(deletion);
    return deletion.error == 0;
}

void RecordRetention::DeleteByAge(const std::string& current) {
    if (rules_.keepDays <= 0)
        return;
    std::lock_guard lock(mutex_);
    const std::int64_t cutoff = now_() - std::int64_t{rules_.keepDays} * 86400;
    for (const RetainedRecord& file : DeletableRecords(series_, current)) {
        if (file.lastTime >= cutoff)
            break; // oldest first: the rest are younger still
        Delete(file, Reason::Age, current);
    }
}

void RecordRetention::MakeRoom(const std::string& current) {
    if (rules_.minFree == 0)
        return;
    std::lock_guard lock(mutex_);
    std::optional<std::uint64_t> available = space_.Available(series_.folder);
    if (available && *available >= rules_.minFree)
        return;
    if (available) {
        for (const RetainedRecord& file : DeletableRecords(series_, current)) {
            if (!Delete(file, Reason::FreeSpace, current))
                continue;
            available = space_.Available(series_.folder);
            if (!available || *available >= rules_.minFree)
                break;
        }
        if (available && *available >= rules_.minFree)
            return;
    }
    onShortage_({available, available ? 0 : errno});
}

} // namespace zel
