#include "records/StoredDataBlock.h"
#include "records/InstrumentStorage.h"

#include "common/LocalTime.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zel;

namespace {

StoredBlockBytes DatedBlock(std::uint8_t y, std::uint8_t mo, std::uint8_t d, std::uint8_t h,
                            std::uint8_t mi, std::uint8_t s) {
    StoredBlockBytes b{};
    const std::uint8_t date[] = {y, mo, d, h, mi, s};
    std::memcpy(b.data(), date, sizeof date);
    return b;
}

TEST(StoredDataBlockTest, DecodesLocalTimeAndInterleavedValues) {
    StoredBlockBytes b = DatedBlock(14, 3, 5, 8, 9, 10);
    b[6] = 0x34; // CH1 value 0 = 0x1234
    b[7] = 0x12;
    b[8] = 0xFF; // CH2 value 0 = -1
    b[9] = 0xFF;
    b[6 + 4 * 61] = 0x00; // CH1 value 61 = -32768
    b[7 + 4 * 61] = 0x80;
    b[8 + 4 * 61] = 0xFF; // CH2 value 61 = 32767
    b[9 + 4 * 61] = 0x7F;

    TrendFrame frame;
    ASSERT_TRUE(DecodeStoredDataBlock(b.data(), frame));
    EXPECT_EQ(FormatLocalTime(frame.time, "%Y-%m-%d %H:%M:%S"), "2014-03-05 08:09:10");
    EXPECT_EQ(frame.block.ch1[0], 0x1234);
    EXPECT_EQ(frame.block.ch2[0], -1);
    EXPECT_EQ(frame.block.ch1[61], -32768);
    EXPECT_EQ(frame.block.ch2[61], 32767);
}

TEST(StoredDataBlockTest, InvalidDatesFailAndLeaveTheFrameAlone) {
    const StoredBlockBytes cases[] = {
        DatedBlock(14, 0, 5, 8, 9, 10),  DatedBlock(14, 13, 5, 8, 9, 10),
        DatedBlock(14, 3, 0, 8, 9, 10),  DatedBlock(14, 3, 32, 8, 9, 10),
        DatedBlock(14, 3, 5, 24, 9, 10), DatedBlock(14, 3, 5, 8, 60, 10),
        DatedBlock(14, 3, 5, 8, 9, 60),  DatedBlock(255, 255, 255, 255, 255, 255),
    };
    for (const auto& b : cases) {
        TrendFrame frame;
        frame.time = 77;
        frame.block.ch1[0] = 5;
        EXPECT_FALSE(DecodeStoredDataBlock(b.data(), frame)) << ::testing::PrintToString(b);
        EXPECT_EQ(frame.time, 77);
        EXPECT_EQ(frame.block.ch1[0], 5);
    }
    TrendFrame frame;
    EXPECT_TRUE(DecodeStoredDataBlock(DatedBlock(0, 12, 31, 23, 59, 59).data(), frame));
    EXPECT_TRUE(DecodeStoredDataBlock(DatedBlock(0, 1, 1, 0, 0, 0).data(), frame));
}

TEST(StoredDataBlockTest, EncodeIsTheReverseOfDecode) {
    TrendFrame frame;
    ASSERT_TRUE(FromLocalDateTime({2019, 12, 31, 23, 59, 58}, frame.time));
    for (int k = 0; k < kTrendPointsPerBlock; ++k) {
        frame.block.ch1[k] = static_cast<std::int16_t>(k * 500 - 16000);
        frame.block.ch2[k] = static_cast<std::int16_t>(-k);
    }
    const StoredBlockBytes bytes = EncodeStoredDataBlock(frame);
    EXPECT_EQ(bytes[0], 19);
    EXPECT_EQ(bytes[5], 58);
    TrendFrame back;
    ASSERT_TRUE(DecodeStoredDataBlock(bytes.data(), back));
    EXPECT_EQ(back.time, frame.time);
    EXPECT_EQ(std::memcmp(&back.block, &frame.block, sizeof frame.block), 0);
}

TEST(StoredDataBlockTest, SealedBlockCarriesItsChecksumLowByteFirst) {
    std::uint8_t block[kStoredBlockSize] = {};
    const char* digits = "123456789"; // CRC-16/XMODEM 0x31C3 over these nine bytes alone
    std::memcpy(block, digits, 9);
    SealStoredBlock(block, block);
    EXPECT_TRUE(StoredBlockChecksumMatches(block));
    block[100] ^= 1;
    EXPECT_FALSE(StoredBlockChecksumMatches(block));
    block[100] ^= 1;
    std::swap(block[254], block[255]);
    EXPECT_FALSE(StoredBlockChecksumMatches(block));
}

TEST(InstrumentStorageTest, BlocksAsTheInstrumentSendsThem) {
    InstrumentStorage storage;
    TrendFrame frame;
    ASSERT_TRUE(FromLocalDateTime({2014, 3, 5, 8, 9, 10}, frame.time));
    frame.block.ch2[3] = -9;
    storage.SetSlotFrames(5, {frame, frame});
    storage.slotData[5].info[0] = 0xAB;
    storage.slotData[5].info[kInfoFrameCountOffset] = 200; // replaced by frameCount
    storage.slotData[5].rawData[2] = DatedBlock(14, 3, 5, 8, 9, 60);

    const StoredBlockBytes info = storage.InfoBlock(5);
    EXPECT_EQ(info[0], 0xAB);
    EXPECT_EQ(info[32], 2);
    EXPECT_EQ(storage.DataBlock(5, 1), EncodeStoredDataBlock(frame));
    EXPECT_EQ(storage.DataBlock(5, 2)[5], 60); // the raw block wins over the frame
    EXPECT_EQ(storage.DataBlock(5, 3)[0], 0xFF);
    EXPECT_EQ(storage.InfoBlock(6)[32], 0);

    const std::vector<std::uint8_t> image = storage.Image();
    ASSERT_EQ(image.size(), 4194304u);
    const std::uint8_t* data = image.data() + 5 * 65536 + 1 * 256;
    EXPECT_TRUE(StoredBlockChecksumMatches(data));
    EXPECT_EQ(std::memcmp(data, EncodeStoredDataBlock(frame).data(), kStoredBlockPayload), 0);
    EXPECT_EQ(image[5 * 65536 + 32], 2);

    std::vector<TrendFrame> many(300, frame);
    storage.SetSlotFrames(0, many);
    EXPECT_EQ(storage.slotData[0].frameCount, 255);
    EXPECT_EQ(InstrumentStorage::RecordSlotsFor(0), 0);
    EXPECT_EQ(InstrumentStorage::RecordSlotsFor(63), 63);
    EXPECT_EQ(InstrumentStorage::RecordSlotsFor(64) & 0x80, 0x80);
    EXPECT_GE(InstrumentStorage::RecordSlotsFor(64) & 0x7F, 64); // no slot is skipped
}

} // namespace
