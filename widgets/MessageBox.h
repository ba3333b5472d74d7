#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zel {

// Every message box of the program goes through here, so that tests can watch the boxes and
// answer them without a person at the screen. Call from the window thread only.
class MessageBox {
public:
    enum class Icon { Error, Information, Question };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    struct Request {
        QWidget* parent = nullptr;
        QString text;
        Icon icon = Icon::Error;
        Buttons buttons = Buttons::Ok;
    };

    using Handler = std::function<Answer(const Request&)>;

    // Error icon, OK button.
    static void Error(QWidget* parent, const QString& text);
    // Information icon, OK button.
    static void Information(QWidget* parent, const QString& text);
    // Yes and No buttons; returns Yes or No.
    static Answer Question(QWidget* parent, const QString& text, Icon icon = Icon::Question);

    // Installs a handler in place of the real boxes (an empty one restores them) and returns
    // the previous one.
    static Handler SetHandler(Handler handler);

    // The real box: a modal QMessageBox titled with the application's name.
    static Answer ShowModal(const Request& request);

private:
    static Answer Show(const Request& request);
};

// Installs a handler for the life of a scope, then puts the previous one back.
class ScopedMessageBoxHandler {
public:
    explicit ScopedMessageBoxHandler(MessageBox::Handler handler)
        : previous_(MessageBox::SetHandler(std::move(handler))) {}
    ~ScopedMessageBoxHandler() { MessageBox::SetHandler(std::move(previous_)); }
    ScopedMessageBoxHandler(const ScopedMessageBoxHandler&) = delete;
    ScopedMessageBoxHandler& operator=(const ScopedMessageBoxHandler&) = delete;

private:
    MessageBox::Handler previous_;
};

} // namespace zel
