#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace zel {

constexpr std::uint8_t kRequestLead = 0xCF;
constexpr std::uint8_t kReplyLead = 0x3C;

// Command codes the program sends.
constexpr std::uint8_t kCmdStatus = 0xA0;
constexpr std::uint8_t kCmdSetClock = 0x80;
constexpr std::uint8_t kCmdClear = 0x82;
constexpr std::uint8_t kCmdStop = 0x88;
constexpr std::uint8_t kCmdStream = 0x81;
constexpr std::uint8_t kCmdRecord = 0xA1;

// Reply lengths, fixed per reply code.
constexpr std::size_t kStatusReplySize = 29;
constexpr std::size_t kAckReplySize = 6;
constexpr std::size_t kRecordReplySize = 260;

// 0xCF, code, parameters, then Crc16 of those bytes, low byte first.
std::vector<std::uint8_t> BuildRequest(std::uint8_t code,
                                       std::initializer_list<std::uint8_t> params);
std::vector<std::uint8_t> BuildRequest(std::uint8_t code, const std::uint8_t* params,
                                       std::size_t n);

// True when the reply of expected length carries the lead byte, the expected code and a
// matching checksum over all bytes before the last two.
bool AcceptReply(const std::uint8_t* reply, std::size_t received, std::uint8_t code,
                 std::size_t length);

// Appends the checksum of the bytes already in frame, low byte first (used by the simulator).
void AppendCrc(std::vector<std::uint8_t>& frame);

} // namespace zel
