#pragma once

#include <QWidget>

namespace zel {

// The window edge the live windows give their plots and information bars: an optional 1-pixel
// black border around a 2-pixel sunken edge, with one child filling what is inside.
class SunkenEdgeFrame : public QWidget {
    Q_OBJECT

public:
    SunkenEdgeFrame(bool border, QWidget* parent);

    // Makes content the child that fills the inside.
    void SetContent(QWidget* content);
    // Moves the frame and fits its content at once, so the content's new size is known
    // before any event is delivered.
    void Place(const QRect& geometry);
    int EdgeWidth() const { return border_ ? 3 : 2; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitContent();

    bool border_;
    QWidget* content_ = nullptr;
};

} // namespace zel
