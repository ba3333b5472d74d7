#include "PlotTestSupport.h"
#include "ViewerTestSupport.h"
#include "common/ModuleDirectory.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "tests/support/TempDir.h"
#include "widgets/FileDialog.h"
#include "widgets/PopupMenu.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QtEndian>

#include <gtest/gtest.h>

namespace zel {
namespace {

using test::ViewerUnderTest;

// What a pop-up menu offered, as "text=id" and "-" for a separator, and where.
struct MenuSeen {
    QStringList items;
    QPoint at;
};

// Answers every pop-up menu with the item of the given id (0 dismisses it).
struct MenuAnswer {
    explicit MenuAnswer(int choose)
        : handler([this, choose](QMenu& menu, const QPoint& at) -> QAction* {
              seen.push_back({{}, at});
              QAction* chosen = nullptr;
              for (QAction* action : menu.actions()) {
                  seen.back().items
                      << (action->isSeparator() ? QStringLiteral("-")
                                                : action->text() + "=" + action->data().toString());
                  if (!action->isSeparator() && action->data().toInt() == choose)
                      chosen = action;
              }
              return chosen;
          }) {}
    std::vector<MenuSeen> seen;
    ScopedPopupMenuHandler handler;
};

// Answers every file dialog with the given path and keeps the requests.
struct FileAnswer {
    explicit FileAnswer(QString path)
        : handler([this, path](const FileDialog::Request& request) {
              requests.push_back(request);
              directoryExisted.push_back(QDir(request.directory).exists());
              return path;
          }) {}
    std::vector<FileDialog::Request> requests;
    std::vector<bool> directoryExisted;
    ScopedFileDialogHandler handler;
};

std::vector<WaveBlock> Mains(int count) {
    std::vector<WaveBlock> blocks;
    for (int b = 0; b < count; ++b)
        blocks.push_back(test::MainsBlock(b, 150, 90));
    return blocks;
}

QString WaveRecord(const QString& dir) {
    return test::WriteWaveformRecord(dir, Mains(400), test::DriftingCurrents(400, 3));
}

QString TrendRecord(const QString& dir) {
    return test::WriteTrendRecord(dir, test::DriftingCurrents(620, 4));
}

QImage ClientImage(QWidget& plot) {
    return plot.grab(plot.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

// Decodes a 24-bit bottom-up BMP by hand, without any image library.
QImage DecodeBmp24(const QByteArray& bytes) {
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    if (bytes.size() < 54 || u16(0) != 0x4D42 || u32(14) != 40 || u16(28) != 24 || u32(30) != 0)
        return {};
    const int width = static_cast<int>(u32(18)), height = static_cast<int>(u32(22));
    const int rowSize = ((24 * width + 31) / 32) * 4;
    if (u32(2) != static_cast<quint32>(bytes.size()) ||
        bytes.size() != 54 + static_cast<qsizetype>(rowSize) * height || u32(10) != 54)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const uchar*>(bytes.constData()) + 54 + (height - 1 - y) * rowSize;
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    }
    return image;
}

TEST(ViewDlgOpen, ButtonAsksForAnExistingRecordFile) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    {
        FileAnswer cancel{QString()};
        t.viewer->Button(CViewDlg::kOpen)->click();
        ASSERT_EQ(cancel.requests.size(), 1u);
        EXPECT_EQ(cancel.requests[0].mode, FileDialog::Mode::Open);
        EXPECT_EQ(cancel.requests[0].filter, QStringLiteral("Zelmarine Files (*.zmr)"));
        EXPECT_EQ(cancel.requests[0].defaultSuffix, QStringLiteral("zmr"));
        EXPECT_EQ(cancel.requests[0].parent, t.viewer.get());
        EXPECT_FALSE(t.Enabled(CViewDlg::kPlay));
    }
    FileAnswer record(TrendRecord(dir));
    t.viewer->Button(CViewDlg::kOpen)->click();
    EXPECT_EQ(t.viewer->TrendPlot()->PointCount(), 620);
    EXPECT_TRUE(t.Enabled(CViewDlg::kPlay));
}

TEST(ViewDlgCut, MenuChoosesThePlotAndTheBmpHasItsPixels) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(WaveRecord(dir)));
    const QString path = dir + "/wave.bmp";
    MenuAnswer menu(CViewDlg::kCutWave);
    FileAnswer file(path);
    QPushButton* cut = t.viewer->Button(CViewDlg::kCut);
    cut->click();

