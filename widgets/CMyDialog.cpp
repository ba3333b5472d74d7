#include "widgets/CMyDialog.h"

#include "widgets/Fonts.h"
#include "widgets/FrameAccessible.h"
#include "widgets/ImageResources.h"
#include "widgets/TabOrder.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace zel {

namespace {

constexpr QRgb kStripDark = 0xFF293955;
constexpr QRgb kStripLight = 0xFF44587C;

// Each frame button has three images in a row of ids: pressed, hovered, normal.
constexpr int kCloseImages = 248;
constexpr int kMaximizeImages = 251;
constexpr int kMinimizeImages = 254;
constexpr int kRestoreImages = 257;
constexpr int kLogoImage = 260;

constexpr QRect kLogoRect(8, 1, 24, 24);
constexpr QPoint kTitleAt(35, 6);

} // namespace

CMyDialog::CMyDialog(QWidget* parent, bool mainWindow)
    : QDialog(parent, (mainWindow ? Qt::Window : Qt::Dialog) | Qt::FramelessWindowHint),
      mainWindow_(mainWindow), titleFont_(GuiFont(16)) {
    setMouseTracking(true);
    InstallFrameAccessibility();
    for (int id = kCloseImages; id <= kLogoImage; ++id)
        images_.emplace(id, PngImage(id));
}

void CMyDialog::SetTitle(const QString& title) {
    title_ = title;
    setWindowTitle(title);
    update(TitleRect());
}

QRect CMyDialog::TitleRect() const {
    return QRect(0, 0, width(), kStripHeight);
}

QRect CMyDialog::MinimizeRect() const {
    return QRect(QPoint(width() - 98, 1), QPoint(width() - 70 - 1, 21 - 1));
}

QRect CMyDialog::MaximizeRect() const {
    return QRect(QPoint(width() - 70, 1), QPoint(width() - 42 - 1, 21 - 1));
}

QRect CMyDialog::CloseRect() const {
    return QRect(QPoint(width() - 42, 1), QPoint(width() - 3 - 1, 21 - 1));
}

CMyDialog::HitCode CMyDialog::HitTest(const QPoint& p) const {
    if (mainWindow_ && MinimizeRect().contains(p))
        return HitCode::Minimize;
    if (CloseRect().contains(p))
        return HitCode::Close;
    if (mainWindow_ && MaximizeRect().contains(p))
        return HitCode::Maximize;
    return HitCode::Client;
}

void CMyDialog::ToggleMaximize() {
    if (maximized_)
        RestoreFromMaximized();
    else
        ShowMaximizedInWorkArea();
}

void CMyDialog::ShowMaximizedInWorkArea() {
    // The window keeps its normal state for the window system and simply takes the work area,
    // so the taskbar and panels stay uncovered whatever the window manager would do.
    if (!maximized_)
        normalGeometry_ = geometry();
    maximized_ = true;
    setGeometry(WorkArea());
    update(TitleRect());
}

void CMyDialog::RestoreFromMaximized() {
    if (!maximized_)
        return;
    maximized_ = false;
    setGeometry(normalGeometry_);
    CenterInWorkArea();
    update(TitleRect());
}

QRect CMyDialog::WorkArea() const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 800, 600);
}

void CMyDialog::CenterInWorkArea() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect around = owner ? owner->geometry() : WorkArea();
    QRect frame = geometry();
    frame.moveCenter(around.center());
    move(frame.topLeft());
}

void CMyDialog::reject() {
    if (CanClose())
        QDialog::reject();
}

void CMyDialog::PaintClient(QPainter&) {}

void CMyDialog::paintEvent(QPaintEvent* event) {
    // A hovered image lasts for the one paint that shows it: a later paint of the buttons
    // draws them normal, until the pointer moves over one again.
    if (hovered_ != HitCode::Client && event->region().intersects(ButtonsRect())) {
        if (hoverPainted_)
            hovered_ = HitCode::Client;
        hoverPainted_ = true;
    }
    QPainter painter(this);
    painter.save();
    PaintClient(painter);
    painter.restore();
    PaintFrame(painter);
}

const QImage& CMyDialog::ButtonImage(HitCode button) const {
    static const QImage none;
    int first = kCloseImages;
    switch (button) {
    case HitCode::Client:
        return none;
    case HitCode::Close:
        first = kCloseImages;
        break;
    case HitCode::Minimize:
        first = kMinimizeImages;
        break;
    case HitCode::Maximize:
        first = maximized_ ? kRestoreImages : kMaximizeImages;
        break;
    }
    const int offset = pressed_ == button ? 0 : hovered_ == button ? 1 : 2;
    return images_.at(first + offset).For(devicePixelRatioF());
}

