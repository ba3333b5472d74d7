#pragma once

#include <QFrame>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

namespace zel {

// A long job of the viewer told on the screen while it runs (reading a record to compare,
// saving the selection as a record): what it does, how far it has come, and a button that
// cancels it. It floats over the middle of the plots, where the eye is. One job at a time;
// the job's thread writes its progress into a shared count, which the window reads on a timer,
// so a job never waits for the window and never floods it with calls.
class ViewerProgress : public QFrame {
    Q_OBJECT

public:
    // Per mille done, or kUnknown while the job cannot tell.
    using Count = std::atomic<int>;
    static constexpr int kUnknown = -1;

    explicit ViewerProgress(QWidget* viewer);
    ~ViewerProgress() override;

    // Shows a job; `cancel` runs (on the window's thread) when its button is pressed. The count
    // for the job's thread, starting at `done`, or null while another job is shown.
    std::shared_ptr<Count> Begin(const QString& text, std::function<void()> cancel,
                                 int done = kUnknown);
    // The job has been told to give up but still has to end: says so, and the button goes.
    void SetCancelling();
    // The job has ended.
    void End();
    bool Busy() const { return count_ != nullptr; }

    QLabel* Text() const { return text_; }
    QProgressBar* Bar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();
    void Poll();

    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer timer_;
    std::shared_ptr<Count> count_;
    std::function<void()> onCancel_;
};

} // namespace zel
