#include "records/JsonValue.h"
#include "records/RecordCut.h"
#include "records/RecordNotes.h"
#include "tests/support/ScopedTimeZone.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace zel;
using test::ReadBytes;
using test::WriteBytes;

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TrendBlock NumberedTrendBlock(int n) {
    TrendBlock block;
    for (int i = 0; i < kTrendPointsPerBlock; ++i) {
        block.ch1[i] = static_cast<std::int16_t>(n * 100 + i);
        block.ch2[i] = static_cast<std::int16_t>(-n * 100 - i);
    }
    return block;
}

} // namespace

TEST(RecordNotesTest, DocumentIsExactAndReadsBack) {
    test::ScopedTimeZone zone{"UTC"};
    const std::int64_t start = 1400000000; // 2014-05-13 16:53:20
    // Out of order, with quotes, a backslash and CJK text; two at one point: the later wins.
    const std::vector<RecordNote> notes = {
        {21, "开关 \"B\" 合上"}, {3, "a\\b"}, {21, "replaced"}, {0, "start"}};
    const std::string document = NotesDocument(start, notes);
    EXPECT_EQ(document,
              "{\"startTime\": \"2014-05-13 16:53:20\",\n \"notes\": [\n"
              "  {\"time\": \"2014-05-13 16:53:20\", \"index\": 0, \"text\": \"start\"},\n"
              "  {\"time\": \"2014-05-13 16:53:21\", \"index\": 3, \"text\": \"a\\\\b\"},\n"
              "  {\"time\": \"2014-05-13 16:53:30\", \"index\": 21, \"text\": \"replaced\"}]}\n");
    std::vector<RecordNote> read;
    ASSERT_TRUE(ParseNotesDocument(document, read));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[2].text, "replaced");
    EXPECT_EQ(read[1].text, "a\\b");

    // Escapes other tools may write, a surrogate pair among them.
    ASSERT_TRUE(ParseNotesDocument(
        R"({"notes": [{"index": 7, "text": "\u5f00\ud83d\ude00\n\/"}], "extra": [1, true, null]})",
        read));
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].text, "开\xF0\x9F\x98\x80\n/");

    const std::string deep = std::string(100, '[') + std::string(100, ']');
    for (const std::string& bad : std::vector<std::string>{
             "", "{", "[]", "{\"notes\": 5}", "{\"notes\": [{\"text\": \"a\"}]}",
             "{\"notes\": [{\"index\": -1, \"text\": \"a\"}]}",
             "{\"notes\": [{\"index\": 1.5, \"text\": \"a\"}]}",
             "{\"notes\": [{\"index\": 99999999999999999999, \"text\": \"a\"}]}",
             "{\"notes\": [{\"index\": 1, \"text\": 5}]}", "{\"notes\": []} x",
             "{\"notes\": [{\"index\": 1, \"text\": \"\xC3\"}]}",
             "{\"notes\": [{\"index\": 1, \"text\": \"\\udc00\"}]}",
             "{\"notes\": [{\"index\": 1, \"text\": \"a\nb\"}]}", "{\"notes\": [1,]}", deep})
        EXPECT_FALSE(ParseNotesDocument(bad, read)) << bad;
    EXPECT_TRUE(ParseJson("[[[[1]]]]").has_value());

    EXPECT_TRUE(IsNoteText("电机启动"));
    for (const std::string bad : {"", "two\nlines", "tab\there", "\xFF"})
        EXPECT_FALSE(IsNoteText(bad)) << bad;
}

TEST(RecordNotesTest, SidecarBesideTheRecordLeavesTheRecordAlone) {
    test::ScopedTimeZone zone{"UTC"};
    test::TempDir dir;
    const std::string record = CreateTrendRecord("T", 12, 1203, 1400000000, dir.path());
    ASSERT_TRUE(AppendRecordBlock(record, NumberedTrendBlock(1)));
    const auto recordBytes = ReadBytes(record);

    NotesReadResult read = ReadRecordNotes(record);
    EXPECT_EQ(read.problem, NotesReadResult::Problem::None); // no sidecar: no notes
    EXPECT_TRUE(read.notes.empty());

    ASSERT_TRUE(WriteRecordNotes(record, 1400000000, {{5, "b"}, {2, "a"}}));
    EXPECT_EQ(NotesPath(record), record + ".notes");
    read = ReadRecordNotes(record);
    ASSERT_EQ(read.problem, NotesReadResult::Problem::None);
    ASSERT_EQ(read.notes.size(), 2u);
    EXPECT_EQ(read.notes[0].index, 2);
    EXPECT_EQ(read.notes[1].text, "b");
    EXPECT_EQ(ReadBytes(record), recordBytes);

    WriteBytes(NotesPath(record), Bytes("{\"notes\": [{\"index\": 1}]}"));
    read = ReadRecordNotes(record);
    EXPECT_EQ(read.problem, NotesReadResult::Problem::Malformed);
    EXPECT_TRUE(read.notes.empty());

    std::filesystem::remove(NotesPath(record));
    std::filesystem::create_directory(NotesPath(record));
    read = ReadRecordNotes(record);
    EXPECT_EQ(read.problem, NotesReadResult::Problem::Unreadable);
    // A folder in the sidecar's place is not replaced.
    EXPECT_FALSE(WriteRecordNotes(record, 1400000000, {{1, "x"}}));
    EXPECT_TRUE(std::filesystem::is_directory(NotesPath(record)));
    EXPECT_EQ(ReadBytes(record), recordBytes);
}

