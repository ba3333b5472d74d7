#include "sim/RequestParser.h"

#include "common/Crc16.h"
#include "device/Frame.h"

namespace zel::sim {

std::size_t RequestParser::RequestLength(std::uint8_t code) {
    switch (code) {
    case kCmdSetClock:
        return 10;
    case kCmdStatus:
    case kCmdClear:
    case kCmdStop:
    case kCmdStream:
    case kCmdRecord:
        return 6;
    default:
        return 0;
    }
}

void RequestParser::Feed(const std::uint8_t* data, std::size_t size) {
    pending_.insert(pending_.end(), data, data + size);
}

std::optional<std::vector<std::uint8_t>> RequestParser::Next() {
    std::size_t start = 0;
    std::optional<std::vector<std::uint8_t>> found;
    while (start < pending_.size()) {
        if (pending_[start] != kRequestLead) {
            ++start;
            continue;
        }
        if (start + 2 > pending_.size())
            break;
        const std::size_t length = RequestLength(pending_[start + 1]);
        if (length == 0) {
            ++start;
            continue;
        }
        if (start + length > pending_.size())
            break;
        const std::uint8_t* frame = pending_.data() + start;
        const std::uint16_t crc = Crc16(frame, static_cast<int>(length - 2));
        if (frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8)) {
            found.emplace(frame, frame + length);
            start += length;
            break;
        }
        ++start;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(start));
    return found;
}

} // namespace zel::sim
