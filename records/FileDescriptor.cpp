#include "records/FileDescriptor.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace zel {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileDescriptor::Close() {
    const int fd = fd_;
    fd_ = -1;
    return fd >= 0 && ::close(fd) == 0;
}

bool FileDescriptor::WriteAll(const void* data, std::size_t size) const {
    const auto* p = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO; // nothing taken and no reason given: still a failed write
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool FileDescriptor::IsRegularFile() const {
    struct stat info {};
    return ::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode);
}

ssize_t FileDescriptor::ReadAll(void* data, std::size_t size) const {
    auto* p = static_cast<std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd_, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

ssize_t FileDescriptor::ReadAllAt(void* data, std::size_t size, off_t offset) const {
    auto* p = static_cast<std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, p + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

} // namespace zel
