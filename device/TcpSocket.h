#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace zel {

// The one small wrapper around the platform's stream sockets. One thread uses the connection;
// another may only Interrupt it, to wake a blocked call (see Interrupt).
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

    // Sends all bytes within `timeout`; false unless every byte went out. A peer that stops
    // reading cannot hold the caller longer than that, and an Interrupt ends the wait at once.
    bool Send(const std::uint8_t* data, std::size_t size, std::chrono::milliseconds timeout);

    // One receive call honouring the receive timeout: bytes received, 0 on close, -1 on error
    // or timeout.
    long Receive(std::uint8_t* buffer, std::size_t size);

    // Gathers exactly `size` bytes within `budget`; returns how many arrived.
    std::size_t ReceiveExactly(std::uint8_t* buffer, std::size_t size,
                               std::chrono::milliseconds budget);

    // Called from another thread to end what the user of the connection is doing: the
    // receiving side is shut down, so a blocked receive returns at once, and sends fail until
    // ClearInterrupt. The descriptor is not released and the sending side stays open, so the
    // owner can still send on it afterwards (the stop request after a cancelled stream).
    // Interrupt and Close take the same lock: a descriptor number that Close has released and
    // another file has been given is never shut down here.
    void Interrupt();
    void ClearInterrupt();

private:
    std::mutex closeMutex_; // held by Interrupt, Close and Create around the descriptor
    std::atomic<int> fd_{-1};
    std::atomic<bool> interrupted_{false};
    std::chrono::milliseconds receiveTimeout_{0};
};

} // namespace zel
