#include "stored/CUsbDlg.h"
#include "GuiTestSupport.h"
#include "records/InstrumentFile.h"
#include "sim/StorageBuilder.h"
#include "stored/ReportList.h"
#include "tests/support/TempDir.h"
#include "widgets/MessageBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>

using namespace zel;
using test::Local;

namespace {

// Holds the analysis worker until the test lets it go on.
class Gate {
public:
    void Wait() {
        std::unique_lock lock(mutex_);
        waiting_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }
    void Open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    bool Waiting() {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool waiting_ = false;
    bool open_ = false;
};

class CUsbDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir / "stickA/DCIM");
        std::filesystem::create_directories(dir / "stickB");
    }
    void TearDown() override {
        gate.Open();
        window.reset();
    }
    // An instrument data file with `recordings` recordings of 4 frames, an hour apart.
    std::string WriteTch(const std::string& name, int recordings, std::uint8_t device = 7) {
        const std::string path = dir / name;
        const InstrumentStorage storage =
            sim::BuildStorage({recordings, 4, Local(2025, 6, 1, 10, 0, 0), 31, 3600});
        EXPECT_TRUE(WriteInstrumentFile(path, storage, {device, 2, Local(2025, 6, 2, 9, 5, 7)}));
        return path;
    }
    void Open() {
        window = std::make_unique<CUsbDlg>(
            [this] {
                return std::vector<std::string>{dir / "stickA", dir / "stickB"};
            },
            nullptr, dir / "ZMR");
        window->show();
    }
    ReportList* Files() { return window->FileList(); }
    ReportList* Records() { return window->RecordList(); }
    QPushButton* Button(int id) { return window->findChild<QPushButton*>(QString::number(id)); }
    QCheckBox* TickAll(int id) { return window->findChild<QCheckBox*>(QString::number(id)); }
    bool WaitForAnalysis() {
        return QTest::qWaitFor(
            [&] { return window->StatusText()->text() == QStringLiteral("分析完成..."); }, 10000);
    }

    test::TempDir dir;
    std::unique_ptr<CUsbDlg> window;
    Gate gate;
    std::vector<MessageBox::Request> boxes;
    MessageBox::Answer answer = MessageBox::Answer::Yes;
    ScopedMessageBoxHandler handler{[this](const MessageBox::Request& r) {
        boxes.push_back(r);
        return r.buttons == MessageBox::Buttons::YesNo ? answer : MessageBox::Answer::Ok;
    }};
};

TEST_F(CUsbDlgTest, FilesAreListedInSearchOrderNumberedFromZero) {
    const std::string a = WriteTch("stickA/DCIM/b.TCH", 1, 9);
    const std::string b = WriteTch("stickA/a.TCH", 1);
    const std::string c = WriteTch("stickB/c.TCH", 1);
    std::filesystem::copy_file(c, dir / "stickB/c.tch"); // lower case: not an instrument file
    Open();
    EXPECT_EQ(window->Title(), QStringLiteral("Velquist-文件分析"));
    ASSERT_EQ(Files()->RowCount(), 3);
    const std::string paths[] = {a, b, c};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Files()->Cell(row, 0), QString::number(row));
        EXPECT_EQ(Files()->Cell(row, 1).toStdString(), paths[row]);
        EXPECT_EQ(Files()->Cell(row, 2), QStringLiteral("2025-6-2 9:5:7"));
        EXPECT_FALSE(Files()->IsTicked(row));
    }
    EXPECT_EQ(Files()->Cell(0, 3), QStringLiteral("9")); // as the instrument wrote it
    EXPECT_EQ(Files()->Cell(1, 3), QStringLiteral("7"));
    EXPECT_EQ(Records()->RowCount(), 0);
}

TEST_F(CUsbDlgTest, WithoutDrivesNothingIsListedAndAnalysisAsksForAFile) {
    window =
        std::make_unique<CUsbDlg>([] { return std::vector<std::string>{}; }, nullptr, dir / "ZMR");
    EXPECT_EQ(Files()->RowCount(), 0);
    Button(CUsbDlg::kAnalyseButton)->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("请选择需分析文件!"));
    EXPECT_EQ(boxes[0].icon, MessageBox::Icon::Error);
    EXPECT_EQ(window->StatusText()->text(), QStringLiteral("分析完成..."));
    EXPECT_FALSE(window->Analysing());
    EXPECT_TRUE(Button(CUsbDlg::kAnalyseButton)->isEnabled());
}

