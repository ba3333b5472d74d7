// Writes the program's embedded images into the resources folder given on the command line.
#include "Art.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

namespace {

bool Save(const QImage& image, const QString& path) {
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// Images drawn at their natural size on the screen also come at twice the size, as <name>@2x.png,
// for displays scaled by 1.5 and more.
bool WriteFrameButtons(const QDir& dir) {
    using art::ButtonState;
    using art::FrameButton;
    // Ids run pressed, hovered, normal for close, maximise, minimise and restore.
    const FrameButton order[] = {FrameButton::Close, FrameButton::Maximize, FrameButton::Minimize,
                                 FrameButton::Restore};
    const ButtonState states[] = {ButtonState::Pressed, ButtonState::Hover, ButtonState::Normal};
    int id = 248;
    bool ok = true;
    for (FrameButton button : order)
        for (ButtonState state : states) {
            ok &= Save(art::FrameButtonImage(button, state),
                       dir.filePath(QString("png/%1.png").arg(id)));
            ok &= Save(art::FrameButtonImage(button, state, 2),
                       dir.filePath(QString("png/%1@2x.png").arg(id)));
            ++id;
        }
    return ok;
}

bool WriteIcons(const QDir& dir) {
    struct IconSizes {
        int id;
        QList<int> sizes;
    };
    // The logo also comes in the sizes a desktop's icon theme asks for (64 and 128), for the
    // package; those cover its scaled sizes too. The button icons get an @2x file per size.
    const IconSizes icons[] = {{128, {256, 128, 64, 48, 32, 24, 16}},
                               {133, {48, 32, 24, 16}},
                               {134, {48, 32, 24, 16}},
                               {135, {48, 32, 24, 16}},
                               {136, {16}},
                               {137, {16}},
                               {138, {48, 32, 24, 16}}};
    bool ok = true;
    for (const IconSizes& icon : icons)
        for (int size : icon.sizes) {
            ok &= Save(art::ButtonIcon(icon.id, size),
                       dir.filePath(QString("icons/%1-%2.png").arg(icon.id).arg(size)));
            if (icon.id != 128)
                ok &= Save(art::ButtonIcon(icon.id, 2 * size),
                           dir.filePath(QString("icons/%1-%2@2x.png").arg(icon.id).arg(size)));
        }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zel-artgen <resources folder>\n");
        return 2;
    }
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath("png") || !dir.mkpath("icons") || !dir.mkpath("bitmap")) {
        std::fprintf(stderr, "cannot create the folders under %s\n", argv[1]);
        return 1;
    }
    bool ok = WriteFrameButtons(dir);
    ok &= Save(art::Logo(256), dir.filePath("png/260.png"));
    ok &= Save(art::MainPicture(), dir.filePath("png/261.png"));
    ok &= Save(art::MainPicture(2), dir.filePath("png/261@2x.png"));
    ok &= Save(art::GlyphStrip(), dir.filePath("bitmap/130.png"));
    ok &= WriteIcons(dir);
    return ok ? 0 : 1;
}
