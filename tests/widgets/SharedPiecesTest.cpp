#include "GuiTestSupport.h"

#include "widgets/ClientEdgeFrame.h"
#include "widgets/DialogUnits.h"
#include "widgets/Fonts.h"
#include "widgets/ImageResources.h"
#include "widgets/MessageBox.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace zel;

namespace {

TEST(ImageResourcesTest, EveryPngHasItsSizeAndAlpha) {
    for (int id = 248; id <= 261; ++id) {
        const auto image = LoadPngResource(id);
        ASSERT_TRUE(image) << id;
        const QSize expected = id <= 250   ? QSize(39, 20)
                               : id <= 259 ? QSize(28, 20)
                               : id == 260 ? QSize(256, 256)
                                           : QSize(1245, 328);
        EXPECT_EQ(image->size(), expected) << id;
        EXPECT_TRUE(image->hasAlphaChannel()) << id;
        test::SaveSnapshot(*image, QStringLiteral("png%1").arg(id));
    }
    EXPECT_FALSE(LoadPngResource(247));
    EXPECT_FALSE(LoadPngResource(262));
    EXPECT_TRUE(LoadBitmapResource(131).isNull());
}

TEST(ImageResourcesTest, SharpCopiesAreTwiceTheSizeAndTakenFromRatio1Point5) {
    for (int id = 248; id <= 261; ++id) {
        const auto plain = LoadPngResource(id);
        ASSERT_TRUE(plain) << id;
        EXPECT_FALSE(LoadPngResource(id, 1.25)) << id;
        const auto sharp = LoadPngResource(id, 1.5);
        if (id == 260) { // the logo is drawn far below its size anyway
            EXPECT_FALSE(sharp);
            continue;
        }
        ASSERT_TRUE(sharp) << id;
        EXPECT_EQ(sharp->size(), plain->size() * 2) << id;
        EXPECT_EQ(sharp->devicePixelRatio(), 2) << id;
        EXPECT_EQ(sharp->deviceIndependentSize(), QSizeF(plain->size())) << id;
        EXPECT_TRUE(sharp->hasAlphaChannel()) << id;
        test::SaveSnapshot(*sharp, QStringLiteral("png%1@2x").arg(id));
    }
}

TEST(ImageResourcesTest, IconsComeInTheirSizesAndTwiceThem) {
    const std::pair<int, QList<int>> icons[] = {
        {128, {16, 24, 32, 48, 64, 256}},
        {133, {16, 24, 32, 48}},
        {134, {16, 24, 32, 48}},
        {135, {16, 24, 32, 48}},
        {136, {16}},
        {137, {16}},
        {138, {16, 24, 32, 48}},
    };
    const auto bySize = [](QSize a, QSize b) { return a.width() < b.width(); };
    for (const auto& [id, sizes] : icons) {
        const QIcon icon = LoadIconResource(id);
        QList<QSize> expected;
        for (int size : sizes) {
            expected << QSize(size, size);
            if (id != 128) // the logo's own 64 serves as its 32 at ratio 2
                expected << QSize(2 * size, 2 * size);
        }
        std::sort(expected.begin(), expected.end(), bySize);
        QList<QSize> available = icon.availableSizes();
        std::sort(available.begin(), available.end(), bySize);
        EXPECT_EQ(available, expected) << id;

        // At ratio 2 an icon drawn at one of its sizes takes the pixels of its @2x file.
        const int size = sizes.contains(32) ? 32 : 16;
        const QImage doubled = icon.pixmap(QSize(size, size), 2.0).toImage();
        const QImage file = id == 128
                                ? QImage(QStringLiteral(":/icons/128-64.png"))
                                : QImage(QStringLiteral(":/icons/%1-%2@2x.png").arg(id).arg(size));
        // A pixmap holds premultiplied pixels, and the way back to straight alpha rounds
        // differently on different processors: compare both premultiplied.
        EXPECT_EQ(doubled.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                  file.convertToFormat(QImage::Format_ARGB32_Premultiplied))
            << id;
    }
    EXPECT_TRUE(LoadIconResource(129).isNull());
}

TEST(DialogUnitsTest, ConvertsWithTheTemplateFontsBaseUnits) {
    const DialogUnits units(6, 13);
    EXPECT_EQ(units.X(4), 6);
    EXPECT_EQ(units.X(50), 75);
    EXPECT_EQ(units.X(157), 236); // 235.5 rounds up
    EXPECT_EQ(units.Y(8), 13);
    EXPECT_EQ(units.Y(14), 23);   // 22.75
    EXPECT_EQ(units.Y(198), 322); // 321.75
    EXPECT_EQ(units.X(-2), -3);   // rounds away from zero both ways
    EXPECT_EQ(units.ToPixels(157, 198, 50, 14), QRect(236, 322, 75, 23));

    const QFont font = ShellDlgFont(10);
    EXPECT_EQ(font.pixelSize(), 13);
    const DialogUnits measured(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(measured.BaseHeight(), metrics.height());
    const int average = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    EXPECT_NEAR(measured.BaseWidth(), average / 52.0, 0.5);
}

TEST(MessageBoxTest, HandlerSeesEveryBoxAndAnswersQuestions) {
    std::vector<MessageBox::Request> seen;
    MessageBox::Answer answer = MessageBox::Answer::No;
    {
        ScopedMessageBoxHandler handler([&](const MessageBox::Request& request) {
            seen.push_back(request);
            return request.buttons == MessageBox::Buttons::YesNo ? answer : MessageBox::Answer::Ok;
        });
        MessageBox::Error(nullptr, QStringLiteral("未能连接到设备!"));
        MessageBox::Information(nullptr, QStringLiteral("数据传输完成!"));
        EXPECT_EQ(MessageBox::Question(nullptr, QStringLiteral("确定要退出Velquist软件吗?"),
                                       MessageBox::Icon::Error),
                  MessageBox::Answer::No);
        answer = MessageBox::Answer::Yes;
        EXPECT_EQ(MessageBox::Question(nullptr, QStringLiteral("?")), MessageBox::Answer::Yes);
        // A handler that says OK to a question is taken as No, never as consent.
        answer = MessageBox::Answer::Ok;
        EXPECT_EQ(MessageBox::Question(nullptr, QStringLiteral("?")), MessageBox::Answer::No);
    }
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0].text, QStringLiteral("未能连接到设备!"));
    EXPECT_EQ(seen[0].icon, MessageBox::Icon::Error);
    EXPECT_EQ(seen[0].buttons, MessageBox::Buttons::Ok);
    EXPECT_EQ(seen[1].icon, MessageBox::Icon::Information);
    EXPECT_EQ(seen[2].icon, MessageBox::Icon::Error);
    EXPECT_EQ(seen[2].buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(seen[3].icon, MessageBox::Icon::Question);

    // The scope put the previous (empty) handler back.
    EXPECT_FALSE(MessageBox::SetHandler(nullptr));
}

} // namespace

