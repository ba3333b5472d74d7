#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordFile.h"
#include "records/RecordWriteMark.h"
#include "tests/support/TempDir.h"
#include "viewer/RecordFollower.h"
#include "widgets/CTimeWnd.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace zel {
namespace {

using namespace std::chrono_literals;

// Generous: the viewer looks twice a second, a loaded machine may be slow to let it.
constexpr int kWaitMs = 5000;

const QString kGrowing = QStringLiteral("Velquist－记录查看（记录增长中）");
const QString kPlain = QStringLiteral("Velquist－记录查看");

void AppendBlocks(const std::string& path, int count, int current) {
    for (int i = 0; i < count; ++i) {
        SampleBlock block;
        block.ch1Current = static_cast<std::uint32_t>(current);
        ASSERT_TRUE(AppendRecordBlock(path, block));
    }
}

void AppendBytes(const std::string& path, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::vector<char> bytes(size, 7);
    ASSERT_EQ(::write(fd, bytes.data(), size), static_cast<ssize_t>(size));
    ::close(fd);
}

// A record its writer marks as being written: the viewer opens it at its end, shows the whole
// blocks as they arrive, keeps a view the user moved away from the end, never shows the block
// being written, and says in its title that the record grows until the writer lets go.
TEST(ViewerFollow, ARecordBeingWrittenIsFollowedLikeTailUntilItIsComplete) {
    const test::TempDir temp;
    test::ViewerUnderTest t;
    const std::string path = CreateWaveformRecord("R", 12, 1203, temp.path());
    AppendBlocks(path, 20, 100);
    auto mark = std::make_unique<RecordWriteMark>(path);
    ASSERT_TRUE(mark->Held());
    ASSERT_TRUE(t.viewer->OpenRecord(QFile::decodeName(path.c_str())));
    CWaveWnd& wave = *t.viewer->WavePlot();
    CTimeWnd& bar = *t.viewer->InfoBar();
    EXPECT_EQ(t.viewer->Title(), kGrowing);
    EXPECT_EQ(wave.First(), 20 - wave.Span()); // at its end, like tail -f

    AppendBlocks(path, 4, 120);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wave.BlockCount() == 24; }, kWaitMs));
    EXPECT_EQ(wave.First(), 24 - wave.Span()); // it was at the end: it follows
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 24);
    EXPECT_EQ(bar.Line(4), QStringLiteral("总数据数:24"));

    // The user goes back to the start and reads there; the record grows on meanwhile, and a
    // block cut off in the middle is not shown until it is whole.
    wave.Scroll(ScrollRequest::ToStart);
    AppendBlocks(path, 3, 130);
    AppendBytes(path, kWaveformBlockSize / 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wave.BlockCount() == 27; }, kWaitMs));
    EXPECT_EQ(wave.First(), 0);
    QTest::qWait(1200); // two more looks at the file, which holds 27 blocks and a half
    EXPECT_EQ(wave.BlockCount(), 27);
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 27);
    AppendBytes(path, kWaveformBlockSize - kWaveformBlockSize / 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return wave.BlockCount() == 28; }, kWaitMs));
    EXPECT_EQ(t.viewer->Title(), kGrowing);

    // The writer ends: the record is complete, and the title says so.
    mark.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.viewer->Title() == kPlain; }, kWaitMs));
    EXPECT_EQ(wave.BlockCount(), 28);
    EXPECT_TRUE(t.errors.empty());

    // A file without a mark that has just changed is watched, and is growing once it grows; it
    // is complete when its writer begins the next file of the series beside it.
    const std::string other = CreateWaveformRecord("R", 12, 1203, temp.path() + "/b");
    AppendBlocks(other, 2, 100);
    ASSERT_TRUE(t.viewer->OpenRecord(QFile::decodeName(other.c_str())));
    EXPECT_EQ(t.viewer->Title(), kPlain);
    AppendBlocks(other, 1, 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.viewer->Title() == kGrowing; }, kWaitMs));
    EXPECT_EQ(wave.BlockCount(), 3);
    AppendBlocks(CreateRecordWithHeader(ReadRecordFile(other)->header, "R", temp.path() + "/b"), 1,
                 100); // the same second: its name gets "-2"
    ASSERT_TRUE(QTest::qWaitFor([&] { return t.viewer->Title() == kPlain; }, kWaitMs));
    EXPECT_EQ(wave.BlockCount(), 3);
}

// Without a writer's mark or a later file, a record that stops changing for the quiet limit is
// complete; one that is replaced stops being followed at once.
TEST(ViewerFollow, AQuietOrReplacedRecordIsNoLongerFollowed) {
    const test::TempDir temp;
    const std::string path = CreateWaveformRecord("R", 12, 1203, temp.path());
    AppendBlocks(path, 2, 100);
    int grown = 0, ended = 0;
    RecordFollower::Timing timing;
    timing.quietLimit = 1500ms;
    RecordFollower follower([&](const auto& record) { grown = record->header.dataCount; },
                            [&](const auto&) { ++ended; }, timing);
    auto record = std::make_shared<const RecordImage>(*OpenRecordImage(path));
    EXPECT_FALSE(follower.Follow(record, QFile::decodeName(path.c_str())));
    ASSERT_TRUE(follower.Watching());
    AppendBlocks(path, 1, 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return grown == 3; }, kWaitMs));
    EXPECT_TRUE(follower.Following());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended == 1; }, kWaitMs));
    EXPECT_FALSE(follower.Watching());

    // Replaced by another file of the same name while followed.
    AppendBlocks(path, 1, 100);
    record = std::make_shared<const RecordImage>(*OpenRecordImage(path));
    const RecordWriteMark mark(path);
    ASSERT_TRUE(follower.Follow(record, QFile::decodeName(path.c_str())));
    std::filesystem::copy_file(path, path + ".new");
    std::filesystem::rename(path + ".new", path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended == 2; }, kWaitMs));
    EXPECT_EQ(grown, 3);
}

} // namespace
} // namespace zel
