#include "cli/ConfigFile.h"
#include "cli/LogLines.h"
#include "cli/RecordOptions.h"
#include "cli/ServiceNotifier.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <sstream>

using namespace zel;
using namespace zel::cli;
using namespace std::chrono_literals;
using namespace std::string_literals;

namespace {

// The command line's options, then the file's, as record takes them.
bool Take(std::vector<std::string> args, const std::string& text, GivenOptions& given,
          std::string& error) {
    std::vector<ConfigEntry> entries;
    return TakeCommandLineOptions(RecordOptionTable(), args, given, error) &&
           ParseConfigGroup(text, "logger.conf", "logger", entries, error) &&
           ApplyConfigEntries(RecordOptionTable(), entries, "logger.conf", given, error);
}

TEST(LoggerConfigTest, TheFileGivesEveryOptionAndTheCommandLineWins) {
    const std::string text = "\xEF\xBB\xBF# the site logger\r\n"
                             "\n"
                             "[logger]\r\n"
                             "  host = 192.168.4.1  \n"
                             "port=8081\n"
                             "; comments start with either\n"
                             "dir = /var/lib/zelmarine/site A\n"
                             "split = hour\n"
                             "seconds = 3600\n"
                             "keep-days = 30\n"
                             "min-free = 2G\n"
                             "json = no\n"
                             "prefix = L";
    GivenOptions given;
    std::string error;
    ASSERT_TRUE(Take({"--dir", "/tmp/try", "--blocks", "5"}, text, given, error)) << error;
    EXPECT_EQ(given.Value("host"), "192.168.4.1");
    EXPECT_EQ(given.Value("port"), "8081");
    EXPECT_EQ(given.Value("dir"), "/tmp/try");
    EXPECT_EQ(given.Where("dir"), "--dir");
    EXPECT_EQ(given.Value("split"), "hour");
    EXPECT_EQ(given.Where("split"), "logger.conf:8: split");
    EXPECT_EQ(given.Value("min-free"), "2G");
    EXPECT_EQ(given.Value("prefix"), "L"); // the last line has no line end
    // --blocks on the command line stands for the file's seconds too; "json = no" gives
    // nothing.
    EXPECT_EQ(given.Value("blocks"), "5");
    EXPECT_FALSE(given.Has("seconds"));
    EXPECT_FALSE(given.Has("json"));

    GivenOptions flag;
    ASSERT_TRUE(Take({}, "[logger]\njson = yes\ndir = a\n", flag, error)) << error;
    EXPECT_TRUE(flag.Has("json"));
    EXPECT_EQ(flag.Value("dir"), "a");

    // As arguments again for a parser of their own, from the file and the command line alike;
    // its refusal of a file's option names the line.
    EXPECT_EQ(
        given.Arguments(RecordOptionTable()),
        (std::vector<std::string>{"--blocks", "5", "--split", "hour", "--prefix", "L", "--dir",
                                  "/tmp/try", "--keep-days", "30", "--min-free", "2G"}));
    EXPECT_EQ(given.Attribute("--keep-days: too many"), "logger.conf:10: keep-days: too many");
    EXPECT_EQ(given.Attribute("--dir /tmp/try: cannot be read"), "--dir /tmp/try: cannot be read");
    EXPECT_EQ(given.Attribute("--keep-daysx: no"), "--keep-daysx: no");
}

TEST(LoggerConfigTest, RefusesWithTheFileTheLineTheKeyAndTheReason) {
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"[logger]\nhots = 1.2.3.4\n", "logger.conf:2: hots: unknown key"},
        {"[logger]\ndir = a\n\ndir = b\n", "logger.conf:4: dir: given twice, first on line 2"},
        {"[logger]\nsplit = week\n", "logger.conf:2: split: takes hour or day"},
        {"[logger]\nkeep-days = 0\n",
         "logger.conf:2: keep-days: needs a whole number of days, 1 or more"},
        {"[logger]\nkeep-days = 30 days\n",
         "logger.conf:2: keep-days: needs a whole number of days, 1 or more"},
        {"[logger]\nmin-free = 2T\n",
         "logger.conf:2: min-free: needs a size such as 2G, 500M or 64K (powers of 1024)"},
        {"[logger]\nport = 70000\n", "logger.conf:2: port: needs a port, 1 to 65535"},
        {"[logger]\ndir =\n", "logger.conf:2: dir: needs a value"},
        {"[logger]\njson = maybe\n", "logger.conf:2: json: takes yes or no"},
        {"[logger]\nconfig = other.conf\n", "logger.conf:2: config: only on the command line"},
        {"dir = a\n[logger]\n", "logger.conf:1: dir: outside the [logger] group"},
        {"[logger]\n[mqtt]\nhost = a\n", "logger.conf:2: unknown group [mqtt], only [logger]"},
        {"[logger\n", "logger.conf:1: a group line ends with ]"},
        {"[logger]\nsplit hour\n", "logger.conf:2: not a key = value line"},
        {"[logger]\n= hour\n", "logger.conf:2: no key before ="},
        {"[logger]\ndir = a\0b\n"s, "logger.conf:2: control character in the line"},
    };
    for (const auto& c : cases) {
        GivenOptions given;
        std::string error;
        EXPECT_FALSE(Take({}, c.text, given, error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
    // A bad value is refused also where the command line would win.
    GivenOptions given;
    std::string error;
    EXPECT_FALSE(Take({"--split", "day"}, "[logger]\nsplit = week\n", given, error));
    // On the command line: the same checks, and no --host after the command.
    for (const auto& [args, message] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--keep-days", "x"}, "--keep-days: needs a whole number of days, 1 or more"},
             {{"--split", "day", "--split", "hour"}, "--split given twice"},
             {{"--host", "1.2.3.4"}, "unexpected argument --host"},
             {{"--dir"}, "option without value"}}) {
        GivenOptions options;
        std::vector<std::string> line = args;
        EXPECT_FALSE(TakeCommandLineOptions(RecordOptionTable(), line, options, error));
        EXPECT_EQ(error, message);
    }
}

TEST(LoggerConfigTest, FilesThatCannotBeConfigurationsAreRefusedWithoutHanging) {
    test::TempDir dir;
    std::vector<ConfigEntry> entries;
    std::string error;
    EXPECT_FALSE(ReadConfigGroup(dir / "missing.conf", "logger", entries, error));
    EXPECT_EQ(error, dir / "missing.conf" + ": " + std::strerror(ENOENT));
    EXPECT_FALSE(ReadConfigGroup(dir.path(), "logger", entries, error));
    EXPECT_EQ(error, dir.path() + ": not a regular file");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadConfigGroup(dir / "fifo", "logger", entries, error));
    EXPECT_EQ(error, dir / "fifo" + ": not a regular file");
    test::WriteBytes(dir / "ok.conf",
                     {'[', 'l', 'o', 'g', 'g', 'e', 'r', ']', '\n', 'd', '=', 'x'});
    ASSERT_TRUE(ReadConfigGroup(dir / "ok.conf", "logger", entries, error)) << error;
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].key, "d");
    EXPECT_EQ(entries[0].line, 2);
}