    ASSERT_EQ(menu.seen.size(), 1u);
    EXPECT_EQ(menu.seen[0].items, QStringList({"波形截屏=32774", "-", "曲线截屏=32775"}));
    EXPECT_EQ(menu.seen[0].at, cut->mapToGlobal(QPoint(0, cut->height())));
    ASSERT_EQ(file.requests.size(), 1u);
    const FileDialog::Request& request = file.requests[0];
    EXPECT_EQ(request.mode, FileDialog::Mode::Save);
    EXPECT_EQ(request.filter, QStringLiteral("Bitmap Files (*.bmp);;PNG Files (*.png)"));
    EXPECT_EQ(request.defaultSuffix, QStringLiteral("bmp"));
    EXPECT_EQ(request.directory, QString::fromStdString(PictureDirectory()));
    EXPECT_TRUE(file.directoryExisted[0]); // made before the dialog starts in it

    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    const QImage shown = ClientImage(*t.viewer->WavePlot());
    test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_waveform_record");
    EXPECT_EQ(DecodeBmp24(bytes), shown);
    QImageReader reader(path, "bmp");
    EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32), shown);
    EXPECT_TRUE(t.errors.empty());

    // The other item saves the trend plot; dismissing the menu saves nothing.
    MenuAnswer trendItem(CViewDlg::kCutTrend);
    cut->click();
    const QImage trend = ClientImage(*t.viewer->TrendPlot());
    test::SaveSnapshot(trend, "viewer_cut_trend_client");
    EXPECT_EQ(DecodeBmp24([&] {
                  QFile f(path);
                  f.open(QIODevice::ReadOnly);
                  return f.readAll();
              }()),
              trend);
    MenuAnswer dismiss(0);
    cut->click();
    EXPECT_EQ(file.requests.size(), 2u);
}

TEST(ViewDlgCut, TrendRecordSavesTheTrendPlotAtOnceAndReportsAFileThatCannotBeWritten) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(TrendRecord(dir)));
    MenuAnswer menu(CViewDlg::kCutWave);
    {
        FileAnswer file(dir + "/trend.bmp");
        t.viewer->Button(CViewDlg::kCut)->click();
    }
    EXPECT_TRUE(menu.seen.empty());
    test::SaveSnapshot(t.viewer->grab().toImage(), "viewer_trend_record");
    QImageReader reader(dir + "/trend.bmp", "bmp");
    EXPECT_EQ(reader.read().convertToFormat(QImage::Format_RGB32),
              ClientImage(*t.viewer->TrendPlot()));
    EXPECT_TRUE(t.errors.empty());

    FileAnswer unwritable(dir + "/no such folder/trend.bmp");
    t.viewer->Button(CViewDlg::kCut)->click();
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_TRUE(t.errors[0].startsWith(QStringLiteral("无法写入图片文件：")))
        << t.errors[0].toStdString();
}

TEST(ViewDlgPlay, MenuStartsTheChosenModeAndStopRestoresTheButtons) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(WaveRecord(dir)));
    QPushButton* play = t.viewer->Button(CViewDlg::kPlay);
    const int others[] = {1007, 1010, 1023, 1024, 1008, 1009};
    const struct {
        int item;
        int mode;
        bool wave, trend;
    } cases[] = {
        {CViewDlg::kPlayBoth, CViewDlg::PlayBoth, true, true},
        {CViewDlg::kPlayWave, CViewDlg::PlayWaveOnly, true, false},
        {CViewDlg::kPlayTrend, CViewDlg::PlayTrendOnly, false, true},
    };
    for (const auto& c : cases) {
        MenuAnswer menu(c.item);
        play->click();
        ASSERT_EQ(menu.seen.size(), 1u);
        EXPECT_EQ(menu.seen[0].items,
                  QStringList({"波形与曲线=32779", "-", "仅波形=32781", "仅曲线=32780"}));
        EXPECT_EQ(menu.seen[0].at, play->mapToGlobal(QPoint(0, play->height())));
        EXPECT_TRUE(t.viewer->Playing());
        EXPECT_EQ(t.viewer->CurrentPlayMode(), c.mode);
        EXPECT_EQ(t.viewer->WavePlot()->IsPlaying(), c.wave) << c.item;
        EXPECT_EQ(t.viewer->TrendPlot()->IsPlaying(), c.trend) << c.item;
        EXPECT_EQ(play->text(), QStringLiteral("停止"));
        for (int id : others)
            EXPECT_FALSE(t.Enabled(id)) << id;

        play->click(); // stop: no menu
        EXPECT_EQ(menu.seen.size(), 1u);
        EXPECT_FALSE(t.viewer->Playing());
        EXPECT_FALSE(t.viewer->WavePlot()->IsPlaying() || t.viewer->TrendPlot()->IsPlaying());
        EXPECT_EQ(play->text(), QStringLiteral("播放"));
        for (int id : others)
            EXPECT_TRUE(t.Enabled(id)) << id;
    }
    MenuAnswer dismiss(0);
    play->click();
    EXPECT_FALSE(t.viewer->Playing());

    // A trend record plays its curves at once.
    ASSERT_TRUE(t.viewer->OpenRecord(TrendRecord(dir)));
    play->click();
    EXPECT_TRUE(dismiss.seen.size() == 1u && t.viewer->Playing());
    EXPECT_EQ(t.viewer->CurrentPlayMode(), CViewDlg::PlayTrendOnly);
    EXPECT_TRUE(t.viewer->TrendPlot()->IsPlaying());
    EXPECT_FALSE(t.Enabled(1007) || t.Enabled(1010) || t.Enabled(1008));
    play->click();
    EXPECT_TRUE(t.Enabled(1007) && t.Enabled(1008) && t.Enabled(1009));
    EXPECT_FALSE(t.Enabled(1023) || t.Enabled(1024)); // no waveforms to zoom
}

