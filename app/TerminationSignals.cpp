#include "app/TerminationSignals.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace zel {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT};

// The pipe's ends; one set of handlers per process.
int g_readEnd = -1;
int g_writeEnd = -1;

void OnTerminationSignal(int number) {
    // Async-signal-safe only: the default comes back for a second signal, and the number goes
    // into the pipe for the event loop.
    const int saved = errno;
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(number, &fallback, nullptr);
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = saved;
}

void RestoreDefaults() {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    for (int number : kSignals)
        ::sigaction(number, &fallback, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QWidget& mainWindow, std::function<void()> closeMain)
    : mainWindow_(mainWindow), closeMain_(std::move(closeMain)) {
    if (g_readEnd >= 0)
        return;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    g_readEnd = ends[0];
    g_writeEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int number : kSignals)
        ::sigaction(number, &action, nullptr);
    notifier_ = new QSocketNotifier(g_readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnSignal);
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_)
        return;
    RestoreDefaults();
    delete notifier_;
    ::close(g_readEnd);
    ::close(g_writeEnd);
    g_readEnd = g_writeEnd = -1;
}

void TerminationSignals::OnSignal() {
    unsigned char bytes[16];
    while (::read(g_readEnd, bytes, sizeof bytes) > 0) {
    }
    if (ending_)
        return;
    ending_ = true;
    CloseNext();
}

void TerminationSignals::CloseNext() {
    // The window on top first; a window's own modal loop returns only after this call, so the
    // next step comes from a timer.
    QWidget* top = QApplication::activeModalWidget();
    if (top && top != &mainWindow_) {
        top->close();
        QTimer::singleShot(10, this, &TerminationSignals::CloseNext);
        return;
    }
    // The main window's own loop is the only one left.
    if (QThread::currentThread()->loopLevel() > 1) {
        QTimer::singleShot(10, this, &TerminationSignals::CloseNext);
        return;
    }
    closeMain_();
}

} // namespace zel
