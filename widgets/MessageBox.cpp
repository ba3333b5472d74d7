#include "widgets/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <mutex>

namespace zel {

namespace {

std::mutex handlerMutex;
MessageBox::Handler currentHandler;

QMessageBox::Icon ToQt(MessageBox::Icon icon) {
    switch (icon) {
    case MessageBox::Icon::Error:
        return QMessageBox::Critical;
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void MessageBox::Error(QWidget* parent, const QString& text) {
    Show({parent, text, Icon::Error, Buttons::Ok});
}

void MessageBox::Information(QWidget* parent, const QString& text) {
    Show({parent, text, Icon::Information, Buttons::Ok});
}

MessageBox::Answer MessageBox::Question(QWidget* parent, const QString& text, Icon icon) {
    return Show({parent, text, icon, Buttons::YesNo}) == Answer::Yes ? Answer::Yes : Answer::No;
}

MessageBox::Handler MessageBox::SetHandler(Handler handler) {
    std::lock_guard lock(handlerMutex);
    std::swap(currentHandler, handler);
    return handler;
}

MessageBox::Answer MessageBox::Show(const Request& request) {
    Handler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = currentHandler;
    }
    return handler ? handler(request) : ShowModal(request);
}

MessageBox::Answer MessageBox::ShowModal(const Request& request) {
    const bool yesNo = request.buttons == Buttons::YesNo;
    QMessageBox box(ToQt(request.icon), QApplication::applicationDisplayName(), request.text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, request.parent);
    const int button = box.exec();
    if (!yesNo)
        return Answer::Ok;
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

} // namespace zel
