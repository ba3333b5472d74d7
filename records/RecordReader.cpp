#include "records/RecordReader.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace zel {

namespace {

bool HasRecordMagic(const RecordFileHeader& header) {
    return std::memcmp(header.magic, kRecordMagic, sizeof kRecordMagic) == 0; // and the zero
}

std::shared_ptr<const RecordReader> Fail(RecordReadFailure* failure,
                                         RecordReadFailure::Reason reason, int systemError = 0) {
    if (failure)
        *failure = {reason, systemError};
    return nullptr;
}

} // namespace

std::shared_ptr<const RecordReader> RecordReader::Open(const std::string& path,
                                                       RecordReadFailure* failure) {
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
    RecordFileHeader header;
    const ssize_t got = file.ReadAllAt(&header, sizeof header, 0);
    if (got < 0)
        return Fail(failure, Reason::ReadError, errno);
    if (got != sizeof header || !HasRecordMagic(header))
        return Fail(failure, Reason::NotRecordFile);
    const std::size_t blockSize = header.kind == static_cast<std::int32_t>(RecordKind::Trend)
                                      ? kTrendBlockSize
                                      : kWaveformBlockSize;
    const auto body =
        static_cast<std::int64_t>(info.st_size) - static_cast<std::int64_t>(kRecordHeaderSize);
    const std::int64_t blocks = body > 0 ? body / static_cast<std::int64_t>(blockSize) : 0;
    if (failure)
        *failure = {};
    return std::make_shared<const RecordReader>(std::move(file), header, blocks);
}

std::int64_t RecordReader::ReadBlocks(std::int64_t first, std::int64_t count, void* out) const {
    if (count <= 0 || first < 0)
        return 0;
    const auto size = static_cast<std::int64_t>(BlockSize());
    const ssize_t got = file_.ReadAllAt(out, static_cast<std::size_t>(count * size),
                                        static_cast<off_t>(kRecordHeaderSize + first * size));
    if (got < 0)
        return -1;
    return got / size;
}

TrendPoint RecordReader::ReadCurrents(std::int64_t i) const {
    std::uint32_t currents[2] = {};
    constexpr auto offset = static_cast<std::int64_t>(offsetof(SampleBlock, ch1Current));
    static_assert(offsetof(SampleBlock, ch2Current) == offsetof(SampleBlock, ch1Current) + 4);
    const ssize_t got = file_.ReadAllAt(
        currents, sizeof currents,
        static_cast<off_t>(kRecordHeaderSize + i * static_cast<std::int64_t>(kWaveformBlockSize) +
                           offset));
    if (got != static_cast<ssize_t>(sizeof currents))
        return {};
    return {static_cast<std::int32_t>(currents[0]), static_cast<std::int32_t>(currents[1])};
}

} // namespace zel
