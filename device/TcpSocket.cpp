#include "device/TcpSocket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace zel {

using Clock = std::chrono::steady_clock;

namespace {

// Waits for room to write on `fd` for one slice at most, never past `deadline`, so that the
// caller can look at its stop flag between slices: 1 when writable, 0 when the slice ran out
// or a signal came, -1 when the deadline has passed or poll failed.
int PollWritableSlice(int fd, Clock::time_point deadline, long long sliceMs) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return -1;
    pollfd p{fd, POLLOUT, 0};
    const int r = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), sliceMs)));
    if (r < 0)
        return errno == EINTR ? 0 : -1;
    return r > 0 ? 1 : 0;
}

} // namespace

TcpSocket::~TcpSocket() {
    Close();
}

bool TcpSocket::Create() {
    Close();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::lock_guard lock(closeMutex_);
    fd_.store(fd);
    return true;
}

void TcpSocket::Close() {
    std::lock_guard lock(closeMutex_);
    const int fd = fd_.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

bool TcpSocket::SetReceiveTimeout(std::chrono::milliseconds timeout) {
    receiveTimeout_ = timeout;
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    tv.tv_usec = static_cast<suseconds_t>((timeout.count() % 1000) * 1000);
    return ::setsockopt(fd_.load(), SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
}

bool TcpSocket::SetNonBlocking(bool on) {
    const int fd = fd_.load();
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0)
        return false;
    return ::fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK)) == 0;
}

bool TcpSocket::ConnectWithin(const std::string& host, std::uint16_t port,
                              std::chrono::milliseconds wait, const std::atomic<bool>& cancelled) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &addr.sin_addr) != 1)
        return false;
    const int fd = fd_.load();
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
        return true;
    if (errno != EINPROGRESS)
        return false;

    const auto deadline = Clock::now() + wait;
    for (;;) {
        if (cancelled.load())
            return false;
        const int r = PollWritableSlice(fd, deadline, 50);
        if (r < 0)
            return false;
        if (r > 0) {
            // A refused or failed connection also shows as writable; its pending error decides.
            int error = 0;
            socklen_t len = sizeof error;
            if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
                return false;
            return error == 0;
        }
    }
}

bool TcpSocket::Send(const std::uint8_t* data, std::size_t size,
                     std::chrono::milliseconds timeout) {
    const int fd = fd_.load();
    const auto deadline = Clock::now() + timeout;
    while (size > 0) {
        if (interrupted_.load())
            return false;
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return false;
        // The peer is not taking bytes: wait for room in short slices, so that an Interrupt
        // (which leaves the sending side open and so does not wake poll) is seen soon.
        if (PollWritableSlice(fd, deadline, 20) < 0)
            return false;
    }
    return true;
}

long TcpSocket::Receive(std::uint8_t* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::recv(fd_.load(), buffer, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        return static_cast<long>(n);
    }
}

std::size_t TcpSocket::ReceiveExactly(std::uint8_t* buffer, std::size_t size,
                                      std::chrono::milliseconds budget) {
    const auto deadline = Clock::now() + budget;
    std::size_t got = 0;
    while (got < size) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd_.load(), POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left.count()));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        const ssize_t n = ::recv(p.fd, buffer + got, size - got, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n <= 0)
            break; // closed or failed
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void TcpSocket::Interrupt() {
    std::lock_guard lock(closeMutex_);
    interrupted_.store(true);
    const int fd = fd_.load();
    if (fd >= 0)
        ::shutdown(fd, SHUT_RD);
}

void TcpSocket::ClearInterrupt() {
    interrupted_.store(false);
}

} // namespace zel
