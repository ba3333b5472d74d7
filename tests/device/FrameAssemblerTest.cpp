#include "device/FrameAssembler.h"
#include "device/Frame.h"
#include "sim/StreamSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace zel;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::vector<Bytes> Frames(int n, std::uint32_t seed = 3) {
    sim::StreamSource source(seed);
    std::vector<Bytes> frames;
    for (int i = 0; i < n; ++i)
        frames.push_back(source.NextFrame());
    return frames;
}

// Feeds the stream in reads of the given sizes and collects the head words of the blocks.
std::vector<std::uint32_t> Feed(const Bytes& stream, const std::vector<std::size_t>& reads) {
    FrameAssembler assembler;
    std::vector<std::uint32_t> heads;
    std::size_t at = 0;
    for (std::size_t r = 0; at < stream.size(); ++r) {
        const std::size_t n =
            std::min({reads[r % reads.size()], stream.size() - at, FrameAssembler::kReadSize});
        assembler.Append(stream.data() + at, n);
        at += n;
        SampleBlock block;
        while (assembler.NextBlock(block))
            heads.push_back(block.headWord);
        EXPECT_LT(assembler.Length(), kSampleFrameSize);
    }
    return heads;
}

void Add(Bytes& stream, const Bytes& more) {
    stream.insert(stream.end(), more.begin(), more.end());
}

TEST(FrameAssemblerTest, FrameSplitOverTwoReadsIsDecodedAfterTheSecond) {
    const auto frames = Frames(1);
    FrameAssembler assembler;
    SampleBlock block;
    assembler.Append(frames[0].data(), 1000);
    EXPECT_FALSE(assembler.NextBlock(block));
    assembler.Append(frames[0].data() + 1000, 610);
    ASSERT_TRUE(assembler.NextBlock(block));
    SampleBlock expected;
    DecodeSampleFrame(frames[0].data(), expected);
    EXPECT_EQ(std::memcmp(&block, &expected, sizeof block), 0);
    EXPECT_EQ(assembler.Length(), 0u);
}

TEST(FrameAssemblerTest, JunkBeforeAFrameAndTrailingLeadByte) {
    const auto frames = Frames(2);
    Bytes stream = {1, 2, 3, 4, 5, 6, 7};
    Add(stream, frames[0]);
    EXPECT_EQ(Feed(stream, {1610}), (std::vector<std::uint32_t>{0}));

    // A read that ends with '<' keeps it; the 0x81 arrives with the next read.
    FrameAssembler assembler;
    Bytes first(1609, 0x00);
    first.back() = 0x3C;
    assembler.Append(first.data(), first.size());
    assembler.Append(frames[1].data() + 1, 1);
    SampleBlock block;
    EXPECT_FALSE(assembler.NextBlock(block)); // junk dropped, "<\x81" kept
    EXPECT_EQ(assembler.Length(), 2u);
    assembler.Append(frames[1].data() + 2, 1608);
    ASSERT_TRUE(assembler.NextBlock(block));
    EXPECT_EQ(block.headWord, 1u);
}

TEST(FrameAssemblerTest, CorruptedFrameIsRejectedAndTheNextGoodOneDelivered) {
    const auto frames = Frames(3);
    Bytes bad = frames[0];
    bad[500] ^= 0x01;
    Bytes stream = bad;
    Add(stream, frames[1]);
    Add(stream, frames[2]);
    EXPECT_EQ(Feed(stream, {1610}), (std::vector<std::uint32_t>{1, 2}));
}

TEST(FrameAssemblerTest, StatusReplyIsNeverTakenForAFrame) {
    const auto frames = Frames(1);
    Bytes status(27, 0x11);
    status[0] = 0x3C;
    status[1] = 0xA0;
    AppendCrc(status);
    Bytes stream = status;
    Add(stream, status);
    Add(stream, frames[0]);
    EXPECT_EQ(Feed(stream, {700}), (std::vector<std::uint32_t>{0}));
}

TEST(FrameAssemblerTest, RandomStreamDeliversExactlyTheGoodFramesInOrder) {
    std::mt19937 random(42);
    const auto frames = Frames(300);
    Bytes stream;
    std::vector<std::uint32_t> expected;
    for (std::uint32_t i = 0; i < frames.size(); ++i) {
        const int kind = static_cast<int>(random() % 10);
        if (kind == 0) { // junk, possibly holding lead pairs
            for (int j = 0, n = static_cast<int>(random() % 40); j < n; ++j)
                stream.push_back(random() % 3 == 0 ? 0x3C : (random() % 2 ? 0x81 : 0x00));
        }
        Bytes frame = frames[i];
        if (kind == 1) {
            frame[2 + random() % 1606] ^= static_cast<std::uint8_t>(1 + random() % 255);
        } else if (kind == 2) {
            frame.resize(random() % 1000); // a frame cut short
        } else {
            expected.push_back(i);
        }
        Add(stream, frame);
    }
    for (const std::vector<std::size_t>& reads :
         {std::vector<std::size_t>{1610}, {1}, {7, 1603, 999, 1610, 13}, {1609}}) {
        EXPECT_EQ(Feed(stream, reads), expected);
    }
}

} // namespace