TEST(LoggerConfigTest, SizesArePowersOf1024) {
    unsigned long long bytes = 0;
    const std::pair<const char*, unsigned long long> good[] = {
        {"2G", 2ull << 30}, {"500M", 500ull << 20}, {"64k", 64ull << 10}, {"4096", 4096}};
    for (const auto& [text, expected] : good) {
        ASSERT_TRUE(ParseSize(text, bytes)) << text;
        EXPECT_EQ(bytes, expected) << text;
    }
    for (const char* bad : {"", "0", "G", "1.5G", "-1M", "2GB", "17179869184G", " 2G"})
        EXPECT_FALSE(ParseSize(bad, bytes)) << bad;
}

// Standard error is the journal only when JOURNAL_STREAM names its very device and inode.
TEST(LoggerConfigTest, JournalLinesCarryTheirPriorityOnlyWhenStderrIsTheJournal) {
    test::TempDir dir;
    const int fd = ::open((dir / "stream").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    struct stat info {};
    ASSERT_EQ(::fstat(fd, &info), 0);
    const std::string self = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    const std::string other = std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino + 1);
    EXPECT_TRUE(IsJournalStream(self.c_str(), fd));
    for (const std::string& bad : {other, self + "x", ":" + std::to_string(info.st_ino),
                                   std::to_string(info.st_dev) + ":", std::string()})
        EXPECT_FALSE(IsJournalStream(bad.c_str(), fd)) << bad;
    EXPECT_FALSE(IsJournalStream(nullptr, fd));
    ::close(fd);

    std::ostringstream journal, terminal;
    LogLines(journal, true).Write(LogPriority::Warning, "lost");
    LogLines(terminal, false).Write(LogPriority::Warning, "lost");
    EXPECT_EQ(journal.str(), "<4>lost\n");
    EXPECT_EQ(terminal.str(), "zelmarine-cli: record: lost\n");
}

TEST(LoggerConfigTest, TheWatchdogIsPingedAtHalfItsPeriodWhileTheRecordingGetsSomewhere) {
    const auto t0 = WatchdogGate::Clock::time_point() + 1000s;
    WatchdogGate gate(20s, 30s, t0);
    EXPECT_TRUE(gate.Due(t0)); // at once, then every 10 s
    EXPECT_FALSE(gate.Due(t0 + 9s));
    EXPECT_TRUE(gate.Due(t0 + 10s));
    gate.Progress(t0 + 15s);
    EXPECT_TRUE(gate.Due(t0 + 44s));  // 29 s after the last progress
    EXPECT_FALSE(gate.Due(t0 + 56s)); // 41 s: stalled, the pings stop
    EXPECT_FALSE(gate.Due(t0 + 80s));
    gate.Progress(t0 + 81s); // a reconnect attempt is progress as well
    EXPECT_TRUE(gate.Due(t0 + 81s));
    WatchdogGate none(0s, 30s, t0); // no watchdog asked for
    EXPECT_FALSE(none.Due(t0 + 100s));
}

} // namespace
