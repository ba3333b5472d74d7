#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

// The one small wrapper around the platform's stream sockets. The descriptor is atomic so that
// another thread may shut the connection down to wake a blocked call (see Abort).
class TcpSocket {
public:
    TcpSocket() = default;
    ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    bool Create();
    bool IsValid() const { return fd_.load() >= 0; }
    void Close();

    bool SetReceiveTimeout(std::chrono::milliseconds timeout);
    bool SetNonBlocking(bool on);

    // Starts a connection to host:port and waits up to `wait` for it to be established. The
    // wait is sliced so that `cancelled` ends it early.
    bool ConnectWithin(const std::string& host, std::uint16_t port, std::chrono::milliseconds wait,
                       const std::atomic<bool>& cancelled);

    // One send call of all bytes; false unless every byte went out.
    bool Send(const std::uint8_t* data, std::size_t size);

    // One receive call honouring the receive timeout: bytes received, 0 on close, -1 on error
    // or timeout.
    long Receive(std::uint8_t* buffer, std::size_t size);

    // Gathers exactly `size` bytes within `budget`; returns how many arrived.
    std::size_t ReceiveExactly(std::uint8_t* buffer, std::size_t size,
                               std::chrono::milliseconds budget);

    // Shuts the receiving side down without releasing the descriptor: a receive blocked in
    // another thread returns at once, the descriptor cannot be reused under it, and the
    // connection can still send (the stop request after a cancelled stream).
    void ShutdownReceive();

private:
    std::atomic<int> fd_{-1};
    std::chrono::milliseconds receiveTimeout_{0};
};

} // namespace zel
