// The main window and the settings dialog on a display scaled by QT_SCALE_FACTOR (ctest runs
// this program at 1.25, 1.5 and 2).
#include "GuiTestSupport.h"
#include "app/CSetDlg.h"
#include "app/CZelmarineDlg.h"
#include "tests/support/TempDir.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>

using namespace zel;

namespace {

class MainWindowScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ratio = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();
        // Without Wi-Fi the instrument is never contacted.
        environment.link = &link;
        environment.wifiProbe = [](WifiStatusTexts&, std::stop_token) { return false; };
        environment.configPath = dir / "config.ini";
    }

    QString Suffix() const { return QStringLiteral("ratio%1").arg(ratio); }

    double ratio = 1;
    test::TempDir dir;
    DeviceLink link;
    MainWindowEnvironment environment;
};

// The band behind the button row is plain on the left half and brightens from the middle to
// the right edge. Drawn at a fractional scale, the gradient must not leave a bright column at
// the middle where the plain half ends.
TEST_F(MainWindowScaleTest, BandBrightensWithoutASeamAtEveryWidth) {
    CZelmarineDlg window(environment);
    ASSERT_DOUBLE_EQ(window.devicePixelRatioF(), ratio);
    // Client row 27.5 lies in the band below the title strip and above the buttons.
    const int row = static_cast<int>(27.5 * ratio);
    for (int width = 640; width <= 720; ++width) {
        window.resize(width, 400);
        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The outline covers the first and the last client column.
        const int left = static_cast<int>(std::ceil(2 * ratio));
        const int right = static_cast<int>(std::floor((width - 2) * ratio)) - 1;
        const int middle = static_cast<int>(width / 2 * ratio);
        QString darker;
        for (int x = left + 1; x <= right; ++x)
            if (qBlue(shot.pixel(x, row)) < qBlue(shot.pixel(x - 1, row)))
                darker += QStringLiteral(" %1 (%2 after %3)")
                              .arg(x)
                              .arg(qBlue(shot.pixel(x, row)))
                              .arg(qBlue(shot.pixel(x - 1, row)));
        EXPECT_TRUE(darker.isEmpty()) << "width " << width << ", darker at" << darker.toStdString();
        EXPECT_EQ(shot.pixel(left, row), 0xFF293955u) << "width " << width;
        EXPECT_EQ(shot.pixel(middle - 1, row), 0xFF293955u) << "width " << width;
        EXPECT_GT(qBlue(shot.pixel(right, row)), 0x70) << "width " << width;
        if (width % 40 == 0)
            test::SaveSnapshot(shot, QStringLiteral("band-%1-%2").arg(width).arg(Suffix()));
    }
}

TEST_F(MainWindowScaleTest, MainWindowAndSettingsSnapshots) {
    CZelmarineDlg window(environment);
    window.resize(1100, 560);
    window.show();
    const QImage main = test::GrabWidget(window, QStringLiteral("main-") + Suffix());
    EXPECT_EQ(main.size(), QSize(qRound(1100 * ratio), qRound(560 * ratio)));

    CSetDlg settings(environment.configPath);
    settings.show();
    const QImage shown = test::GrabWidget(settings, QStringLiteral("settings-") + Suffix());
    EXPECT_EQ(shown.size(), settings.size() * ratio);
}

} // namespace
