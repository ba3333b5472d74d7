#include "cli/CliApp.h"
#include "records/RecordFile.h"
#include "records/RecordNotes.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempDir.h"

#include <sys/fsuid.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using namespace zel;
using test::ReadBytes;
using test::WriteBytes;

namespace {

class CliNotesCutTest : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return cli::RunCli(args, out, err);
    }

    // Two trend blocks from 2014-05-13 16:53:20 UTC: points 0 … 123, the last at 16:54:21.5.
    std::string TrendRecord() {
        const std::string path = CreateTrendRecord("T", 12, 1203, 1400000000, dir.path());
        for (int b = 0; b < 2; ++b) {
            TrendBlock block;
            block.ch1[0] = static_cast<std::int16_t>(b + 1);
            EXPECT_TRUE(AppendRecordBlock(path, block));
        }
        return path;
    }

    // One line on stderr, nothing on stdout.
    void ExpectOneLineError() {
        EXPECT_EQ(out.str(), "");
        const std::string e = err.str();
        EXPECT_FALSE(e.empty());
        EXPECT_EQ(e.find('\n'), e.size() - 1) << e;
    }

    test::ScopedTimeZone utc{"UTC"};
    test::TempDir dir;
    std::ostringstream out, err;
};

TEST_F(CliNotesCutTest, NotesAreAddedListedInTimeOrderAndDeleted) {
    const std::string path = TrendRecord();
    const auto recordBytes = ReadBytes(path);
    ASSERT_EQ(Run({"notes", path, "--json"}), 0) << err.str();
    EXPECT_EQ(out.str(), "{\"notes\": []}\n");

    ASSERT_EQ(Run({"notes", path, "--add", "2014-05-13 16:54:00", "负载 \"满\""}), 0) << err.str();
    EXPECT_EQ(out.str(), "added\t2014-05-13 16:54:00\t80\n");
    ASSERT_EQ(Run({"notes", path, "--add", "2014-05-13 16:53:20.5", "early"}), 0) << err.str();
    ASSERT_EQ(Run({"notes", path, "--json"}), 0);
    EXPECT_EQ(out.str(), "{\"notes\": [{\"time\": \"2014-05-13 16:53:20\", \"index\": 1, \"text\": "
                         "\"early\"}, {\"time\": \"2014-05-13 16:54:00\", \"index\": 80, \"text\": "
                         "\"负载 \\\"满\\\"\"}]}\n");
    ASSERT_EQ(Run({"notes", path}), 0);
    EXPECT_EQ(out.str(), "2014-05-13 16:53:20\t1\tearly\n2014-05-13 16:54:00\t80\t负载 \"满\"\n");

    // Refused, each with one line, the sidecar unchanged: a point taken, times outside the
    // record, a note that is no line of text, an index with no note.
    const auto sidecar = ReadBytes(NotesPath(path));
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"notes", path, "--add", "2014-05-13 16:54:00", "again"},
          {"notes", path, "--add", "2014-05-13 16:53:19", "before"},
          {"notes", path, "--add", "2014-05-13 16:54:22", "after"},
          {"notes", path, "--add", "16:54:00", "no date"},
          {"notes", path, "--add", "2014-05-13 16:54:00", "two\nlines"},
          {"notes", path, "--delete", "2"},
          {"notes", path, "--delete", "x"}}) {
        EXPECT_NE(Run(bad), 0) << bad[3];
        EXPECT_NE(err.str(), "") << bad[3];
        EXPECT_EQ(ReadBytes(NotesPath(path)), sidecar) << bad[3];
    }

    ASSERT_EQ(Run({"notes", path, "--delete", "1"}), 0) << err.str();
    ASSERT_EQ(Run({"notes", path}), 0);
    EXPECT_EQ(out.str(), "2014-05-13 16:54:00\t80\t负载 \"满\"\n");
    EXPECT_EQ(ReadBytes(path), recordBytes);
}