TEST_F(CUsbDlgTest, TickAllTicksEveryRowAndARefreshAddsUntickedRows) {
    WriteTch("stickA/a.TCH", 1);
    WriteTch("stickB/b.TCH", 1);
    Open();
    TickAll(CUsbDlg::kTickAllFiles)->click();
    EXPECT_EQ(Files()->TickedRows(), (std::vector<int>{0, 1}));
    TickAll(CUsbDlg::kTickAllFiles)->click();
    EXPECT_TRUE(Files()->TickedRows().empty());

    TickAll(CUsbDlg::kTickAllFiles)->click();
    WriteTch("stickB/c.TCH", 1);
    Button(CUsbDlg::kRefreshButton)->click();
    ASSERT_EQ(Files()->RowCount(), 3);
    EXPECT_TRUE(Files()->TickedRows().empty());
    EXPECT_TRUE(TickAll(CUsbDlg::kTickAllFiles)->isChecked());

    // The lower list has its own.
    TickAll(CUsbDlg::kTickAllFiles)->click();
    TickAll(CUsbDlg::kTickAllFiles)->click();
    Button(CUsbDlg::kAnalyseButton)->click();
    ASSERT_TRUE(WaitForAnalysis());
    ASSERT_EQ(Records()->RowCount(), 3);
    TickAll(CUsbDlg::kTickAllRecords)->click();
    EXPECT_EQ(Records()->TickedRows(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Files()->TickedRows().size(), 3u);
}

TEST_F(CUsbDlgTest, DeletingAsksOnceAndReportsFilesThatStay) {
    const std::string a = WriteTch("stickA/a.TCH", 1);
    const std::string b = WriteTch("stickA/b.TCH", 1);
    const std::string c = WriteTch("stickB/c.TCH", 1);
    const std::string d = WriteTch("stickB/d.TCH", 1);
    Open();
    ASSERT_EQ(Files()->RowCount(), 4);
    Files()->SetTicked(0, true);
    Files()->SetTicked(1, true);
    Files()->SetTicked(3, true);

    answer = MessageBox::Answer::No;
    Button(CUsbDlg::kDeleteFilesButton)->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("确定要删除选中的文件吗?\n共3个文件"));
    EXPECT_EQ(boxes[0].buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(Files()->RowCount(), 4);
    EXPECT_TRUE(std::filesystem::exists(a));

    // b cannot be deleted (a folder has taken its name); d is already gone.
    std::filesystem::remove(b);
    std::filesystem::create_directories(b + "/inside");
    std::filesystem::remove(d);
    answer = MessageBox::Answer::Yes;
    Button(CUsbDlg::kDeleteFilesButton)->click();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[2].text, QStringLiteral("以下文件无法删除:\n") + QString::fromStdString(b));
    EXPECT_EQ(boxes[2].icon, MessageBox::Icon::Error);
    EXPECT_FALSE(std::filesystem::exists(a));
    EXPECT_TRUE(std::filesystem::exists(c));
    ASSERT_EQ(Files()->RowCount(), 2);
    EXPECT_EQ(Files()->Cell(0, 1).toStdString(), b);
    EXPECT_TRUE(Files()->IsTicked(0));
    EXPECT_EQ(Files()->Cell(1, 1).toStdString(), c);
    EXPECT_EQ(Files()->Cell(1, 0), QStringLiteral("2")); // numbers stay those of the search

    // Nothing ticked: no question.
    Files()->SetTicked(0, false);
    Button(CUsbDlg::kDeleteFilesButton)->click();
    EXPECT_EQ(boxes.size(), 3u);
}

TEST_F(CUsbDlgTest, NamesThatAreNotUtf8AreAnalysedAndDeletedByTheirOwnBytes) {
    // "数据" in GBK, as a stick written elsewhere may carry it.
    const std::string odd = WriteTch("stickA/\xCA\xFD\xBE\xDD.TCH", 1);
    Open();
    ASSERT_EQ(Files()->RowCount(), 1);
    EXPECT_NE(Files()->Cell(0, 1).toStdString(), odd); // the text cannot hold the bytes
    Files()->SetTicked(0, true);
    Button(CUsbDlg::kAnalyseButton)->click();
    ASSERT_TRUE(WaitForAnalysis());
    EXPECT_EQ(Records()->RowCount(), 1);

    Button(CUsbDlg::kDeleteFilesButton)->click();
    EXPECT_FALSE(std::filesystem::exists(odd));
    EXPECT_EQ(Files()->RowCount(), 0);
    EXPECT_EQ(boxes.size(), 1u); // the question, and no failure
}

