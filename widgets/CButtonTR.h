#pragma once

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

namespace zel {

// A command button that looks transparent over its parent's background: an icon at 32 x 32
// with the caption to its right, a translucent rounded highlight under the pointer and a light
// grey field while pressed. The background is a copy of the parent's pixels under the button,
// taken at the first draw and kept until DropBackground() or a change of size; a parent whose
// background changes calls DropBackground() afterwards.
class CButtonTR : public QPushButton {
    Q_OBJECT

public:
    explicit CButtonTR(QWidget* parent = nullptr);
    CButtonTR(const QString& caption, QWidget* parent);

    // Loads the icon resource (128, 133 to 138); an unknown id leaves the button without icon.
    void SetIcon(int iconId);
    int IconId() const { return iconId_; }
    bool HasIcon() const { return !icon_.isNull(); }

    void DropBackground();
    bool HasBackground() const { return !background_.isNull(); }

    bool IsHovered() const { return hovered_; }

    // Where the icon and the caption go in a button of this size.
    static QRect IconRect(const QSize& size);
    static QRect CaptionRect(const QSize& size, bool pressed);

    static constexpr QRgb kHoverColour = 0x96FFFDFF;
    static constexpr QRgb kPressedColour = 0xFFEEEEEE;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PaintBackground(QPainter& painter);
    void SetHovered(bool hovered);

    bool hovered_ = false;
    QIcon icon_;
    int iconId_ = 0;
    QPixmap background_;
    QSize backgroundSize_;
    QFont captionFont_;
};

} // namespace zel
