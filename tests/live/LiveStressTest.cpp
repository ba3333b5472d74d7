#include "LiveTestSupport.h"
#include "live/CRealDlg.h"
#include "live/CRecordDlg.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordFile.h"
#include "widgets/CTimeWnd.h"

#include <QPushButton>

using namespace zel;
using namespace zel::test;

namespace {

// 30 s of 100 blocks a second with junk between frames and corrupted frames among them.
constexpr int kFrames = 3000;
constexpr int kStreamWaitMs = 90000;

class LiveStressTest : public LiveWindowTest {
protected:
    void SetUp() override {
        StartSimulator([](sim::SimConfig& c) {
            c.frameIntervalMs = 10;
            c.junkEvery = 7;
            c.corruptEvery = 13;
            c.streamFrames = kFrames;
        });
    }
    // Waits until the simulator has sent its frames and the window has counted every good one.
    bool WaitForAllCounted(const CTimeWnd& bar) {
        return WaitFor(
            [&] {
                return simulator->FramesStreamed() == kFrames &&
                       LineValue(bar.Line(4)).toULongLong() == simulator->GoodFramesSentCount();
            },
            kStreamWaitMs);
    }
    // The file holds exactly the good blocks, byte for byte, in order, and nothing else.
    void ExpectFileHoldsTheGoodBlocks(const std::string& path) {
        const auto sent = GoodBlocksSent();
        EXPECT_EQ(sent.size(), static_cast<std::size_t>(kFrames - kFrames / 13));
        const auto bytes = ReadBytes(path);
        ASSERT_EQ(bytes.size(), kRecordHeaderSize + sent.size() * sizeof(SampleBlock));
        EXPECT_TRUE(SameBlocks(BlocksOf(path), sent));
        EXPECT_TRUE(messages.empty());
    }
};

TEST_F(LiveStressTest, LiveViewRecordsEveryGoodBlock) {
    CRealDlg window(Status(), link, nullptr, dir.path());
    window.show();
    ASSERT_TRUE(WaitForAllCounted(*window.InfoBar()));
    EXPECT_EQ(static_cast<std::size_t>(window.TrendPlot()->PointCount()),
              simulator->GoodFramesSentCount());
    EXPECT_EQ(window.WavePlot()->BlockCount(), CWaveWnd::kMaxLiveBlocks);
    window.close();
    ASSERT_EQ(RecordFiles("S").size(), 1u);
    ExpectFileHoldsTheGoodBlocks(window.RecordPath());
}

TEST_F(LiveStressTest, RecordingRecordsEveryGoodBlock) {
    CRecordDlg window(Status(), link, nullptr, dir.path());
    window.show();
    QTest::mouseClick(window.Button(CRecordDlg::kStart), Qt::LeftButton);
    ASSERT_TRUE(WaitForAllCounted(*window.InfoBar()));
    QTest::mouseClick(window.Button(CRecordDlg::kStop), Qt::LeftButton);
    ASSERT_EQ(RecordFiles("R").size(), 1u);
    ExpectFileHoldsTheGoodBlocks(window.RecordPath());
}

} // namespace
