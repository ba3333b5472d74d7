#pragma once

#include "records/RecordTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel {

// The instrument keeps its recordings in 256-byte blocks: 254 bytes of content and a CRC-16 of
// them in bytes 254 (low) and 255 (high). Over the link a reply carries the 254 content bytes;
// in an instrument data file the whole block is stored.
constexpr std::size_t kStoredBlockSize = 256;
constexpr std::size_t kStoredBlockPayload = 254;

using StoredBlockBytes = std::array<std::uint8_t, kStoredBlockPayload>;

// Byte of the information block that holds the number of data blocks in the slot.
constexpr std::size_t kInfoFrameCountOffset = 32;

// Decodes the content bytes of a stored data block: the date and time in bytes 0..5 (year - 2000,
// month, day, hour, minute, second, read as local time), then CH1 value k at 6 + 4k and CH2 value
// k at 8 + 4k. Returns false, leaving `frame` unchanged, when the date is not a valid time.
bool DecodeStoredDataBlock(const std::uint8_t* bytes, TrendFrame& frame);

// The reverse: the content bytes the instrument would store for `frame`. Years outside
// 2000..2255 do not fit the year byte and wrap around.
StoredBlockBytes EncodeStoredDataBlock(const TrendFrame& frame);

// Writes the 254 content bytes and their checksum as one 256-byte block.
void SealStoredBlock(const std::uint8_t* content, std::uint8_t* block);

// True when bytes 254..255 of a 256-byte block hold the checksum of bytes 0..253.
bool StoredBlockChecksumMatches(const std::uint8_t* block);

} // namespace zel