TEST_F(CUsbDlgTest, AnalysingTwoFilesListsTheRecordFilesOfEachNumberedFromOne) {
    WriteTch("stickA/a.TCH", 2);
    const std::string broken = WriteTch("stickA/b.TCH", 1);
    WriteTch("stickB/c.TCH", 1);
    Open();
    ASSERT_EQ(Files()->RowCount(), 3);
    Files()->SetTicked(0, true);
    Files()->SetTicked(1, true);
    Files()->SetTicked(2, true);
    std::filesystem::resize_file(broken, 1000); // cannot be read as a whole any more

    Button(CUsbDlg::kAnalyseButton)->click();
    EXPECT_EQ(window->StatusText()->text(), QStringLiteral("开始分析..."));
    EXPECT_EQ(window->Progress()->maximum(), 3);
    ASSERT_TRUE(WaitForAnalysis());
    EXPECT_EQ(window->Progress()->value(), 3);
    EXPECT_TRUE(boxes.empty());
    ASSERT_EQ(Records()->RowCount(), 3);
    const struct {
        const char* number;
        std::string path;
        const char* start;
    } rows[] = {
        {"1", dir / "ZMR/U-191007-20250601100000.zmr", "2025-06-01 10:00:00"},
        {"2", dir / "ZMR/U-191007-20250601110000.zmr", "2025-06-01 11:00:00"},
        {"1", dir / "ZMR/U-191007-20250601100000-2.zmr", "2025-06-01 10:00:00"},
    };
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(Records()->Cell(row, 0), QString::fromUtf8(rows[row].number));
        EXPECT_EQ(Records()->Cell(row, 1).toStdString(), rows[row].path);
        EXPECT_EQ(Records()->Cell(row, 2), QString::fromUtf8(rows[row].start));
        EXPECT_EQ(Records()->Cell(row, 3), QStringLiteral("4"));
        EXPECT_TRUE(std::filesystem::exists(rows[row].path));
    }
    for (const int id :
         {CUsbDlg::kRefreshButton, CUsbDlg::kDeleteFilesButton, CUsbDlg::kAnalyseButton})
        EXPECT_TRUE(Button(id)->isEnabled());
    EXPECT_TRUE(TickAll(CUsbDlg::kTickAllFiles)->isEnabled());
    test::GrabWidget(*window, QStringLiteral("analysis-done"));

    // Two ticked files give the range 0..2; the earlier rows make way for the new ones.
    Files()->SetTicked(1, false);
    Button(CUsbDlg::kAnalyseButton)->click();
    EXPECT_EQ(window->Progress()->maximum(), 2);
    ASSERT_TRUE(WaitForAnalysis());
    EXPECT_EQ(window->Progress()->value(), 2);
    EXPECT_EQ(Records()->RowCount(), 3);
}

TEST_F(CUsbDlgTest, DuringAnAnalysisTheWindowStaysAndNoSecondAnalysisStarts) {
    WriteTch("stickA/a.TCH", 1);
    WriteTch("stickB/b.TCH", 1);
    Open();
    std::atomic<int> conversions{0};
    window->SetConverter([&](const std::string&, const RecordFileDone&) {
        if (conversions.fetch_add(1) == 0)
            gate.Wait();
    });
    TickAll(CUsbDlg::kTickAllFiles)->click();
    QPushButton* analyse = Button(CUsbDlg::kAnalyseButton);
    analyse->click();
    analyse->click(); // straight after the first, before the worker has run at all
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate.Waiting(); }, 5000));
    QTest::mouseClick(analyse, Qt::LeftButton);
    EXPECT_TRUE(window->Analysing());
    for (const int id :
         {CUsbDlg::kRefreshButton, CUsbDlg::kDeleteFilesButton, CUsbDlg::kAnalyseButton})
        EXPECT_FALSE(Button(id)->isEnabled());
    EXPECT_FALSE(TickAll(CUsbDlg::kTickAllFiles)->isEnabled());
    EXPECT_TRUE(Button(CUsbDlg::kDeleteRecordsButton)->isEnabled());
    EXPECT_TRUE(TickAll(CUsbDlg::kTickAllRecords)->isEnabled());

    window->close();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());

    gate.Open();
    ASSERT_TRUE(WaitForAnalysis());
    EXPECT_EQ(conversions.load(), 2);
    EXPECT_FALSE(window->Analysing());
    EXPECT_TRUE(boxes.empty());
    window->close();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(CUsbDlgTest, DeletingRecordFilesWhileTheAnalysisAddsRowsIsSafe) {
    WriteTch("stickA/a.TCH", 1);
    WriteTch("stickB/b.TCH", 1);
    Open();
    // Each file gives two record files; after the first file the worker waits.
    std::atomic<int> conversions{0};
    window->SetConverter([&](const std::string& path, const RecordFileDone& done) {
        const int n = conversions.fetch_add(1);
        for (int i = 1; i <= 2; ++i) {
            const std::string out = dir / ("U-" + std::to_string(n) + "-" + std::to_string(i));
            test::WriteBytes(out, {1, 2, 3});
            done({i, out, path, 10 * n + i});
        }
        if (n == 0)
            gate.Wait();
    });
    TickAll(CUsbDlg::kTickAllFiles)->click();
    Button(CUsbDlg::kAnalyseButton)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Records()->RowCount() == 2; }, 5000));

    Records()->SetTicked(0, true);
    Button(CUsbDlg::kDeleteRecordsButton)->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("确定要删除选中的文件吗?\n共1个文件"));
    EXPECT_FALSE(std::filesystem::exists(dir / "U-0-1"));
    ASSERT_EQ(Records()->RowCount(), 1);

    gate.Open();
    ASSERT_TRUE(WaitForAnalysis());
    ASSERT_EQ(Records()->RowCount(), 3);
    EXPECT_EQ(Records()->Cell(0, 3), QStringLiteral("2"));
    EXPECT_EQ(Records()->Cell(1, 3), QStringLiteral("11"));
    EXPECT_EQ(Records()->Cell(2, 3), QStringLiteral("12"));
    EXPECT_EQ(window->Progress()->value(), 2);
}

} // namespace
