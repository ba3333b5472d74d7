#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;
class QWidget;

namespace zel {

// Ends the program on SIGTERM (a desktop session that logs out) and SIGINT (Ctrl+C) the way the
// user's close would. The signal handler only writes the signal's number into a pipe; the event
// loop reads it and closes the modal windows above `mainWindow`, top first, each through its own
// close (a live view or recording sends its stop request and keeps its blocks). Once their event
// loops have returned, `closeMain` closes the main window. A second signal while that runs ends
// the process at once, as a signal without a handler would.
class TerminationSignals : public QObject {
public:
    TerminationSignals(QWidget& mainWindow, std::function<void()> closeMain);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // False when the pipe or the handlers could not be set up; the signals then end the
    // program as they would without a handler.
    bool Installed() const { return notifier_ != nullptr; }

private:
    void OnSignal();
    void CloseNext();

    QWidget& mainWindow_;
    std::function<void()> closeMain_;
    QSocketNotifier* notifier_ = nullptr;
    bool ending_ = false;
};

} // namespace zel
