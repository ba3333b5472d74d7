#include "records/SampleBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace zel;

namespace {

std::vector<std::uint8_t> FrameWithSample(std::uint8_t lo, std::uint8_t hi) {
    std::vector<std::uint8_t> f(kSampleFrameSize, 0);
    f[0] = '<';
    f[1] = 0x81;
    f[8] = lo;
    f[9] = hi;
    f[808] = lo;
    f[809] = hi;
    return f;
}

TEST(SampleBlockTest, SamplesAreDividedBySixteenTowardZero) {
    const struct {
        std::uint8_t lo, hi;
        int expected;
    } cases[] = {{0xFF, 0x7F, 2047}, {0x00, 0x80, -2048}, {0xFF, 0xFF, 0}, {0xF0, 0xFF, -1},
                 {0xEF, 0xFF, -1},   {0xE0, 0xFF, -2},    {0x0F, 0x00, 0}, {0x10, 0x00, 1}};
    for (const auto& c : cases) {
        SampleBlock b;
        DecodeSampleFrame(FrameWithSample(c.lo, c.hi).data(), b);
        EXPECT_EQ(b.ch1[0], c.expected) << std::hex << int(c.lo) << " " << int(c.hi);
        EXPECT_EQ(b.ch2[0], c.expected);
    }
}

TEST(SampleBlockTest, HeaderWordsWidenWithoutSign) {
    auto f = FrameWithSample(0, 0);
    f[2] = 0x34;
    f[3] = 0x12;
    f[4] = 0xFF;
    f[5] = 0xFF;
    f[6] = 0x02;
    f[7] = 0x01;
    SampleBlock b;
    DecodeSampleFrame(f.data(), b);
    EXPECT_EQ(b.headWord, 0x1234u);
    EXPECT_EQ(b.ch1Current, 65535u);
    EXPECT_EQ(b.ch2Current, 258u);
}

TEST(SampleBlockTest, ChannelsAreNotInterleavedAndImageRoundTrips) {
    std::vector<std::uint8_t> f(kSampleFrameSize, 0);
    std::memset(f.data() + 808, 0xFF, 800);
    f[8 + 2 * 399] = 0x20; // last CH1 sample = 2
    SampleBlock b;
    DecodeSampleFrame(f.data(), b);
    for (int k = 0; k < 399; ++k) {
        ASSERT_EQ(b.ch1[k], 0);
        ASSERT_EQ(b.ch2[k], 0);
    }
    EXPECT_EQ(b.ch1[399], 2);

    std::uint8_t image[sizeof(SampleBlock)];
    std::memcpy(image, &b, sizeof image);
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[12 + 2 * 399], 2); // ch1[399] low byte in the file image
    SampleBlock back;
    std::memcpy(&back, image, sizeof image);
    EXPECT_EQ(std::memcmp(&back, &b, sizeof b), 0);
}

TEST(SampleBlockTest, DerivedValues) {
    EXPECT_EQ(CurrentDifference(10, 25), -15);
    const struct {
        int a, b, expected;
    } cases[] = {{0, 0, 0},  {100, 0, 100}, {100, 100, 0}, {150, 50, 50},
                 {1, 2, 33}, {157, 43, 56}, {-5, 5, 100},  {65535, 0, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(UnbalanceCoefficient(c.a, c.b), c.expected) << c.a << "," << c.b;
}

} // namespace
