#include "cli/CliApp.h"
#include "cli/Messages.h"
#include "common/LocalTime.h"
#include "device/Frame.h"
#include "sim/Simulator.h"
#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace zel;

namespace {

class CliDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::SimConfig c;
        c.serial = 12;
        c.version = 7;
        c.battery = 100;
        c.recordSlots = 3;
        c.state = 1;
        c.ch1Current = 153;
        c.ch2Current = 0;
        simulator = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(simulator->Start());
    }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        std::vector<std::string> all = {"--host", "127.0.0.1", "--port",
                                        std::to_string(simulator->Port())};
        all.insert(all.end(), args.begin(), args.end());
        return cli::RunCli(all, out, err);
    }

    std::unique_ptr<sim::Simulator> simulator;
    std::ostringstream out, err;
};

TEST_F(CliDeviceTest, StatusInBothForms) {
    ASSERT_EQ(Run({"status"}), 0) << err.str();
    const std::string text = out.str();
    EXPECT_NE(text.find("设备编号：191012\n"), std::string::npos);
    EXPECT_NE(text.find("设备版本：V0.007\n"), std::string::npos);
    EXPECT_NE(text.find("设备电量：100%\n"), std::string::npos);
    EXPECT_NE(text.find("设备状态：测量状态\n"), std::string::npos);
    EXPECT_NE(text.find("CH1电流：153A\n"), std::string::npos);
    EXPECT_NE(text.find("CH2电流：0A\n"), std::string::npos);

    ASSERT_EQ(Run({"status", "--json"}), 0);
    const std::string json = out.str();
    EXPECT_NE(json.find("\"deviceNumber\": 191012"), std::string::npos);
    EXPECT_NE(json.find("\"versionText\": \"V0.007\""), std::string::npos);
    EXPECT_NE(json.find("\"recordSlots\": 3"), std::string::npos);
    EXPECT_NE(json.find("\"stateText\": \"测量状态\""), std::string::npos);
    // The clock is zero-padded in JSON.
    const auto at = json.find("\"clock\": \"");
    ASSERT_NE(at, std::string::npos);
    const std::string clock = json.substr(at + 10, 19);
    EXPECT_EQ(clock.size(), 19u);
    EXPECT_EQ(clock[4], '-');
    EXPECT_EQ(clock[7], '-');
    EXPECT_EQ(clock[10], ' ');
    EXPECT_EQ(clock[13], ':');

    // In English the text says the same, and the JSON does not change.
    cli::SetMessageLanguage(UiLanguage::English);
    ASSERT_EQ(Run({"status"}), 0);
    const std::string english = out.str();
    ASSERT_EQ(Run({"status", "--json"}), 0);
    const std::string englishJson = out.str();
    cli::SetMessageLanguage(UiLanguage::Chinese);
    for (const char* line : {"Device No.: 191012\n", "Version: V0.007\n", "Battery: 100%\n",
                             "Stored records: 3\n", "State: Measuring\n", "CH1 current: 153A\n"})
        EXPECT_NE(english.find(line), std::string::npos) << english;
    EXPECT_EQ(englishJson.substr(0, englishJson.find("\"clock\"")),
              json.substr(0, json.find("\"clock\"")));
    EXPECT_EQ(cli::Say("第%1帧/共%2帧", {"3", "10"}), "第3帧/共10帧");
}

TEST_F(CliDeviceTest, SyncClockSendsThePcTime) {
    const std::int64_t before = NowSeconds();
    ASSERT_EQ(Run({"sync-clock", "--json"}), 0) << err.str();
    const auto requests = simulator->Requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0][1], kCmdSetClock);
    const auto& r = requests[0];
    std::int64_t sent = 0;
    ASSERT_TRUE(FromLocalDateTime({2000 + r[2], r[3], r[4], r[5], r[6], r[7]}, sent));
    EXPECT_GE(sent, before);
    EXPECT_LE(sent, NowSeconds());
    EXPECT_LE(std::llabs(simulator->ClockNow() - NowSeconds()), 2);
}

TEST_F(CliDeviceTest, ClearAndStopReportWhatHappened) {
    EXPECT_EQ(Run({"clear"}), 0);
    EXPECT_EQ(out.str(), "清除数据成功!\n");
    EXPECT_EQ(Run({"stop"}), 0);
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::BadChecksum; });
    EXPECT_EQ(Run({"clear"}), 1);
    EXPECT_EQ(err.str(), "清除数据失败!\n");
    EXPECT_EQ(Run({"sync-clock"}), 1);
    EXPECT_EQ(err.str(), "时间同步失败!\n");
}

TEST_F(CliDeviceTest, ConnectionFailureAndUsageErrors) {
    simulator->Stop();
    // The program's words for a connection that could not be made.
    for (const char* command : {"status", "clear", "stop", "sync-clock"}) {
        EXPECT_EQ(Run({command}), 1) << command;
        EXPECT_EQ(err.str(), "连接设备失败!\n") << command;
    }
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"frobnicate"}), 2);
    EXPECT_EQ(Run({"status", "--bogus"}), 2);
    EXPECT_NE(err.str().find("usage"), std::string::npos);
    std::ostringstream o, e;
    EXPECT_EQ(cli::RunCli({"--port", "99999", "status"}, o, e), 2);

    // The tool itself follows the locale of its messages: Chinese ones get Chinese, others English.
    const std::string port = std::to_string(simulator->Port());
    for (const auto& [locale, message] :
         {std::pair{"en_US.UTF-8", "Could not connect to the device!\n"},
          std::pair{"zh_TW.UTF-8", "连接设备失败!\n"},
          std::pair{"C", "Could not connect to the device!\n"}}) {
        ::setenv("LC_ALL", locale, 1);
        const test::ChildResult r =
            test::RunChild({ZEL_CLI_PATH, "--host", "127.0.0.1", "--port", port, "status"},
                           std::chrono::seconds(20));
        EXPECT_EQ(r.exitCode, 1) << locale;
        EXPECT_EQ(r.err, message) << locale;
    }
    ::setenv("LC_ALL", "zh_CN.UTF-8", 1);
}

} // namespace
