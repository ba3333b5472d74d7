#include "records/RecordWriteMark.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zel {
namespace {

// A reader that looks at the same moment holds the lock shared for an instant: a few tries.
constexpr int kTries = 3;

} // namespace

RecordWriteMark::RecordWriteMark(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ < 0)
        return;
    for (int i = 0; i < kTries; ++i) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return;
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        ::usleep(1000);
    }
    ::close(fd_);
    fd_ = -1;
}

RecordWriteMark::~RecordWriteMark() {
    if (fd_ >= 0)
        ::close(fd_);
}

RecordWriteMark::RecordWriteMark(RecordWriteMark&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)) {}

RecordWriteMark& RecordWriteMark::operator=(RecordWriteMark&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool IsRecordBeingWritten(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool marked = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // also drops the shared lock when it was granted
    return marked;
}

} // namespace zel
