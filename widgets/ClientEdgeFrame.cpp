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

ClientEdgeFrame::ClientEdgeFrame(QWidget* parent, Border border)
    : QWidget(parent), border_(border) {
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
    const int e = EdgeWidth();
    if (child_)
        child_->setGeometry(rect().adjusted(e, e, -e, -e));
}

void ClientEdgeFrame::paintEvent(QPaintEvent*) {
    if (width() < 2 * EdgeWidth() || height() < 2 * EdgeWidth())
        return;
    QPainter painter(this);
    // Lines run from left() to right() and top() to bottom(), the outermost pixels of r.
    QRect r = rect();
    if (border_ == Border::Line) {
        painter.setPen(Qt::black);
        painter.drawRect(r.adjusted(0, 0, -1, -1)); // an outline covers one more pixel
        r.adjust(1, 1, -1, -1);
    }
    // Light falls from the top left.
    Shade(painter, r, QColor(160, 160, 160), QColor(255, 255, 255));
    Shade(painter, r.adjusted(1, 1, -1, -1), QColor(105, 105, 105), QColor(227, 227, 227));
}

void ClientEdgeFrame::resizeEvent(QResizeEvent*) {
    PlaceChild();
}

} // namespace zel
