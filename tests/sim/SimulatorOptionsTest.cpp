#include "sim/SimulatorOptions.h"

#include <gtest/gtest.h>

using namespace zel::sim;

TEST(SimulatorOptionsTest, ParsesValuesAndRejectsBadOnes) {
    SimulatorOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimulatorOptions({"--port", "9000", "--serial", "65535", "--fault", "pieces",
                                       "--split-frames", "--slots", "133"},
                                      o, error))
        << error;
    EXPECT_EQ(o.port, 9000);
    EXPECT_EQ(o.config.serial, 65535);
    EXPECT_EQ(o.config.fault, ReplyFault::Pieces);
    EXPECT_TRUE(o.config.splitFrames);
    EXPECT_EQ(o.config.recordSlots, 133);

    for (const auto& bad : std::vector<std::vector<std::string>>{{"--serial", "65536"},
                                                                 {"--port"},
                                                                 {"--fault", "explode"},
                                                                 {"--bogus"},
                                                                 {"--state", "x"}}) {
        SimulatorOptions fresh;
        EXPECT_FALSE(ParseSimulatorOptions(bad, fresh, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

// --version asks for the program's version; the instrument's version has its own option.
TEST(SimulatorOptionsTest, VersionAndHelpAreTheProgramsOwn) {
    SimulatorOptions o;
    std::string error;
    ASSERT_TRUE(ParseSimulatorOptions({"--device-version", "1203", "--version"}, o, error))
        << error;
    EXPECT_EQ(o.config.version, 1203);
    EXPECT_TRUE(o.showVersion);
    EXPECT_FALSE(o.showHelp);
    SimulatorOptions help;
    ASSERT_TRUE(ParseSimulatorOptions({"--help"}, help, error));
    EXPECT_TRUE(help.showHelp);
    EXPECT_FALSE(help.showVersion);
}
