#include "sim/RequestParser.h"
#include "device/Frame.h"

#include <gtest/gtest.h>

using namespace zel;
using Bytes = std::vector<std::uint8_t>;

TEST(RequestParserTest, FindsRequestsAcrossChunksAndSkipsJunk) {
    const Bytes status = BuildRequest(kCmdStatus, {0, 0});
    const Bytes clock = BuildRequest(kCmdSetClock, {1, 2, 3, 4, 5, 6});
    Bytes bad = BuildRequest(kCmdClear, {0x12, 0x34});
    bad[5] ^= 1;
    Bytes stream = {0x00, 0xCF, 0x55}; // junk, a lead byte with an unknown code
    stream.insert(stream.end(), bad.begin(), bad.end());
    stream.insert(stream.end(), status.begin(), status.end());
    stream.insert(stream.end(), clock.begin(), clock.end());

    sim::RequestParser parser;
    std::vector<Bytes> found;
    for (std::uint8_t b : stream) { // one byte at a time: the worst split
        parser.Feed(&b, 1);
        while (auto r = parser.Next())
            found.push_back(*r);
    }
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], status);
    EXPECT_EQ(found[1], clock);
}
