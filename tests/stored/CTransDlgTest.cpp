#include "stored/CTransDlg.h"
#include "GuiTestSupport.h"
#include "device/Frame.h"
#include "records/RecordFile.h"
#include "sim/Simulator.h"
#include "sim/StorageBuilder.h"
#include "stored/ReportList.h"
#include "tests/support/SimulatorFixture.h"
#include "tests/support/TempDir.h"
#include "widgets/MessageBox.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace zel;
using test::Local;

namespace {

struct Box {
    QString text;
    MessageBox::Icon icon;
};

class CTransDlgTest : public ::testing::Test {
protected:
    void StartSimulator(const InstrumentStorage& storage,
                        const std::function<void(sim::SimConfig&)>& setup = {}) {
        simulator = test::StartViewingSimulator(storage, link, setup);
        ASSERT_TRUE(simulator);
    }
    void TearDown() override {
        window.reset();
        if (simulator)
            simulator->Stop();
    }
    // The window as the main window opens it, with the status of the last poll.
    void Open(int recordSlots) {
        DeviceStatus status;
        status.serial = 12;
        status.state = kStateViewing;
        status.recordSlots = static_cast<std::uint8_t>(recordSlots);
        window = std::make_unique<CTransDlg>(link, status, nullptr, dir / "ZMR");
        texts = std::make_unique<QSignalSpy>(window.get(), &CTransDlg::StatusTextChanged);
        window->show();
    }
    QPushButton* Start() { return window->StartButton(); }
    bool WaitForBox() {
        return QTest::qWaitFor([&] { return !boxes.empty(); }, 15000);
    }
    std::vector<QString> Texts() const {
        std::vector<QString> all;
        for (const auto& args : *texts)
            all.push_back(args.at(0).toString());
        return all;
    }
    std::size_t FilesWritten() const {
        const std::string zmr = dir / "ZMR";
        if (!std::filesystem::exists(zmr))
            return 0;
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(zmr),
                                                      std::filesystem::directory_iterator()));
    }

    test::TempDir dir;
    std::unique_ptr<sim::Simulator> simulator;
    DeviceLink link;
    std::unique_ptr<CTransDlg> window;
    std::unique_ptr<QSignalSpy> texts;
    std::vector<Box> boxes;
    MessageBox::Answer answer = MessageBox::Answer::Yes;
    ScopedMessageBoxHandler handler{[this](const MessageBox::Request& r) {
        boxes.push_back({r.text, r.icon});
        return r.buttons == MessageBox::Buttons::YesNo ? answer : MessageBox::Answer::Ok;
    }};
};

// Slot 0 holds 3 frames, slot 1 two frames taken ten minutes later.
InstrumentStorage TwoRecordings(std::int64_t start) {
    InstrumentStorage storage = sim::BuildStorage({2, 3, start, 31, 600});
    std::vector<TrendFrame> second = storage.slotData[1].frames;
    second.resize(2);
    storage.SetSlotFrames(1, std::move(second));
    return storage;
}

