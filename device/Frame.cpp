#include "device/Frame.h"

#include "common/Crc16.h"

namespace zel {

std::vector<std::uint8_t> BuildRequest(std::uint8_t code, const std::uint8_t* params,
                                       std::size_t n) {
    std::vector<std::uint8_t> frame;
    frame.reserve(4 + n);
    frame.push_back(kRequestLead);
    frame.push_back(code);
    frame.insert(frame.end(), params, params + n);
    AppendCrc(frame);
    return frame;
}

std::vector<std::uint8_t> BuildRequest(std::uint8_t code,
                                       std::initializer_list<std::uint8_t> params) {
    return BuildRequest(code, params.begin(), params.size());
}

bool AcceptReply(const std::uint8_t* reply, std::size_t received, std::uint8_t code,
                 std::size_t length) {
    if (received < length || length < 4)
        return false;
    if (reply[0] != kReplyLead || reply[1] != code)
        return false;
    const std::uint16_t crc = Crc16(reply, static_cast<int>(length - 2));
    return reply[length - 2] == (crc & 0xFF) && reply[length - 1] == (crc >> 8);
}

void AppendCrc(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = Crc16(frame.data(), static_cast<int>(frame.size()));
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

} // namespace zel
