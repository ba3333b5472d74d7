#include "device/Frame.h"
#include "common/Crc16.h"
#include "device/DeviceLink.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace zel;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bit-by-bit CRC-16/XMODEM, the reference the table-driven code must match.
std::uint16_t ReferenceCrc(const Bytes& data) {
    std::uint16_t r = 0;
    for (std::uint8_t b : data) {
        for (int i = 0; i < 8; ++i) {
            const bool differ = ((b >> 7) & 1) != ((r >> 15) & 1);
            r = static_cast<std::uint16_t>(r << 1);
            if (differ)
                r ^= 0x1021;
            b = static_cast<std::uint8_t>(b << 1);
        }
    }
    return r;
}

TEST(Crc16Test, KnownValuesAndReference) {
    const char* check = "123456789";
    EXPECT_EQ(Crc16(reinterpret_cast<const std::uint8_t*>(check), 9), 0x31C3);
    EXPECT_EQ(Crc16(nullptr, 0), 0);
    EXPECT_EQ(Crc16(nullptr, -5), 0);
    Bytes data(1610);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 131 + 17);
    EXPECT_EQ(Crc16(data.data(), static_cast<int>(data.size())), ReferenceCrc(data));
}

TEST(Crc16Test, CountIsTakenAsSigned16Bit) {
    Bytes data(70000, 0xAB);
    // 65536 + 4 bytes is read as a count of 4.
    EXPECT_EQ(Crc16(data.data(), 65540), Crc16(data.data(), 4));
    // 0x8000 and above are negative: nothing is read.
    EXPECT_EQ(Crc16(data.data(), 0x8000), 0);
}

TEST(FrameTest, FixedRequestFramesComeOutByteForByte) {
    EXPECT_EQ(BuildRequest(kCmdStatus, {0x00, 0x00}), (Bytes{0xCF, 0xA0, 0x00, 0x00, 0xD6, 0xDA}));
    EXPECT_EQ(BuildRequest(kCmdClear, {0x12, 0x34}), (Bytes{0xCF, 0x82, 0x12, 0x34, 0xB6, 0x21}));
    EXPECT_EQ(BuildRequest(kCmdStop, {0x56, 0x78}), (Bytes{0xCF, 0x88, 0x56, 0x78, 0x37, 0xAE}));
    EXPECT_EQ(BuildRequest(kCmdStream, {0xA0, 0xA0}), (Bytes{0xCF, 0x81, 0xA0, 0xA0, 0xB4, 0xC3}));
    EXPECT_EQ(BuildRequest(kCmdStream, {0xA1, 0xA1}), (Bytes{0xCF, 0x81, 0xA1, 0xA1, 0xA4, 0xE0}));
    EXPECT_EQ(BuildRequest(kCmdRecord, {0x00, 0x05}), (Bytes{0xCF, 0xA1, 0x00, 0x05, 0x43, 0xBD}));
    EXPECT_EQ(BuildRequest(kCmdRecord, {0x03, 0x05}), (Bytes{0xCF, 0xA1, 0x03, 0x05, 0x10, 0xE8}));
    const Bytes clock = BuildRequest(kCmdSetClock, {0x0D, 0x07, 0x05, 0x0E, 0x03, 0x09});
    ASSERT_EQ(clock.size(), 10u);
    EXPECT_EQ(Bytes(clock.begin(), clock.begin() + 8),
              (Bytes{0xCF, 0x80, 0x0D, 0x07, 0x05, 0x0E, 0x03, 0x09}));
    const std::uint16_t crc = Crc16(clock.data(), 8);
    EXPECT_EQ(clock[8], crc & 0xFF);
    EXPECT_EQ(clock[9], crc >> 8);
}

Bytes StatusReply() {
    Bytes r(27, 0);
    r[0] = 0x3C;
    r[1] = 0xA0;
    r[10] = 0x0A; // serial 10
    r[12] = 0xE9; // version 1001
    r[13] = 0x03;
    r[14] = 55;
    r[15] = 0x85;
    r[16] = 13;
    r[17] = 7;
    r[18] = 5;
    r[19] = 14;
    r[20] = 3;
    r[21] = 9;
    r[22] = 2;
    r[23] = 0xFF;
    r[24] = 0xFF;
    r[25] = 0x2C;
    r[26] = 0x01;
    AppendCrc(r);
    return r;
}

TEST(FrameTest, StatusReplyDecodes) {
    const Bytes r = StatusReply();
    DeviceStatus s;
    ASSERT_TRUE(DeviceLink::DecodeStatus(r.data(), s));
    EXPECT_EQ(s.serial, 10);
    EXPECT_EQ(s.version, 1001);
    EXPECT_EQ(s.battery, 55);
    EXPECT_EQ(s.recordSlots, 133);
    EXPECT_EQ(s.year, 13);
    EXPECT_EQ(s.second, 9);
    EXPECT_EQ(s.state, 2);
    EXPECT_EQ(s.ch1Current, 65535);
    EXPECT_EQ(s.ch2Current, 300);
}

TEST(FrameTest, DamagedRepliesAreRejectedAndLeaveStatusUntouched) {
    const Bytes good = StatusReply();
    Bytes swapped = good;
    std::swap(swapped[27], swapped[28]);
    Bytes corrupted = good;
    corrupted[20] ^= 0x01;
    Bytes wrongCode = good;
    wrongCode[1] = 0xA1;
    Bytes wrongLead = good;
    wrongLead[0] = 0xCF;
    for (const Bytes* bad : {&swapped, &corrupted, &wrongCode, &wrongLead}) {
        DeviceStatus s;
        s.serial = 77;
        EXPECT_FALSE(DeviceLink::DecodeStatus(bad->data(), s));
        EXPECT_EQ(s.serial, 77);
    }
    EXPECT_FALSE(AcceptReply(good.data(), 28, kCmdStatus, 29)); // short
    EXPECT_TRUE(AcceptReply(good.data(), 29, kCmdStatus, 29));
}

} // namespace
