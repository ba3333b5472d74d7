#pragma once

#include "device/DeviceStatus.h"
#include "device/TcpSocket.h"
#include "records/RecordTypes.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace zel {

struct RecordInfo;

namespace link_timing {
using namespace std::chrono_literals;
constexpr std::uint16_t kPort = 8080;
constexpr auto kReceiveTimeout = 3000ms;
// A request that cannot be handed to the connection within this long has failed.
constexpr auto kSendTimeout = 3000ms;
constexpr auto kConnectWait = 2s;
constexpr auto kPauseAfterConnect = 200ms;
constexpr auto kPauseBeforeReply = 10ms;
constexpr auto kDrainTimeout = 500ms;
constexpr std::size_t kDrainChunk = 1610;
// Drain stops after this long or this many bytes even while the instrument keeps sending.
constexpr auto kDrainLimit = 2s;
constexpr std::size_t kDrainByteLimit = 1 << 20;
} // namespace link_timing

// The program's one session with the instrument: one TCP connection at a time, opened for a
// task and closed after it. It has no lock: the owner of the session (the main window) makes
// sure only one thread uses it at a time.
class DeviceLink {
public:
    DeviceLink() = default;

    // Where Connect goes. An empty host means the address in config.ini beside the executable.
    void SetEndpoint(const std::string& host, std::uint16_t port);
    std::string Host() const;
    std::uint16_t Port() const;

    bool Connect();
    void Close();
    bool IsOpen() const { return socket_.IsValid(); }

    bool QueryStatus(DeviceStatus& status);
    // clock: year - 2000, month, day, hour, minute, second.
    bool SyncClock(DeviceStatus& status, const std::uint8_t clock[6]);
    bool ClearStorage();
    bool SendStop();
    bool Drain();

    // Stored recordings: the information block (frame 0) and data frame 1..255 of a slot.
    bool ReadRecordInfo(int slot, RecordInfo& info);
    bool ReadRecordFrame(int slot, int frameNumber, TrendFrame& frame);

    // A pause that an Abort from another thread cuts short.
    void Wait(std::chrono::milliseconds duration) const { Pause(duration); }

    // Raw access for the live stream, which reads the byte stream itself.
    void SetReceiveTimeout(std::chrono::milliseconds timeout);
    bool SendRequest(std::uint8_t code, std::initializer_list<std::uint8_t> params);
    long ReceiveSome(std::uint8_t* buffer, std::size_t size);

    // Exchanges one request for a fixed-length reply gathered within the receive timeout.
    bool Exchange(std::uint8_t code, std::initializer_list<std::uint8_t> params,
                  std::uint8_t replyCode, std::uint8_t* reply, std::size_t length,
                  std::chrono::milliseconds pause = std::chrono::milliseconds(0));

    // Called from another thread to end whatever the user of the link is doing: a pending
    // connect, receive, send or pause returns at once, and connects and sends fail until Rearm.
    // The descriptor stays valid until the owner calls Close after joining the user, and after
    // Rearm the owner can still send on it (the stop request after a cancelled stream).
    void Abort();
    void Rearm();
    bool Aborted() const { return aborted_.load(); }

    // Checks a 29-byte status reply and decodes it; the status is untouched on failure.
    static bool DecodeStatus(const std::uint8_t* reply, DeviceStatus& status);

    // Check a 260-byte stored-record reply of which `received` bytes arrived and decode the
    // information block's frame count or the data frame; the output is untouched on failure.
    static bool DecodeRecordInfoReply(const std::uint8_t* reply, std::size_t received,
                                      RecordInfo& info);
    static bool DecodeRecordFrameReply(const std::uint8_t* reply, std::size_t received,
                                       TrendFrame& frame);

private:
    // Sends the request and gathers up to `length` reply bytes (the rest zero); returns how many
    // arrived, 0 when the request could not be sent.
    std::size_t ExchangeReceived(std::uint8_t code, std::initializer_list<std::uint8_t> params,
                                 std::uint8_t* reply, std::size_t length,
                                 std::chrono::milliseconds pause = std::chrono::milliseconds(0));
    // Decodes a reply that has already passed its checks.
    static void FillStatus(const std::uint8_t* reply, DeviceStatus& status);
    void Pause(std::chrono::milliseconds duration) const;
    bool ResolveHost(std::string& host) const;

    TcpSocket socket_;
    std::atomic<bool> aborted_{false};
    mutable std::mutex endpointMutex_;
    std::string host_;
    std::uint16_t port_ = link_timing::kPort;
};

// The six clock bytes of the clock sync for a local time: year - 2000, month, day, hour,
// minute, second.
struct ClockBytes {
    std::uint8_t bytes[6];
};
ClockBytes ClockBytesOf(std::int64_t time);

// The process-wide session.
DeviceLink& TheDeviceLink();

} // namespace zel