namespace {

// Both edges of the frame, read inwards from the left and from the right of one row: the
// rings must be whole on all four sides, with the child starting right inside them.
TEST(ClientEdgeFrameTest, RingsAreWholeOnEverySideWithAndWithoutTheBorder) {
    struct Case {
        ClientEdgeFrame::Border border;
        std::vector<QRgb> fromOutside;
    };
    const QRgb black = qRgb(0, 0, 0), child = qRgb(0, 0, 255);
    const Case cases[] = {
        {ClientEdgeFrame::Border::Line, {black, qRgb(160, 160, 160), qRgb(105, 105, 105), child}},
        {ClientEdgeFrame::Border::None, {qRgb(160, 160, 160), qRgb(105, 105, 105), child}},
    };
    const std::vector<QRgb> rightLine = {black, qRgb(255, 255, 255), qRgb(227, 227, 227), child};
    const std::vector<QRgb> rightNone = {qRgb(255, 255, 255), qRgb(227, 227, 227), child};
    for (const Case& c : cases) {
        QWidget window;
        window.resize(60, 40);
        auto* frame = new ClientEdgeFrame(&window, c.border);
        auto* inside = new QWidget;
        inside->setAutoFillBackground(true);
        QPalette palette = inside->palette();
        palette.setColor(QPalette::Window, QColor(child));
        inside->setPalette(palette);
        frame->SetChild(inside);
        frame->Place(QRect(0, 0, 60, 40));
        const QImage image = frame->grab().toImage();
        const auto& right = c.border == ClientEdgeFrame::Border::Line ? rightLine : rightNone;
        for (int i = 0; i < static_cast<int>(c.fromOutside.size()); ++i) {
            EXPECT_EQ(image.pixel(i, 20), c.fromOutside[static_cast<std::size_t>(i)]) << i;
            EXPECT_EQ(image.pixel(59 - i, 20), right[static_cast<std::size_t>(i)]) << i;
            EXPECT_EQ(image.pixel(30, i), c.fromOutside[static_cast<std::size_t>(i)]) << i;
            EXPECT_EQ(image.pixel(30, 39 - i), right[static_cast<std::size_t>(i)]) << i;
        }
        EXPECT_EQ(inside->geometry(), QRect(0, 0, 60, 40)
                                          .adjusted(frame->EdgeWidth(), frame->EdgeWidth(),
                                                    -frame->EdgeWidth(), -frame->EdgeWidth()));
    }
}

} // namespace
