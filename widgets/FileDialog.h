#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zel {

// Every file-open and file-save dialog of the program goes through here, so that tests can see
// what a window asks for and answer in the user's place. Call from the window thread only.
class FileDialog {
public:
    enum class Mode { Open, Save };

    struct Request {
        QWidget* parent = nullptr;
        Mode mode = Mode::Open;
        QString filter;        // "Zelmarine Files (*.zmr)"; several separated by ";;"
        QString defaultSuffix; // added to a name typed without one (the chosen filter's, later)
        QString directory;     // where the dialog starts; empty for the platform's choice
        QString fileName;      // the name offered at first; empty for none
    };

    // The chosen path, or an empty text when the user cancels.
    using Handler = std::function<QString(const Request&)>;

    // An existing file; the read-only option is not offered.
    static QString GetOpenFileName(QWidget* parent, const QString& filter,
                                   const QString& defaultSuffix);
    // A file to write; asks before an existing file is replaced.
    static QString GetSaveFileName(QWidget* parent, const QString& filter,
                                   const QString& defaultSuffix, const QString& directory,
                                   const QString& fileName = {});

    // Installs a handler in place of the real dialogs (an empty one restores them) and returns
    // the previous one.
    static Handler SetHandler(Handler handler);

    // The real dialog, modal on the parent.
    static QString ShowModal(const Request& request);

private:
    static QString Show(const Request& request);
};

// Installs a handler for the life of a scope, then puts the previous one back.
class ScopedFileDialogHandler {
public:
    explicit ScopedFileDialogHandler(FileDialog::Handler handler)
        : previous_(FileDialog::SetHandler(std::move(handler))) {}
    ~ScopedFileDialogHandler() { FileDialog::SetHandler(std::move(previous_)); }
    ScopedFileDialogHandler(const ScopedFileDialogHandler&) = delete;
    ScopedFileDialogHandler& operator=(const ScopedFileDialogHandler&) = delete;

private:
    FileDialog::Handler previous_;
};

} // namespace zel
