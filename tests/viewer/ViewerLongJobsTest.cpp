// The viewer's long jobs on real files: reading a record to compare and saving the selection
// as a record run off the window's thread, show their progress and can be cancelled, and a
// cancelled or closed job leaves the viewer and the folder as they were.
#include "GuiTestSupport.h"
#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "plot/CurseWnd.h"
#include "records/RecordFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestApplication.h"
#include "viewer/ViewerCompare.h"
#include "viewer/ViewerCut.h"
#include "viewer/ViewerNotes.h"
#include "viewer/ViewerProgress.h"
#include "widgets/FileDialog.h"
#include "widgets/Translations.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zel {
namespace {

namespace fs = std::filesystem;
using test::ViewerUnderTest;

constexpr int kLongBlocks = 20000; // 32 MB: long enough to be caught while it is read

std::string Local8(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A waveform record whose block b has the currents b % 500 and 7.
QString LongWaveRecord(const QString& dir) {
    const std::string path = CreateWaveformRecord("R", 12, 1203, Local8(dir));
    std::vector<SampleBlock> all(kLongBlocks);
    for (int b = 0; b < kLongBlocks; ++b) {
        all[b].ch1Current = static_cast<std::uint32_t>(b % 500);
        all[b].ch2Current = 7;
        std::fill(std::begin(all[b].ch1), std::end(all[b].ch1), static_cast<std::int16_t>(b));
    }
    EXPECT_TRUE(AppendRecordBlock(path, all.data(), all.size() * sizeof(SampleBlock)));
    return QFile::decodeName(path.c_str());
}

// How many descriptors of this process are open on the file.
int OpenCount(const QString& path) {
    const fs::path file = fs::canonical(Local8(path));
    int n = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        n += fs::read_symlink(entry.path(), error) == file ? 1 : 0;
    }
    return n;
}

struct FileAnswer {
    explicit FileAnswer(QString path)
        : handler([path](const FileDialog::Request&) { return path; }) {}
    ScopedFileDialogHandler handler;
};

bool HasChinese(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

TEST(ViewerLongJobs, AComparedRecordIsReadInPlaceOffTheWindowThread) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    const QString shown = test::WriteTrendRecord(dir, test::DriftingCurrents(620, 4));
    const QString other = LongWaveRecord(dir);
    for (const UiLanguage language : {UiLanguage::Chinese, UiLanguage::English}) {
        const bool english = language == UiLanguage::English;
        SCOPED_TRACE(english ? "English" : "Chinese");
        test::UseLanguage(language);
        ViewerUnderTest t;
        ASSERT_TRUE(t.viewer->OpenRecord(shown));
        ViewerCompare& compare = *t.viewer->Compare();
        ASSERT_TRUE(compare.SetAlignment(ViewerCompare::Align::Start));
        QSignalSpy finished(&compare, &ViewerCompare::LoadFinished);
        ASSERT_TRUE(compare.Open(other));

        // The window goes on while a thread reads, and says how far the reading has come.
        EXPECT_TRUE(compare.Loading());
        EXPECT_FALSE(compare.IsOpen());
        const ViewerProgress& progress = *t.viewer->Progress();
        EXPECT_TRUE(progress.isVisible());
        EXPECT_TRUE(progress.CancelButton()->isEnabled());
        const QString text = progress.Text()->text();
        EXPECT_TRUE(text.contains(QFileInfo(other).fileName())) << text.toStdString();
        EXPECT_EQ(HasChinese(text + progress.CancelButton()->text()), !english);
        EXPECT_LE(progress.CancelButton()->fontMetrics().horizontalAdvance(
                      progress.CancelButton()->text()),
                  progress.CancelButton()->width() - 6);
        test::SaveSnapshot(t.viewer->grab().toImage(),
                           english ? "en-compare-loading" : "compare-loading");

        ASSERT_TRUE(finished.wait(10000));
        EXPECT_TRUE(finished[0][0].toBool());
        EXPECT_FALSE(compare.Loading());
        EXPECT_FALSE(progress.isVisible());
        // Held as the viewer holds its own record: the blocks stay in the file, only the
        // currents are kept, all of them by now.
        const RecordImage* image = compare.Other();
        ASSERT_TRUE(image && image->file && image->currents);
        EXPECT_TRUE(image->waveBlocks.empty());
        EXPECT_EQ(image->currents->Scanned(), kLongBlocks);
        t.viewer->TrendPlot()->PlaceCursor(700);
        const auto a = t.viewer->TrendPlot()->CursorPoint();
        ASSERT_TRUE(a);
        EXPECT_TRUE(
            compare.Readout()->text().contains(QStringLiteral("CH1 %1  CH2 7").arg(*a % 500)))
            << compare.Readout()->text().toStdString();
        test::SaveSnapshot(t.viewer->grab().toImage(),
                           english ? "en-compare-loaded" : "compare-loaded");
    }
    test::UseLanguage(UiLanguage::Chinese);
}

TEST(ViewerLongJobs, ACancelledOrClosedReadingLeavesTheOverlayAsItWas) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    const QString shown = test::WriteTrendRecord(dir, test::DriftingCurrents(620, 4));
    const QString first = test::WriteTrendRecord(dir, test::DriftingCurrents(300, 9));
    const QString big = LongWaveRecord(dir);
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(shown));
    ViewerCompare& compare = *t.viewer->Compare();
    QSignalSpy finished(&compare, &ViewerCompare::LoadFinished);
    ASSERT_TRUE(compare.Open(first));
    ASSERT_TRUE(finished.wait(10000));
    const RecordImage* overlay = compare.Other();
    ASSERT_TRUE(overlay);
    ASSERT_TRUE(compare.SetAlignment(ViewerCompare::Align::Start));

    // The panel's button: the reading stops at once and nothing of it is kept.
    finished.clear();
    ASSERT_TRUE(compare.Open(big));
    ASSERT_TRUE(compare.Loading());
    t.viewer->Progress()->CancelButton()->click();
    EXPECT_FALSE(compare.Loading());
    EXPECT_FALSE(t.viewer->Progress()->isVisible());
    EXPECT_EQ(OpenCount(big), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(compare.Other(), overlay);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_FALSE(finished[0][0].toBool());

    // Closing the viewer stops the reading before the window is gone.
    ASSERT_TRUE(compare.Open(big));
    ASSERT_TRUE(compare.Loading());
    t.viewer->close();
    EXPECT_FALSE(compare.Loading());
    EXPECT_EQ(OpenCount(big), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(compare.Other(), overlay);
    EXPECT_TRUE(t.errors.empty());
}

TEST(ViewerLongJobs, TheSelectionIsSavedOffTheWindowThreadAndACancelLeavesNoFile) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    const QString source = LongWaveRecord(dir);
    const std::size_t whole = kRecordHeaderSize + std::size_t{kLongBlocks} * kWaveformBlockSize;
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(source));
    t.viewer->TrendPlot()->SetSelection(0, kLongBlocks - 1);
    ViewerCut& cut = *t.viewer->Notes()->Cut();
    QSignalSpy finished(&cut, &ViewerCut::Finished);
    const ViewerProgress& progress = *t.viewer->Progress();

    const QString target = QString::fromStdString(temp / "cut.zmr");
    {
        FileAnswer answer(target);
        t.viewer->Notes()->SaveSelection();
    }
    EXPECT_TRUE(cut.Busy());
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.Text()->text(), QStringLiteral("正在保存选定范围…"));
    EXPECT_TRUE(t.errors.empty()); // told when it has been written
    test::SaveSnapshot(t.viewer->grab().toImage(), "cut-saving");
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(finished[0][0].toBool());
    EXPECT_FALSE(progress.isVisible());
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_TRUE(t.errors[0].startsWith(QStringLiteral("已保存选定范围：")))
        << t.errors[0].toStdString();
    const auto cutBytes = test::ReadBytes(Local8(target));
    const auto sourceBytes = test::ReadBytes(Local8(source));
    ASSERT_EQ(cutBytes.size(), whole);
    ASSERT_EQ(sourceBytes.size(), whole);
    EXPECT_TRUE(std::equal(cutBytes.begin() + kRecordHeaderSize, cutBytes.end(),
                           sourceBytes.begin() + kRecordHeaderSize));

    // Cancelled: the record being written goes as soon as it is whole, and nothing is said. A
    // cancel that comes after the last byte is too late, and the record is told as saved.
    const QString cancelled = QString::fromStdString(temp / "cancelled.zmr");
    finished.clear();
    {
        FileAnswer answer(cancelled);
        t.viewer->Notes()->SaveSelection();
    }
    ASSERT_TRUE(cut.Busy());
    t.viewer->Progress()->CancelButton()->click();
    const bool tooLate = progress.CancelButton()->isEnabled();
    if (!tooLate) {
        EXPECT_EQ(progress.Text()->text(), QStringLiteral("正在取消…"));
    }
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(t.errors.size(), tooLate ? 2u : 1u);
    EXPECT_EQ(QFileInfo::exists(cancelled), tooLate);

    // Closing the viewer during a cut waits for it: no file, or a whole one.
    const QString closed = QString::fromStdString(temp / "closed.zmr");
    {
        FileAnswer answer(closed);
        t.viewer->Notes()->SaveSelection();
    }
    ASSERT_TRUE(cut.Busy());
    t.viewer->close();
    EXPECT_FALSE(cut.Busy());
    EXPECT_FALSE(progress.isVisible());
    if (QFileInfo::exists(closed)) {
        EXPECT_EQ(QFileInfo(closed).size(), static_cast<qint64>(whole));
    }
}

} // namespace
} // namespace zel