// A cut equals, byte for byte, the record the writer makes of the kept blocks.
TEST(RecordCutTest, TrendCutKeepsTheTouchedBlocksAndEqualsTheWritersRecord) {
    test::ScopedTimeZone zone{"Europe/Berlin"};
    test::TempDir dir;
    const std::int64_t start = 1400000000;
    const std::string source = CreateTrendRecord("T", 12, 1203, start, dir.path());
    for (int b = 0; b < 4; ++b)
        ASSERT_TRUE(AppendRecordBlock(source, NumberedTrendBlock(b)));
    const auto image = ReadRecordImage(source);
    ASSERT_TRUE(image);

    // Points 70 … 130: the last point of block 1 is 123, so blocks 1 and 2 are touched.
    const BlockRange blocks = BlocksOfPoints(*image, PointRange{70, 61});
    EXPECT_EQ(blocks.first, 1);
    EXPECT_EQ(blocks.count, 2);
    const std::vector<RecordNote> notes = {
        {61, "before"}, {62, "first kept"}, {185, "last kept"}, {186, "after"}};
    std::filesystem::create_directory(dir / "cut");
    const std::string cut =
        WriteRecordCut(*image, blocks, notes, RecordPrefixOf(source, *image), dir / "cut", "");
    ASSERT_FALSE(cut.empty());

    std::filesystem::create_directory(dir / "expected");
    const std::string expected = CreateTrendRecord("T", 12, 1203, start + 31, dir / "expected");
    ASSERT_TRUE(AppendRecordBlock(expected, NumberedTrendBlock(1)));
    ASSERT_TRUE(AppendRecordBlock(expected, NumberedTrendBlock(2)));
    EXPECT_EQ(std::filesystem::path(cut).filename(), std::filesystem::path(expected).filename());
    EXPECT_EQ(ReadBytes(cut), ReadBytes(expected));

    const NotesReadResult kept = ReadRecordNotes(cut);
    ASSERT_EQ(kept.notes.size(), 2u);
    EXPECT_EQ(kept.notes[0].index, 0);
    EXPECT_EQ(kept.notes[0].text, "first kept");
    EXPECT_EQ(kept.notes[1].index, 123);

    // To a named file that exists already: refused, the file untouched, nothing else written.
    const auto before = ReadBytes(expected);
    EXPECT_TRUE(WriteRecordCut(*image, blocks, notes, "T", "", expected).empty());
    EXPECT_EQ(ReadBytes(expected), before);
    EXPECT_FALSE(std::filesystem::exists(NotesPath(expected)));
    // Into a folder that cannot be made (a file is in the way).
    EXPECT_TRUE(WriteRecordCut(*image, blocks, notes, "T", expected + "/sub", "").empty());
    EXPECT_EQ(ReadBytes(expected), before);
}

TEST(RecordCutTest, WaveformCutStartsOnAWholeSecondAndKeepsEveryBlock) {
    test::ScopedTimeZone zone{"UTC"};
    test::TempDir dir;
    const std::string source = CreateWaveformRecord("R", 7, 1100, dir.path());
    for (int b = 0; b < 9; ++b) {
        SampleBlock block;
        block.headWord = static_cast<std::uint16_t>(b);
        block.ch1Current = static_cast<std::uint32_t>(b * 10);
        block.ch1[b] = static_cast<std::int16_t>(b + 1);
        ASSERT_TRUE(AppendRecordBlock(source, block));
    }
    const auto image = ReadRecordImage(source);
    ASSERT_TRUE(image);
    // Points 3 … 6: block 3 lies at start + 1.5 s, so block 2 comes along.
    const BlockRange blocks = BlocksOfPoints(*image, PointRange{3, 4});
    EXPECT_EQ(blocks.first, 2);
    EXPECT_EQ(blocks.count, 5);
    const std::string cut = WriteRecordCut(*image, blocks, {{4, "n"}}, "R", "", dir / "out.zmr");
    ASSERT_EQ(cut, dir / "out.zmr");
    const auto read = ReadRecordImage(cut);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->header.kind, 1);
    EXPECT_EQ(read->header.deviceNumber, 7);
    EXPECT_EQ(read->header.deviceVersion, 1100);
    EXPECT_EQ(read->header.startTime, image->header.startTime + 1);
    ASSERT_EQ(read->waveBlocks.size(), 5u);
    const auto source_bytes = ReadBytes(source);
    const auto cut_bytes = ReadBytes(cut);
    EXPECT_TRUE(std::equal(cut_bytes.begin() + kRecordHeaderSize, cut_bytes.end(),
                           source_bytes.begin() + kRecordHeaderSize + 2 * kWaveformBlockSize));
    EXPECT_EQ(cut_bytes.size(), kRecordHeaderSize + 5 * kWaveformBlockSize);
    ASSERT_EQ(ReadRecordNotes(cut).notes.size(), 1u);
    EXPECT_EQ(ReadRecordNotes(cut).notes[0].index, 2);
}
