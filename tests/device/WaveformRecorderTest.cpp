#include "device/WaveformRecorder.h"
#include "records/RecordFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

using namespace zel;

namespace {

SampleBlock Block(std::uint32_t n) {
    SampleBlock block;
    block.headWord = n;
    block.ch1Current = 100 + n;
    block.ch1[0] = static_cast<std::int16_t>(n);
    return block;
}

} // namespace

// The windows show the system's reason when a file fails; it has to survive the clean-up.
TEST(WaveformRecorderTest, CreationFailureKeepsTheSystemsReason) {
    test::TempDir dir;
    const std::string notAFolder = dir / "taken";
    test::WriteBytes(notAFolder, {1, 2, 3});
    WaveformRecorder recorder("S", 12, 1203, notAFolder);
    EXPECT_FALSE(recorder.BeginRun());
    EXPECT_TRUE(recorder.Failed());
    EXPECT_EQ(recorder.Error(), ENOTDIR);
    EXPECT_EQ(recorder.Path(), "");
    EXPECT_EQ(recorder.Folder(), notAFolder);
    EXPECT_FALSE(recorder.Record(Block(1)));
    EXPECT_EQ(recorder.Error(), ENOTDIR);
}

// After a failed append the run writes nothing more, even when the file could be written
// again: a recording with a hole in it would pass for a whole one. A new run starts afresh.
TEST(WaveformRecorderTest, AFailedAppendEndsTheRunsWritingAndKeepsWhatWasWritten) {
    test::TempDir dir;
    WaveformRecorder recorder("R", 12, 1203, dir.path());
    ASSERT_TRUE(recorder.BeginRun());
    const std::string path = recorder.Path();
    ASSERT_TRUE(recorder.Record(Block(1)));
    ASSERT_TRUE(recorder.Record(Block(2)));

    // For a moment a folder stands where the file was.
    const std::string aside = dir / "aside";
    ASSERT_EQ(std::rename(path.c_str(), aside.c_str()), 0);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(recorder.Record(Block(3)));
    EXPECT_EQ(recorder.Error(), EISDIR);
    std::filesystem::remove(path);
    ASSERT_EQ(std::rename(aside.c_str(), path.c_str()), 0);
    EXPECT_FALSE(recorder.Record(Block(4)));
    EXPECT_EQ(recorder.Error(), EISDIR);

    const auto file = ReadRecordFile(path);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->blocks.size(), 2u);
    EXPECT_EQ(file->blocks[1].headWord, 2u);

    ASSERT_TRUE(recorder.BeginRun());
    EXPECT_FALSE(recorder.Failed());
    EXPECT_EQ(recorder.Error(), 0);
    EXPECT_NE(recorder.Path(), path);
    EXPECT_TRUE(recorder.Record(Block(5)));
}