TEST(ViewDlgPlay, PeriodsFollowTheSpeedAndTheSliderActsOnlyWhilePlaying) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(WaveRecord(dir)));
    QSlider* slider = t.viewer->SpeedSlider();
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 10);
    QPushButton* play = t.viewer->Button(CViewDlg::kPlay);
    MenuAnswer menu(CViewDlg::kPlayWave);
    for (const auto& [speed, period] : {std::pair{0, 200}, {5, 33}, {10, 18}}) {
        slider->setValue(speed);
        EXPECT_FALSE(t.viewer->WavePlot()->IsPlaying());
        play->click();
        EXPECT_EQ(t.viewer->WavePlot()->PlayPeriod(), period) << speed;
        EXPECT_EQ(t.viewer->Speed(), speed);
        play->click();
    }

    slider->setValue(0);
    play->click(); // waveforms only, 200 ms
    slider->setValue(5);
    EXPECT_EQ(t.viewer->Speed(), 5);
    EXPECT_EQ(t.viewer->WavePlot()->PlayPeriod(), 33);
    EXPECT_FALSE(t.viewer->TrendPlot()->IsPlaying()); // only the timers of the current mode
    play->click();
    slider->setValue(7);
    EXPECT_EQ(t.viewer->Speed(), 5);
    EXPECT_FALSE(t.viewer->WavePlot()->IsPlaying());
}

TEST(ViewDlgZoom, ButtonsFollowWhatEachPlotStillGrants) {
    const test::TempDir temp;
    const QString dir = QString::fromStdString(temp.path());
    ViewerUnderTest t;
    ASSERT_TRUE(t.viewer->OpenRecord(WaveRecord(dir)));
    const auto press = [&](int id, int times) {
        for (int i = 0; i < times; ++i)
            t.viewer->Button(id)->click();
    };
    press(CViewDlg::kWaveZoomIn, 3); // 8 → 1
    EXPECT_EQ(t.viewer->WavePlot()->Span(), 1);
    EXPECT_FALSE(t.Enabled(1023));
    EXPECT_TRUE(t.Enabled(1024));
    press(CViewDlg::kWaveZoomOut, 10); // 1 → 1024
    EXPECT_EQ(t.viewer->WavePlot()->Span(), 1024);
    EXPECT_TRUE(t.Enabled(1023));
    EXPECT_FALSE(t.Enabled(1024));
    press(CViewDlg::kTrendZoomIn, 4); // 300, 150, 75, 37, 18
    EXPECT_EQ(t.viewer->TrendPlot()->Span(), 18);
    EXPECT_FALSE(t.Enabled(1008));
    EXPECT_TRUE(t.Enabled(1009));

    // After a playback the limits still hold; opening a record again frees both ways.
    MenuAnswer menu(CViewDlg::kPlayBoth);
    press(CViewDlg::kPlay, 2);
    EXPECT_FALSE(t.Enabled(1024) || t.Enabled(1008));
    EXPECT_TRUE(t.Enabled(1023) && t.Enabled(1009));
    ASSERT_TRUE(t.viewer->OpenRecord(WaveRecord(dir)));
    for (int id : {1023, 1024, 1008, 1009})
        EXPECT_TRUE(t.Enabled(id)) << id;
}

} // namespace
} // namespace zel
