#include "device/DeviceLink.h"

#include "common/DeviceAddress.h"
#include "common/LocalTime.h"
#include "device/Frame.h"
#include "device/StoredRecords.h"
#include "records/StoredDataBlock.h"

#include <cstring>
#include <thread>

namespace zel {

using namespace link_timing;
using Clock = std::chrono::steady_clock;

ClockBytes ClockBytesOf(std::int64_t time) {
    const LocalDateTime t = ToLocalDateTime(time);
    return {{static_cast<std::uint8_t>(t.year - 2000), static_cast<std::uint8_t>(t.month),
             static_cast<std::uint8_t>(t.day), static_cast<std::uint8_t>(t.hour),
             static_cast<std::uint8_t>(t.minute), static_cast<std::uint8_t>(t.second)}};
}

DeviceLink& TheDeviceLink() {
    static DeviceLink link;
    return link;
}

void DeviceLink::SetEndpoint(const std::string& host, std::uint16_t port) {
    std::lock_guard lock(endpointMutex_);
    host_ = host;
    port_ = port;
}

std::string DeviceLink::Host() const {
    std::lock_guard lock(endpointMutex_);
    return host_;
}

std::uint16_t DeviceLink::Port() const {
    std::lock_guard lock(endpointMutex_);
    return port_;
}

bool DeviceLink::ResolveHost(std::string& host) const {
    host = Host();
    if (!host.empty())
        return true;
    char address[kDeviceAddressSize];
    if (!ReadDeviceAddress(address))
        return false;
    host = address;
    return true;
}

void DeviceLink::Pause(std::chrono::milliseconds duration) const {
    const auto until = Clock::now() + duration;
    while (!aborted_.load()) {
        const auto left = until - Clock::now();
        if (left <= Clock::duration::zero())
            return;
        std::this_thread::sleep_for(std::min<Clock::duration>(left, std::chrono::milliseconds(20)));
    }
}

bool DeviceLink::Connect() {
    // A connection left open by a previous user is released first.
    socket_.Close();
    bool ok = false;
    if (!aborted_.load() && socket_.Create()) {
        socket_.SetReceiveTimeout(kReceiveTimeout);
        std::string host;
        const bool haveHost = ResolveHost(host);
        if (haveHost && socket_.SetNonBlocking(true)) {
            ok = socket_.ConnectWithin(host, Port(), kConnectWait, aborted_);
        }
        socket_.SetNonBlocking(false);
        if (!ok)
            socket_.Close();
    }
    Pause(kPauseAfterConnect);
    return ok && !aborted_.load();
}

void DeviceLink::Close() {
    socket_.Close();
}

void DeviceLink::SetReceiveTimeout(std::chrono::milliseconds timeout) {
    if (socket_.IsValid())
        socket_.SetReceiveTimeout(timeout);
}

void DeviceLink::Abort() {
    aborted_.store(true);
    socket_.Interrupt();
}

void DeviceLink::Rearm() {
    aborted_.store(false);
    socket_.ClearInterrupt();
}

bool DeviceLink::SendRequest(std::uint8_t code, std::initializer_list<std::uint8_t> params) {
    if (!socket_.IsValid() || aborted_.load())
        return false;
    const auto frame = BuildRequest(code, params);
    return socket_.Send(frame.data(), frame.size(), kSendTimeout);
}

long DeviceLink::ReceiveSome(std::uint8_t* buffer, std::size_t size) {
    if (!socket_.IsValid())
        return -1;
    return socket_.Receive(buffer, size);
}

bool DeviceLink::Exchange(std::uint8_t code, std::initializer_list<std::uint8_t> params,
                          std::uint8_t replyCode, std::uint8_t* reply, std::size_t length,
                          std::chrono::milliseconds pause) {
    const std::size_t got = ExchangeReceived(code, params, reply, length, pause);
    return AcceptReply(reply, got, replyCode, length);
}

std::size_t DeviceLink::ExchangeReceived(std::uint8_t code,
                                         std::initializer_list<std::uint8_t> params,
                                         std::uint8_t* reply, std::size_t length,
                                         std::chrono::milliseconds pause) {
    std::memset(reply, 0, length);
    if (!SendRequest(code, params))
        return 0;
    Pause(pause);
    return socket_.ReceiveExactly(reply, length, kReceiveTimeout);
}

bool DeviceLink::DecodeStatus(const std::uint8_t* r, DeviceStatus& s) {
    if (!AcceptReply(r, kStatusReplySize, kCmdStatus, kStatusReplySize))
        return false;
    FillStatus(r, s);
    return true;
}

void DeviceLink::FillStatus(const std::uint8_t* r, DeviceStatus& s) {
    s.serial = r[10] | (r[11] << 8);
    s.version = r[12] | (r[13] << 8);
    s.battery = r[14];
    s.recordSlots = r[15];
    s.year = r[16];
    s.month = r[17];
    s.day = r[18];
    s.hour = r[19];
    s.minute = r[20];
    s.second = r[21];
    s.state = r[22];
    s.ch1Current = r[23] | (r[24] << 8);
    s.ch2Current = r[25] | (r[26] << 8);
}

bool DeviceLink::QueryStatus(DeviceStatus& status) {
    std::uint8_t reply[kStatusReplySize];
    if (!Exchange(kCmdStatus, {0x00, 0x00}, kCmdStatus, reply, sizeof reply, kPauseBeforeReply))
        return false;
    FillStatus(reply, status);
    return true;
}

bool DeviceLink::SyncClock(DeviceStatus& status, const std::uint8_t clock[6]) {
    std::uint8_t reply[kStatusReplySize];
    if (!Exchange(kCmdSetClock, {clock[0], clock[1], clock[2], clock[3], clock[4], clock[5]},
                  kCmdStatus, reply, sizeof reply, kPauseBeforeReply))
        return false;
    FillStatus(reply, status);
    return true;
}

bool DeviceLink::ClearStorage() {
    std::uint8_t reply[kAckReplySize];
    return Exchange(kCmdClear, {0x12, 0x34}, kCmdClear, reply, sizeof reply);
}

bool DeviceLink::SendStop() {
    std::uint8_t reply[kAckReplySize];
    return Exchange(kCmdStop, {0x56, 0x78}, kCmdStop, reply, sizeof reply);
}

bool DeviceLink::Drain() {
    if (!socket_.IsValid())
        return true;
    socket_.SetReceiveTimeout(kDrainTimeout);
    std::uint8_t scratch[kDrainChunk];
    const auto deadline = Clock::now() + kDrainLimit;
    std::size_t total = 0;
    while (!aborted_.load() && Clock::now() < deadline && total < kDrainByteLimit) {
        const long n = socket_.Receive(scratch, sizeof scratch);
        if (n <= 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    socket_.SetReceiveTimeout(kReceiveTimeout);
    return true;
}

bool DeviceLink::ReadRecordInfo(int slot, RecordInfo& info) {
    std::uint8_t reply[kRecordReplySize];
    const std::size_t got =
        ExchangeReceived(kCmdRecord, {0x00, static_cast<std::uint8_t>(slot)}, reply, sizeof reply);
    return DecodeRecordInfoReply(reply, got, info);
}

bool DeviceLink::ReadRecordFrame(int slot, int frameNumber, TrendFrame& frame) {
    std::uint8_t reply[kRecordReplySize];
    const std::size_t got = ExchangeReceived(
        kCmdRecord, {static_cast<std::uint8_t>(frameNumber), static_cast<std::uint8_t>(slot)},
        reply, sizeof reply);
    return DecodeRecordFrameReply(reply, got, frame);
}

bool DeviceLink::DecodeRecordInfoReply(const std::uint8_t* reply, std::size_t received,
                                       RecordInfo& info) {
    if (!AcceptReply(reply, received, kCmdRecord, kRecordReplySize))
        return false;
    info.frameCount = reply[4 + kInfoFrameCountOffset];
    return true;
}

bool DeviceLink::DecodeRecordFrameReply(const std::uint8_t* reply, std::size_t received,
                                        TrendFrame& frame) {
    return AcceptReply(reply, received, kCmdRecord, kRecordReplySize) &&
           DecodeStoredDataBlock(reply + 4, frame);
}

} // namespace zel