void CMyDialog::PaintStrip(QPainter& painter) {
    // Plain dark blue on the left half; the right half brightens towards the edge.
    const int w = width();
    QLinearGradient gradient(0, 0, w / 2, 0);
    gradient.setColorAt(0, QColor::fromRgba(kStripDark));
    gradient.setColorAt(1, QColor::fromRgba(kStripLight));
    gradient.setSpread(QGradient::RepeatSpread);
    painter.fillRect(QRect(w / 2, 0, w - w / 2, kStripHeight), gradient);
    painter.fillRect(QRect(0, 0, w / 2 + 1, kStripHeight), QColor::fromRgba(kStripDark));
}

void CMyDialog::PaintFrame(QPainter& painter) {
    PaintStrip(painter);
    if (mainWindow_) {
        painter.drawImage(MinimizeRect().topLeft(), ButtonImage(HitCode::Minimize));
        painter.drawImage(MaximizeRect().topLeft(), ButtonImage(HitCode::Maximize));
    }
    painter.drawImage(CloseRect().topLeft(), ButtonImage(HitCode::Close));

    // The logo is drawn much smaller than it is, sharp at any scale.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(kLogoRect, images_.at(kLogoImage).For(1));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);

    // The title stops short of the frame buttons instead of running under them.
    const int titleRight = (mainWindow_ ? MinimizeRect() : CloseRect()).left() - 4;
    painter.setFont(titleFont_);
    painter.setPen(Qt::white);
    painter.drawText(QRect(kTitleAt, QPoint(titleRight, kStripHeight - 1)),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title_);

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRect(0, 0, width() - 1, height() - 1), 2.5, 2.5);
}

void CMyDialog::ApplyMask() {
    // The rounded outline of a 5 x 5 corner ellipse: two pixels cut from the first and last
    // row, one from the second and second-last, at both ends.
    const int w = width();
    const int h = height();
    if (w < 6 || h < 6) {
        clearMask();
        return;
    }
    QRegion region(0, 2, w, h - 4);
    region += QRegion(1, 1, w - 2, 1);
    region += QRegion(1, h - 2, w - 2, 1);
    region += QRegion(2, 0, w - 4, 1);
    region += QRegion(2, h - 1, w - 4, 1);
    setMask(region);
}

void CMyDialog::showEvent(QShowEvent* event) {
    SetReadingTabOrder(this);
    QDialog::showEvent(event);
}

void CMyDialog::resizeEvent(QResizeEvent* event) {
    ApplyMask();
    hovered_ = HitCode::Client;
    update();
    QDialog::resizeEvent(event);
}

QRect CMyDialog::ButtonsRect() const {
    return QRect(MinimizeRect().topLeft(), CloseRect().bottomRight());
}

void CMyDialog::UpdateButtons() {
    update(ButtonsRect());
}

void CMyDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        event->accept();
        return;
    }
    // A hovered image stays while the pointer moves on into the client area; it goes when
    // another button is hovered or the frame is drawn afresh.
    const HitCode code = HitTest(event->position().toPoint());
    if (code != HitCode::Client && code != hovered_) {
        hovered_ = code;
        hoverPainted_ = false;
        UpdateButtons();
    }
    QDialog::mouseMoveEvent(event);
}

void CMyDialog::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const HitCode code = HitTest(at);
    if (movableByStrip_ && event->button() == Qt::LeftButton && at.y() < kStripHeight &&
        code == HitCode::Client) {
        dragOffset_ = at;
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || code == HitCode::Client) {
        QDialog::mousePressEvent(event);
        return;
    }
    pressed_ = code;
    UpdateButtons();
    event->accept();
}

void CMyDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (dragOffset_ && event->button() == Qt::LeftButton) {
        dragOffset_.reset();
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || pressed_ == HitCode::Client) {
        QDialog::mouseReleaseEvent(event);
        return;
    }
    const HitCode pressed = pressed_;
    const HitCode released = HitTest(event->position().toPoint());
    pressed_ = HitCode::Client;
    UpdateButtons();
    event->accept();
    // Like any push button: letting go somewhere else cancels the press.
    if (released != pressed)
        return;
    switch (pressed) {
    case HitCode::Close:
        close();
        break;
    case HitCode::Minimize:
        showMinimized();
        break;
    case HitCode::Maximize:
        ToggleMaximize();
        break;
    case HitCode::Client:
        break;
    }
}

void CMyDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) {
        hovered_ = HitCode::Client;
        update(TitleRect());
    }
    QDialog::changeEvent(event);
}

} // namespace zel