TEST_F(CTransDlgTest, TransferListsOneRowPerRecordingWithTheFrameCountInTheStatusText) {
    const std::int64_t start = Local(2026, 3, 5, 8, 9, 10);
    StartSimulator(TwoRecordings(start));
    Open(2);
    EXPECT_EQ(window->Title(), QStringLiteral("Velquist-记录传输"));
    EXPECT_EQ(Start()->text(), QStringLiteral("开始传输"));

    Start()->click();
    EXPECT_FALSE(Start()->isEnabled());
    EXPECT_EQ(Start()->text(), QStringLiteral("停止传输"));
    ASSERT_TRUE(WaitForBox());
    EXPECT_EQ(boxes[0].text, QStringLiteral("数据传输完成!"));
    EXPECT_EQ(boxes[0].icon, MessageBox::Icon::Information);

    const std::vector<QString> expected = {"准备传输",    "正在读取存储信息", "第0帧/共5帧",
                                           "第1帧/共5帧", "第2帧/共5帧",      "第3帧/共5帧",
                                           "第4帧/共5帧", "正在保存数据"};
    EXPECT_EQ(Texts(), expected);
    EXPECT_EQ(window->Progress()->maximum(), 5);
    EXPECT_EQ(window->Progress()->value(), 5);

    ReportList* list = window->List();
    ASSERT_EQ(list->RowCount(), 2);
    const std::string first = dir / "ZMR/T-191012-20260305080910.zmr";
    const std::string second = dir / "ZMR/T-191012-20260305081910.zmr";
    EXPECT_EQ(list->Cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(list->Cell(0, 1).toStdString(), first);
    EXPECT_EQ(list->Cell(0, 2), QStringLiteral("2026-03-05 08:09:10"));
    EXPECT_EQ(list->Cell(0, 3), QStringLiteral("3"));
    EXPECT_EQ(list->Cell(1, 0), QStringLiteral("2"));
    EXPECT_EQ(list->Cell(1, 1).toStdString(), second);
    EXPECT_EQ(list->Cell(1, 3), QStringLiteral("2"));
    EXPECT_EQ(std::filesystem::file_size(first), 60u + 3u * 248u);
    EXPECT_EQ(std::filesystem::file_size(second), 60u + 2u * 248u);

    // Completed: a second transfer needs the window to be opened again.
    EXPECT_FALSE(window->Transferring());
    EXPECT_FALSE(Start()->isEnabled());
    EXPECT_EQ(Start()->text(), QStringLiteral("停止传输"));
    EXPECT_TRUE(window->ClearButton()->isEnabled());
    test::GrabWidget(*window, QStringLiteral("transfer-completed"));
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->StatusText()->text(), QStringLiteral("正在保存数据"));
}

TEST_F(CTransDlgTest, NoStoredDataIsToldWithoutConnecting) {
    StartSimulator(TwoRecordings(Local(2026, 3, 5, 8, 9, 10)));
    Open(0);
    Start()->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("无存储数据!"));
    EXPECT_EQ(boxes[0].icon, MessageBox::Icon::Error);
    EXPECT_TRUE(Start()->isEnabled());
    EXPECT_EQ(Start()->text(), QStringLiteral("开始传输"));
    EXPECT_FALSE(window->Transferring());
    EXPECT_EQ(simulator->Connections(), 0);
}

TEST_F(CTransDlgTest, ClosingDuringTheDownloadWritesNothingAndShowsTheStop) {
    // A quick instrument (the worker sees the cleared flag itself) and one that keeps the
    // worker waiting in a receive far beyond the 200 ms (the stop has to abort the link).
    for (const int delay : {5, 2500}) {
        SCOPED_TRACE(delay);
        boxes.clear();
        StartSimulator(sim::BuildStorage({1, 255, Local(2026, 3, 5, 8, 9, 10)}),
                       [delay](sim::SimConfig& c) { c.replyDelayMs = delay; });
        Open(1);
        Start()->click();
        // Frame 1 is asked for once the directory is read; the slow instrument keeps the worker
        // waiting for its reply, the quick one has served a few frames by frame 4.
        const int frame = delay > 200 ? 1 : 4;
        ASSERT_TRUE(simulator->WaitForRequestCount(1, kCmdRecord, frame, std::chrono::seconds(15)));
        window->close();
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(window->WorkerBusy());
        // What the worker queued before it ended is delivered now, and must change nothing.
        QCoreApplication::processEvents();
        EXPECT_EQ(window->StatusText()->text(), QStringLiteral("传输已停止"));
        EXPECT_EQ(Texts().back(), QStringLiteral("传输已停止"));
        EXPECT_EQ(window->Progress()->value(), 0);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(window->List()->RowCount(), 0);
        EXPECT_EQ(FilesWritten(), 0u);
        EXPECT_FALSE(link.IsOpen());
        window.reset();
        simulator->Stop();
    }
}

TEST_F(CTransDlgTest, TwentyOneFailedFramesGiveTheFailureAndNoFile) {
    StartSimulator(sim::BuildStorage({1, 3, Local(2026, 3, 5, 8, 9, 10)}),
                   [](sim::SimConfig& c) { c.invalidDateEvery = 1; });
    Open(1);
    Start()->click();
    ASSERT_TRUE(WaitForBox());
    EXPECT_EQ(boxes[0].text, QStringLiteral("数据传输失败!"));
    EXPECT_EQ(boxes[0].icon, MessageBox::Icon::Information);
    EXPECT_EQ(sim::Simulator::CountRequests(simulator->Requests(), kCmdRecord, 1), 21u);
    EXPECT_EQ(window->StatusText()->text(), QString());
    EXPECT_EQ(window->Progress()->value(), 0);
    EXPECT_TRUE(window->Transferring());
    EXPECT_FALSE(Start()->isEnabled());
    EXPECT_EQ(FilesWritten(), 0u);
    window->close();
    EXPECT_EQ(window->StatusText()->text(), QStringLiteral("传输已停止"));
}