TEST_F(CliNotesCutTest, AMalformedSidecarIsReportedAndNeverOverwritten) {
    const std::string path = TrendRecord();
    const std::vector<std::uint8_t> junk = {'{', '"', 'n', 'o', 't', 'e', 's', '"', ':'};
    WriteBytes(NotesPath(path), junk);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"notes", path},
          {"notes", path, "--add", "2014-05-13 16:54:00", "x"},
          {"cut", path, "--from", "2014-05-13 16:53:20", "--to", "2014-05-13 16:53:30", "-o",
           dir / "cut.zmr"}}) {
        EXPECT_EQ(Run(args), 1) << args[2];
        ExpectOneLineError();
        EXPECT_NE(err.str().find(".zmr.notes"), std::string::npos) << err.str();
        EXPECT_EQ(ReadBytes(NotesPath(path)), junk);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "cut.zmr"));
}

TEST_F(CliNotesCutTest, CutWritesTheBlocksInRangeWithTheirNotes) {
    const std::string path = TrendRecord();
    ASSERT_TRUE(WriteRecordNotes(path, 1400000000, {{10, "in block 0"}, {70, "in block 1"}}));
    std::filesystem::create_directory(dir / "out");
    // 16:53:55 is point 70, in the second block: only that block is kept.
    ASSERT_EQ(Run({"cut", path, "--from", "2014-05-13 16:53:55", "--to", "2014-05-13 18:00:00",
                   "-o", dir / "out"}),
              0)
        << err.str();
    const std::string cut = dir / "out/T-191012-20140513165351.zmr";
    EXPECT_EQ(out.str(), cut + "\t2014-05-13 16:53:51\t1\t1\n");
    const auto image = ReadRecordImage(cut);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->header.startTime, 1400000000 + 31);
    ASSERT_EQ(image->trendBlocks.size(), 1u);
    EXPECT_EQ(image->trendBlocks[0].ch1[0], 2);
    const NotesReadResult notes = ReadRecordNotes(cut);
    ASSERT_EQ(notes.notes.size(), 1u);
    EXPECT_EQ(notes.notes[0].index, 8);
    EXPECT_EQ(notes.notes[0].text, "in block 1");

    // Nothing in range, a reversed range, an existing target, a folder that cannot be written:
    // one line each and no new file.
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
            names.push_back(e.path().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const auto before = listing();
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"cut", path, "--from", "2014-05-13 17:00:00", "--to",
                                   "2014-05-13 18:00:00", "-o", dir / "out"},
          {"cut", path, "--from", "2014-05-13 16:00:00", "--to", "2014-05-13 16:53:19", "-o",
           dir / "out"},
          {"cut", path, "--from", "2014-05-13 16:54:00", "--to", "2014-05-13 16:53:20"},
          {"cut", path, "--from", "2014-05-13 16:53:20", "--to", "2014-05-13 16:54:00", "-o", cut},
          {"cut", path, "--from", "2014-05-13 16:53:20", "--to", "2014-05-13 16:54:00", "-o",
           dir / "no/such/folder.zmr"}}) {
        const int rc = Run(bad);
        EXPECT_NE(rc, 0) << bad[3];
        EXPECT_NE(err.str(), "") << bad[3];
        EXPECT_EQ(listing(), before) << bad[3];
    }
    ASSERT_EQ(Run({"cut", path, "--from", "2014-05-13 17:00:00", "--to", "2014-05-13 18:00:00"}),
              1);
    EXPECT_EQ(err.str(), path +
                             ": no block between 2014-05-13 17:00:00 and 2014-05-13 18:00:00 (the "
                             "record runs from 2014-05-13 16:53:20 to 2014-05-13 16:54:21)\n");

    // A folder an ordinary user may not write to (the record itself stays readable to them).
    std::filesystem::permissions(dir.path(), std::filesystem::perms(0755));
    std::filesystem::create_directory(dir / "locked");
    std::filesystem::permissions(dir / "locked", std::filesystem::perms(0555));
    const bool root = ::geteuid() == 0;
    if (root)
        ::setfsuid(65534);
    const int rc = Run({"cut", path, "--from", "2014-05-13 16:53:20", "--to", "2014-05-13 16:54:00",
                        "-o", dir / "locked"});
    if (root)
        ::setfsuid(0);
    EXPECT_EQ(rc, 1);
    ExpectOneLineError();
    EXPECT_TRUE(std::filesystem::is_empty(dir / "locked"));
}

} // namespace
