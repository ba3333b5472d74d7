#include "widgets/CButtonTR.h"

#include "widgets/Fonts.h"
#include "widgets/ImageResources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace zel {

namespace {

constexpr int kIconSize = 32;
constexpr int kIconLeft = 4;
constexpr int kCaptionLeft = 45;
constexpr int kCaptionTop = 5;
constexpr qreal kCornerRadius = 5;

const QColor kCaptionPressed(0, 0, 0);
const QColor kCaptionHovered(0xFF, 0xFF, 0xFF);
const QColor kCaptionNormal(0xEE, 0xEE, 0xEE);

} // namespace

CButtonTR::CButtonTR(QWidget* parent) : CButtonTR(QString(), parent) {}

CButtonTR::CButtonTR(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent), captionFont_(SongtiFont(13)) {
    // Everything is painted from the background copy; the parent must not paint underneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setAutoDefault(false);
}

void CButtonTR::SetIcon(int iconId) {
    iconId_ = iconId;
    icon_ = LoadIconResource(iconId);
    update();
}

void CButtonTR::DropBackground() {
    background_ = QPixmap();
}

QRect CButtonTR::IconRect(const QSize& size) {
    const int top = std::max(0, (size.height() - kIconSize) / 2 + 1);
    return QRect(kIconLeft, top, kIconSize, kIconSize);
}

QRect CButtonTR::CaptionRect(const QSize& size, bool pressed) {
    QRect rect(QPoint(kCaptionLeft, kCaptionTop), QPoint(size.width() - 1, size.height() - 1));
    if (pressed)
        rect.translate(1, 1);
    return rect;
}

void CButtonTR::PaintBackground(QPainter& painter) {
    if (size() != backgroundSize_) {
        DropBackground();
        backgroundSize_ = size();
    }
    QWidget* parent = parentWidget();
    if (background_.isNull() && parent) {
        // Only the parent's own painting: neither this button nor its siblings. The copy is
        // made aside, because the parent's painting may itself tell this button to drop its
        // background.
        QPixmap copy(size() * devicePixelRatioF());
        copy.setDevicePixelRatio(devicePixelRatioF());
        copy.fill(parent->palette().color(parent->backgroundRole()));
        parent->render(&copy, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
        background_ = copy;
    }
    if (!background_.isNull())
        painter.drawPixmap(0, 0, background_);
}

void CButtonTR::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintBackground(painter);

    const bool pressed = isDown();
    if (pressed || hovered_) {
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillPath(path, QColor::fromRgba(pressed ? kPressedColour : kHoverColour));
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    if (!icon_.isNull()) {
        // Icons that exist only at 16 x 16 are doubled pixel for pixel rather than blurred.
        const QPixmap pixmap = icon_.pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF());
        painter.setRenderHint(QPainter::SmoothPixmapTransform,
                              pixmap.width() > kIconSize * devicePixelRatioF());
        painter.drawPixmap(IconRect(size()), pixmap);
    }

    if (!text().isEmpty()) {
        painter.setFont(captionFont_);
        painter.setPen(pressed ? kCaptionPressed : hovered_ ? kCaptionHovered : kCaptionNormal);
        painter.drawText(CaptionRect(size(), pressed),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }
}

void CButtonTR::mouseMoveEvent(QMouseEvent* event) {
    QPushButton::mouseMoveEvent(event);
    // A drag that enters the button does not light it.
    if ((event->buttons() & Qt::LeftButton) && !hovered_)
        return;
    const bool over = rect().contains(event->position().toPoint());
    if (over && QApplication::activeWindow() != nullptr)
        SetHovered(true);
    else
        SetHovered(false);
}

void CButtonTR::leaveEvent(QEvent* event) {
    SetHovered(false);
    QPushButton::leaveEvent(event);
}

void CButtonTR::SetHovered(bool hovered) {
    if (hovered_ == hovered)
        return;
    hovered_ = hovered;
    update();
}

} // namespace zel
