#pragma once

#include "widgets/PngImage.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <map>
#include <optional>

namespace zel {

// The skinned base of the program's windows: a frameless dialog with its own 25-pixel title
// strip (dark blue gradient, logo, white title), image buttons for close and, on the main
// window, minimise and maximise/restore, a black outline and rounded corners. The windows cannot
// be resized by their edges, nor dragged unless they let themselves be moved by the strip. Derived
// windows paint their client area in PaintClient() and decide in CanClose() whether a close request
// (frame button, Escape, close()) is granted.
class CMyDialog : public QDialog {
    Q_OBJECT

public:
    enum class HitCode { Client, Minimize, Maximize, Close };

    static constexpr int kStripHeight = 25;

    explicit CMyDialog(QWidget* parent = nullptr, bool mainWindow = false);

    // Sets the title drawn in the strip and the window title shown by the taskbar.
    virtual void SetTitle(const QString& title);
    QString Title() const { return title_; }

    bool IsMainWindow() const { return mainWindow_; }

    // Frame geometry in client coordinates for the present size.
    QRect TitleRect() const;
    QRect MinimizeRect() const;
    QRect MaximizeRect() const;
    QRect CloseRect() const;

    HitCode HitTest(const QPoint& clientPoint) const;

    // Maximises into the work area of the window's screen (panels and taskbar stay visible),
    // or restores and centres the window when it is maximised.
    void ToggleMaximize();
    void ShowMaximizedInWorkArea();
    void RestoreFromMaximized();
    bool IsMaximizedInWorkArea() const { return maximized_; }

    // The button drawn hovered or pressed, Client when none.
    HitCode HoveredButton() const { return hovered_; }
    HitCode PressedButton() const { return pressed_; }

    void reject() override;

protected:
    // The window follows the pointer while the left button holds its strip (outside the
    // buttons); for the small tool windows that sit beside the viewer.
    void SetMovableByStrip(bool movable) { movableByStrip_ = movable; }
    // The client area under the frame; the frame is drawn over it afterwards.
    virtual void PaintClient(QPainter& painter);
    // Asked before the window closes; false keeps it open.
    virtual bool CanClose() { return true; }
    // The area a maximised window fills: the screen without panels and taskbar.
    virtual QRect WorkArea() const;

    void paintEvent(QPaintEvent* event) override;
    // Every showing chains the controls for the keyboard in reading order, with the layout the
    // window has by then.
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PaintFrame(QPainter& painter);
    void PaintStrip(QPainter& painter);
    const QImage& ButtonImage(HitCode button) const;
    void ApplyMask();
    void CenterInWorkArea();
    // The strip's part behind the frame buttons.
    QRect ButtonsRect() const;
    void UpdateButtons();

    bool mainWindow_ = false;
    bool maximized_ = false;
    QRect normalGeometry_;
    QString title_ = QStringLiteral("Kestova");
    QFont titleFont_;
    HitCode hovered_ = HitCode::Client;
    // Whether a paint has shown the hovered image; the next one draws the buttons normal.
    bool hoverPainted_ = false;
    HitCode pressed_ = HitCode::Client;
    std::map<int, PngImage> images_;
    bool movableByStrip_ = false;
    std::optional<QPoint> dragOffset_; // the pointer's place in the window while it is dragged
};

} // namespace zel
