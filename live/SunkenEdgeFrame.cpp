#include "live/SunkenEdgeFrame.h"

#include <QPainter>

namespace zel {

namespace {

// The classic 3D edge: light falls from the top left.
const QColor kOuterShadow(160, 160, 160);
const QColor kOuterLight(255, 255, 255);
const QColor kInnerShadow(105, 105, 105);
const QColor kInnerLight(227, 227, 227);

// A 1-pixel ring: shadow on the top and left sides, light on the bottom and right.
void DrawRing(QPainter& painter, const QRect& r, const QColor& shadow, const QColor& light) {
    painter.setPen(shadow);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(light);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

SunkenEdgeFrame::SunkenEdgeFrame(bool border, QWidget* parent) : QWidget(parent), border_(border) {}

void SunkenEdgeFrame::SetContent(QWidget* content) {
    content_ = content;
    content_->setParent(this);
    FitContent();
}

void SunkenEdgeFrame::Place(const QRect& geometry) {
    setGeometry(geometry);
    FitContent();
}

void SunkenEdgeFrame::FitContent() {
    if (!content_)
        return;
    const int e = EdgeWidth();
    content_->setGeometry(rect().adjusted(e, e, -e, -e));
}

void SunkenEdgeFrame::resizeEvent(QResizeEvent*) {
    FitContent();
}

void SunkenEdgeFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRect r = rect();
    if (border_) {
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    DrawRing(painter, r, kOuterShadow, kOuterLight);
    DrawRing(painter, r.adjusted(1, 1, -1, -1), kInnerShadow, kInnerLight);
}

} // namespace zel