TEST_F(CTransDlgTest, EarlyFailureLetsTheUserStopAndStartAgain) {
    StartSimulator(TwoRecordings(Local(2026, 3, 5, 8, 9, 10)),
                   [](sim::SimConfig& c) { c.fault = sim::ReplyFault::BadChecksum; });
    Open(2);
    Start()->click();
    ASSERT_TRUE(WaitForBox());
    EXPECT_EQ(boxes[0].text, QStringLiteral("读取设备信息失败!"));
    EXPECT_TRUE(Start()->isEnabled());
    EXPECT_EQ(Start()->text(), QStringLiteral("停止传输"));
    EXPECT_TRUE(window->Transferring());

    Start()->click();
    EXPECT_EQ(window->StatusText()->text(), QStringLiteral("传输已停止"));
    EXPECT_EQ(Start()->text(), QStringLiteral("开始传输"));
    EXPECT_TRUE(Start()->isEnabled());
    EXPECT_FALSE(window->Transferring());

    boxes.clear();
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::None; });
    Start()->click();
    ASSERT_TRUE(WaitForBox());
    EXPECT_EQ(boxes[0].text, QStringLiteral("数据传输完成!"));
    ASSERT_EQ(window->List()->RowCount(), 2);
    EXPECT_EQ(window->List()->Cell(0, 0), QStringLiteral("1"));
}

TEST_F(CTransDlgTest, ClearAsksFirstAndReportsWhatTheInstrumentDid) {
    StartSimulator(TwoRecordings(Local(2026, 3, 5, 8, 9, 10)));
    Open(2);
    QPushButton* clear = window->ClearButton();

    answer = MessageBox::Answer::No;
    clear->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("确定要清除设备中的全部存储数据吗?"));
    EXPECT_EQ(simulator->Connections(), 0);

    answer = MessageBox::Answer::Yes;
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::WrongCode; });
    clear->click();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, QStringLiteral("清除数据失败!"));
    EXPECT_EQ(boxes[2].icon, MessageBox::Icon::Error);

    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::None; });
    simulator->SetStorage(TwoRecordings(Local(2026, 3, 5, 8, 9, 10)));
    clear->click();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[4].text, QStringLiteral("清除数据成功!"));
    EXPECT_EQ(boxes[4].icon, MessageBox::Icon::Information);
    EXPECT_EQ(simulator->Storage().recordSlots, 0);
    EXPECT_FALSE(link.IsOpen());

    simulator->Stop();
    clear->click();
    ASSERT_EQ(boxes.size(), 7u);
    EXPECT_EQ(boxes[6].text, QStringLiteral("连接设备失败!"));
}

TEST_F(CTransDlgTest, ClearDuringATransferLeavesTheTransferAlone) {
    StartSimulator(sim::BuildStorage({1, 30, Local(2026, 3, 5, 8, 9, 10)}),
                   [](sim::SimConfig& c) { c.replyDelayMs = 40; });
    Open(1);
    Start()->click();
    ASSERT_TRUE(simulator->WaitForRequestCount(1, kCmdRecord, 1));
    EXPECT_TRUE(window->WorkerBusy());
    EXPECT_FALSE(window->ClearButton()->isEnabled());
    window->ClearButton()->click();
    QTest::mouseClick(window->ClearButton(), Qt::LeftButton);
    EXPECT_TRUE(boxes.empty());

    ASSERT_TRUE(WaitForBox());
    EXPECT_EQ(boxes[0].text, QStringLiteral("数据传输完成!"));
    ASSERT_EQ(window->List()->RowCount(), 1);
    EXPECT_EQ(window->List()->Cell(0, 3), QStringLiteral("30"));
    EXPECT_EQ(sim::Simulator::CountRequests(simulator->Requests(), kCmdClear), 0u);
    EXPECT_EQ(simulator->Storage().recordSlots, 1);
    EXPECT_TRUE(window->ClearButton()->isEnabled());
}

} // namespace
