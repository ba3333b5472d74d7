#include "widgets/ClientEdgeFrame.h"

#include <QPainter>

namespace zel {

namespace {

// Top and left lines in one colour, bottom and right in the other.
void Shade(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

ClientEdgeFrame::ClientEdgeFrame(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientEdgeFrame::SetChild(QWidget* child) {
    child_ = child;
    if (!child_)
        return;
    child_->setParent(this);
    PlaceChild();
    child_->show();
}

void ClientEdgeFrame::Place(const QRect& geometry) {
    setGeometry(geometry);
    PlaceChild();
}

void ClientEdgeFrame::PlaceChild() {
    if (child_)
        child_->setGeometry(rect().adjusted(kEdgeWidth, kEdgeWidth, -kEdgeWidth, -kEdgeWidth));
}

void ClientEdgeFrame::paintEvent(QPaintEvent*) {
    if (width() < 2 * kEdgeWidth || height() < 2 * kEdgeWidth)
        return;
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    Shade(painter, rect().adjusted(1, 1, -2, -2), QColor(160, 160, 160), QColor(255, 255, 255));
    Shade(painter, rect().adjusted(2, 2, -3, -3), QColor(105, 105, 105), QColor(227, 227, 227));
}

void ClientEdgeFrame::resizeEvent(QResizeEvent*) {
    PlaceChild();
}

} // namespace zel
