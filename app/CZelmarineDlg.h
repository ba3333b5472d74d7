#pragma once

#include "app/StatusPoller.h"
#include "widgets/CMyDialog.h"
#include "widgets/PngImage.h"

#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;

namespace zel {

class CButtonTR;
class CDigital;

// Where the main window finds the instrument, the Wi-Fi state and its settings file.
struct MainWindowEnvironment {
    DeviceLink* link = nullptr;
    StatusPoller::WifiProbe wifiProbe;
    std::string configPath;
    // Adds items of its own to the title strip's menu (the demo's instrument controls).
    std::function<void(QMenu&)> extendTitleMenu;
};

// The program's home screen: Wi-Fi and instrument status from the poller, the current
// readouts, and the row of buttons that open every other window. It makes sure only one party
// talks to the instrument at a time by stopping its poller around every device window.
class CZelmarineDlg : public CMyDialog {
    Q_OBJECT

public:
    // Button ids.
    enum : int {
        kViewer = 1000,
        kLiveView = 1025,
        kTransfer = 1029,
        kSettings = 1028,
        kRecording = 1030,
        kFileAnalysis = 1031,
        kExit = 1032,
        kSync = 1052,
    };

    // Makes the window a button opens. Device windows get a copy of the last status; the
    // others get none.
    using WindowFactory =
        std::function<std::unique_ptr<QDialog>(QWidget* parent, const DeviceStatus* status)>;

    explicit CZelmarineDlg(MainWindowEnvironment environment, QWidget* parent = nullptr);
    ~CZelmarineDlg() override;

    void SetWindowFactory(int buttonId, WindowFactory factory);

    StatusPoller& Poller() { return *poller_; }
    CButtonTR* Button(int id) const;
    QPushButton* SyncButton() const { return syncButton_; }

    void accept() override;
    // Closes as the exit button does, without the exit question: the poller stops and the
    // instrument gets the farewell (the end of a desktop session, a termination signal).
    void CloseWithoutQuestion();

protected:
    void PaintClient(QPainter& painter) override;
    bool CanClose() override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateControls();
    QLabel* AddLabel(int id, const QString& text, const QRect& units);
    void FitPanels(const std::vector<QGroupBox*>& panels);
    void ApplyUpdate(const PollerUpdate& update);
    void OnButton(int id);
    bool CheckDevice(int id);
    void RunWindow(int id, bool deviceWindow);
    void OnSettings();
    void OnSync();
    void ShowAbout();

    MainWindowEnvironment environment_;
    std::unique_ptr<StatusPoller> poller_;
    std::map<int, CButtonTR*> buttons_;
    std::map<int, QLabel*> labels_;
    std::map<int, WindowFactory> factories_;
    CDigital* ch1_ = nullptr;
    CDigital* ch2_ = nullptr;
    QPushButton* syncButton_ = nullptr;
    PngImage picture_;
    bool initialised_ = false;
    bool resized_ = true;
    bool askBeforeClose_ = true;
};

} // namespace zel
