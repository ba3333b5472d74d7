#pragma once

#include <QWidget>

namespace zel {

// The frame of a child window made with a sunken client edge and, usually, a border: a black
// line, then two lines shaded as if the inside were pressed into the window. The one child
// given to it fills the inside, so the child's own coordinates start at its client area.
class ClientEdgeFrame : public QWidget {
    Q_OBJECT

public:
    enum class Border { Line, None };

    explicit ClientEdgeFrame(QWidget* parent = nullptr, Border border = Border::Line);

    // Width of the frame on each side: the border line, if any, and the two shaded lines.
    int EdgeWidth() const { return border_ == Border::Line ? 3 : 2; }

    // Takes `child` in and keeps it on the inside of the frame.
    void SetChild(QWidget* child);
    QWidget* Child() const { return child_; }
    // Moves the frame and its child at once, also while hidden (when a resize event would
    // only arrive once the frame is shown).
    void Place(const QRect& geometry);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceChild();

    Border border_;
    QWidget* child_ = nullptr;
};

} // namespace zel
