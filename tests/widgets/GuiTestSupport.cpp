#include "GuiTestSupport.h"

#include <QDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>

namespace zel::test {

void SaveSnapshot(const QImage& image, const QString& name) {
    const QString dir = qEnvironmentVariable("ZEL_SNAPSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    QString file = name;
    if (info)
        file = QStringLiteral("%1-%2-%3").arg(info->test_suite_name(), info->name(), name);
    file.replace(QLatin1Char('/'), QLatin1Char('_'));
    image.save(QDir(dir).filePath(file + QStringLiteral(".png")), "PNG");
}

QImage GrabWidget(QWidget& widget, const QString& name) {
    const QImage image = widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    SaveSnapshot(image, name);
    return image;
}

bool SameColour(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance &&
           std::abs(qAlpha(a) - qAlpha(b)) <= tolerance;
}

} // namespace zel::test
