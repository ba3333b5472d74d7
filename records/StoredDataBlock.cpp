#include "records/StoredDataBlock.h"

#include "common/Crc16.h"
#include "common/LocalTime.h"

#include <algorithm>

namespace zel {

namespace {

constexpr std::size_t kValuesOffset = 6;

std::int16_t ReadInt16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

void WriteInt16(std::uint8_t* p, std::int16_t value) {
    const auto u = static_cast<std::uint16_t>(value);
    p[0] = static_cast<std::uint8_t>(u & 0xFF);
    p[1] = static_cast<std::uint8_t>(u >> 8);
}

bool StoredDateIsValid(const std::uint8_t* b) {
    return b[1] >= 1 && b[1] <= 12 && b[2] >= 1 && b[2] <= 31 && b[3] <= 23 && b[4] <= 59 &&
           b[5] <= 59;
}

} // namespace

bool DecodeStoredDataBlock(const std::uint8_t* bytes, TrendFrame& frame) {
    if (!StoredDateIsValid(bytes))
        return false;
    const LocalDateTime local{bytes[0] + 2000, bytes[1], bytes[2], bytes[3], bytes[4], bytes[5]};
    std::int64_t time = 0;
    if (!FromLocalDateTime(local, time))
        return false;
    frame.time = time;
    for (int k = 0; k < kTrendPointsPerBlock; ++k) {
        const std::uint8_t* pair = bytes + kValuesOffset + 4 * k;
        frame.block.ch1[k] = ReadInt16(pair);
        frame.block.ch2[k] = ReadInt16(pair + 2);
    }
    return true;
}

StoredBlockBytes EncodeStoredDataBlock(const TrendFrame& frame) {
    StoredBlockBytes bytes{};
    const LocalDateTime local = ToLocalDateTime(frame.time);
    bytes[0] = static_cast<std::uint8_t>(local.year - 2000);
    bytes[1] = static_cast<std::uint8_t>(local.month);
    bytes[2] = static_cast<std::uint8_t>(local.day);
    bytes[3] = static_cast<std::uint8_t>(local.hour);
    bytes[4] = static_cast<std::uint8_t>(local.minute);
    bytes[5] = static_cast<std::uint8_t>(local.second);
    for (int k = 0; k < kTrendPointsPerBlock; ++k) {
        std::uint8_t* pair = bytes.data() + kValuesOffset + 4 * k;
        WriteInt16(pair, frame.block.ch1[k]);
        WriteInt16(pair + 2, frame.block.ch2[k]);
    }
    return bytes;
}

void SealStoredBlock(const std::uint8_t* content, std::uint8_t* block) {
    if (block != content)
        std::copy(content, content + kStoredBlockPayload, block);
    const std::uint16_t crc = Crc16(content, static_cast<int>(kStoredBlockPayload));
    block[kStoredBlockPayload] = static_cast<std::uint8_t>(crc & 0xFF);
    block[kStoredBlockPayload + 1] = static_cast<std::uint8_t>(crc >> 8);
}

bool StoredBlockChecksumMatches(const std::uint8_t* block) {
    const std::uint16_t crc = Crc16(block, static_cast<int>(kStoredBlockPayload));
    return block[kStoredBlockPayload] == (crc & 0xFF) &&
           block[kStoredBlockPayload + 1] == (crc >> 8);
}

} // namespace zel
