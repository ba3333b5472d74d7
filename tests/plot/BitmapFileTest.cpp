#include "plot/BitmapFile.h"
#include "PlotTestSupport.h"
#include "plot/CurseWnd.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace zel {
namespace {

template <typename T> T Field(const QByteArray& bytes, int offset) {
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

QImage PlotImage(QWidget& plot) {
    return plot.grab(plot.contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(BitmapFile, ScreenshotOfA300By200PlotReadsBackPixelForPixel) {
    const QTemporaryDir temp;
    const QString dir = temp.path();
    CCurseWnd plot;
    plot.resize(300, 200);
    plot.ResetCursor();
    plot.SetPoints(test::DriftingCurrents(400, 11));
    const QString path = dir + "/trend.bmp";
    SaveWindowBitmap(path, &plot);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GT(DisplayBitDepth(), 8);
    ASSERT_EQ(bytes.size(), 180054);
    EXPECT_EQ(Field<quint16>(bytes, 0), 0x4D42);
    EXPECT_EQ(Field<quint32>(bytes, 2), 180054u);
    EXPECT_EQ(Field<quint32>(bytes, 6), 0u);
    EXPECT_EQ(Field<quint32>(bytes, 10), 54u);
    EXPECT_EQ(Field<quint32>(bytes, 14), 40u);
    EXPECT_EQ(Field<qint32>(bytes, 18), 300);
    EXPECT_EQ(Field<qint32>(bytes, 22), 200);
    EXPECT_EQ(Field<quint16>(bytes, 26), 1);
    EXPECT_EQ(Field<quint16>(bytes, 28), 24);
    for (int offset = 30; offset < 54; offset += 4)
        EXPECT_EQ(Field<quint32>(bytes, offset), 0u) << offset;

    QImageReader reader(path, "bmp");
    const QImage decoded = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(decoded.isNull()) << reader.errorString().toStdString();
    const QImage shown = PlotImage(plot);
    test::SaveSnapshot(shown, "trend_300x200_screenshot");
    EXPECT_EQ(decoded, shown);
}

TEST(BitmapFile, RowsArePaddedAndBitDepthFollowsTheDisplay) {
    const QTemporaryDir temp;
    const QString dir = temp.path();
    QImage image(5, 3, QImage::Format_RGB32);
    image.fill(qRgb(255, 255, 255));
    image.setPixel(0, 0, qRgb(255, 0, 0)); // top-left: stored in the last row
    image.setPixel(4, 2, qRgb(0, 0, 255));
    struct Case {
        int depth, bits, table, rowSize;
    };
    for (const Case c : {Case{32, 24, 0, 16}, Case{16, 24, 0, 16}, Case{8, 8, 1024, 8},
                         Case{4, 4, 64, 4}, Case{1, 1, 8, 4}}) {
        const QString path = QString("%1/d%2.bmp").arg(dir).arg(c.depth);
        ASSERT_TRUE(WriteBitmapFile(path, image, c.depth));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.size(), 54 + c.table + 3 * c.rowSize) << c.depth;
        EXPECT_EQ(Field<quint16>(bytes, 28), c.bits) << c.depth;
        EXPECT_EQ(Field<quint32>(bytes, 10), 54u + c.table) << c.depth;
        const QImage decoded = QImage(path, "bmp").convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(decoded.size(), QSize(5, 3)) << c.depth;
        if (c.bits >= 4) {
            EXPECT_EQ(decoded.pixel(0, 0), qRgb(255, 0, 0)) << c.depth;
            EXPECT_EQ(decoded.pixel(4, 2), qRgb(0, 0, 255)) << c.depth;
            EXPECT_EQ(decoded.pixel(2, 1), qRgb(255, 255, 255)) << c.depth;
        }
    }
    // 24-bit: the last row of the file is the top row of the image, blue-green-red.
    QFile file(dir + "/d32.bmp");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(static_cast<uchar>(bytes[54 + 2 * 16 + 2]), 255);
    EXPECT_EQ(static_cast<uchar>(bytes[54 + 2 * 16 + 0]), 0);
    EXPECT_EQ(bytes.mid(54 + 15, 1), QByteArray(1, '\0')); // padding byte
}

TEST(BitmapFile, PathThatCannotBeCreatedReturnsFalseAndWritesNothing) {
    const QTemporaryDir temp;
    const QString dir = temp.path();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::black);
    EXPECT_FALSE(WriteBitmapFile(dir + "/missing/shot.bmp", image, 32));
    EXPECT_FALSE(QFile::exists(dir + "/missing/shot.bmp"));
    EXPECT_FALSE(WriteBitmapFile(dir, image, 32)); // a directory
    EXPECT_TRUE(QFileInfo(dir).isDir());
}

} // namespace
} // namespace zel
