#include "device/StatusText.h"

#include <gtest/gtest.h>

using namespace zel;

TEST(StatusTextTest, ShownTheWayTheInstrumentIsDescribed) {
    EXPECT_EQ(DeviceNumberText(10), "191010");
    EXPECT_EQ(VersionText(1001), "V1.001");
    EXPECT_EQ(VersionText(1203), "V1.203");
    EXPECT_EQ(VersionText(7), "V0.007");
    EXPECT_EQ(VersionText(12345), "V12.345");
    EXPECT_EQ(BatteryText(87), "87%");
    EXPECT_EQ(StateText(1), "测量状态");
    EXPECT_EQ(StateText(2), "查看状态");
    EXPECT_EQ(StateText(3), "回放状态");
    EXPECT_EQ(StateText(0), "错误");
    EXPECT_EQ(StateText(200), "错误");
    DeviceStatus s;
    s.year = 13;
    s.month = 7;
    s.day = 5;
    s.hour = 14;
    s.minute = 3;
    s.second = 9;
    EXPECT_EQ(ClockText(s), "2013-7-5 14:3:9");
    EXPECT_EQ(CurrentText(65535), "65535A");
}
