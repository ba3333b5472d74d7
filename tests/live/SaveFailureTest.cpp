#include "LiveTestSupport.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordTypes.h"
#include "widgets/CTimeWnd.h"

#include <QPushButton>
#include <gtest/gtest-spi.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace zel;
using namespace zel::test;

namespace {

class SaveFailureTest : public LiveWindowTest {
protected:
    // Runs body in a child process of its own: the death-test style "threadsafe" starts this
    // program afresh for it, so a lowered file-size limit or another user id never reaches
    // other tests. The child keeps its test output to itself, so failures inside are caught
    // here, written to stderr (which the parent shows) and make the child exit with 1.
    void RunInChild(const std::function<void()>& body) {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        EXPECT_EXIT(
            {
                ::testing::TestPartResultArray failures;
                {
                    ::testing::ScopedFakeTestPartResultReporter reporter(
                        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS,
                        &failures);
                    body();
                }
                for (int i = 0; i < failures.size(); ++i) {
                    const auto& failure = failures.GetTestPartResult(i);
                    std::fprintf(stderr, "%s:%d: %s\n", failure.file_name(), failure.line_number(),
                                 failure.message());
                }
                link.Close();
                simulator.reset();
                std::error_code ignored;
                std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
                std::filesystem::remove_all(dir.path(), ignored);
                std::fflush(nullptr);
                ::_exit(failures.size() == 0 ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "");
    }

    QString Expected(const std::string& where, int error) const {
        return QStringLiteral("保存数据失败!\n") + QString::fromStdString(where) +
               QStringLiteral("\n") + QString::fromLocal8Bit(std::strerror(error));
    }

    // The live view goes on after its file failed: the plots and the count keep advancing and
    // the failure is reported once.
    void ExpectLiveViewGoesOn(CRealDlg& window) {
        ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }));
        const int points = window.TrendPlot()->PointCount();
        ASSERT_TRUE(WaitFor([&] { return window.TrendPlot()->PointCount() >= points + 8; }));
        ASSERT_TRUE(
            WaitFor([&] { return LineValue(window.InfoBar()->Line(4)).toInt() >= points + 8; }));
        EXPECT_GE(window.WavePlot()->BlockCount(), std::min(points + 8, CWaveWnd::kMaxLiveBlocks));
        EXPECT_EQ(messages.size(), 1u);
    }

    // One recording run, stopped when its failure has been reported and a few more blocks
    // have been counted.
    void FailingRecordRun(CRecordDlg& window) {
        const std::size_t before = messages.size();
        QTest::mouseClick(window.Button(CRecordDlg::kStart), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return messages.size() > before; }));
        const int counted = LineValue(window.InfoBar()->Line(4)).toInt();
        ASSERT_TRUE(
            WaitFor([&] { return LineValue(window.InfoBar()->Line(4)).toInt() >= counted + 3; }));
        QTest::mouseClick(window.Button(CRecordDlg::kStop), Qt::LeftButton);
        EXPECT_EQ(messages.size(), before + 1);
    }
};

// A folder the program may not write to: no file can be made. Root may write anywhere, so the
// child gives up root's rights first.
TEST_F(SaveFailureTest, ReadOnlyFolderIsReportedOncePerRunAndTheStreamGoesOn) {
    RunInChild([this] {
        ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
        const bool root = ::geteuid() == 0;
        if (root) {
            ASSERT_EQ(::seteuid(65534), 0);
        }
        StartSimulator();
        {
            CRealDlg window(Status(), link, nullptr, dir.path());
            window.show();
            ExpectLiveViewGoesOn(window);
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages[0], Expected(dir.path(), EACCES));
            EXPECT_FALSE(LineValue(window.InfoBar()->Line(2)).isEmpty()); // the run started
            window.close();
        }
        {
            CRecordDlg window(Status(), link, nullptr, dir.path());
            window.show();
            FailingRecordRun(window);
            FailingRecordRun(window);
            ASSERT_EQ(messages.size(), 3u);
            EXPECT_EQ(messages[2], Expected(dir.path(), EACCES));
            window.close();
        }
        EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
        if (root) {
            EXPECT_EQ(::seteuid(0), 0);
        }
    });
}

// A file that may not grow past five blocks and a bit (EFBIG, with SIGXFSZ ignored): the
// failed block is cut off again and the five stay whole and readable.
TEST_F(SaveFailureTest, FileSizeLimitKeepsTheWrittenBlocksAndIsReportedOncePerRun) {
    RunInChild([this] {
        constexpr std::size_t kKept = 5;
        constexpr auto kLimit = kRecordHeaderSize + kKept * sizeof(SampleBlock) + 800;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
        limit.rlim_cur = kLimit;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        StartSimulator();
        // Every connection streams the same frames from its start.
        const auto expectKept = [&](const std::string& path) {
            EXPECT_EQ(std::filesystem::file_size(path), kRecordHeaderSize + kKept * 1612);
            const auto sent = GoodBlocksSent();
            ASSERT_GE(sent.size(), kKept);
            EXPECT_TRUE(SameBlocks(BlocksOf(path),
                                   std::vector<SampleBlock>(sent.begin(), sent.begin() + kKept)));
        };
        {
            CRealDlg window(Status(), link, nullptr, dir.path());
            window.show();
            ExpectLiveViewGoesOn(window);
            ASSERT_EQ(RecordFiles("S").size(), 1u);
            ASSERT_FALSE(messages.empty());
            EXPECT_EQ(messages[0], Expected(window.RecordPath(), EFBIG));
            window.close();
            expectKept(window.RecordPath());
        }
        {
            CRecordDlg window(Status(), link, nullptr, dir.path());
            window.show();
            FailingRecordRun(window);
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_EQ(messages[1], Expected(window.RecordPath(), EFBIG));
            expectKept(window.RecordPath());
            FailingRecordRun(window);
            ASSERT_EQ(messages.size(), 3u);
            expectKept(window.RecordPath());
            EXPECT_EQ(RecordFiles("R").size(), 2u);
            window.close();
        }
    });
}

// The folder goes away under a running live view (a removed stick, say).
TEST_F(SaveFailureTest, FolderRemovedWhileStreaming) {
    StartSimulator();
    CRealDlg window(Status(), link, nullptr, dir.path());
    window.show();
    ASSERT_TRUE(WaitFor([&] { return window.TrendPlot()->PointCount() >= 3; }));
    const std::string path = window.RecordPath();
    ASSERT_FALSE(path.empty());
    std::filesystem::remove_all(dir.path());
    ExpectLiveViewGoesOn(window);
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], Expected(path, ENOENT));
    window.close();
    EXPECT_FALSE(std::filesystem::exists(dir.path())); // nothing made it anew
}

} // namespace
