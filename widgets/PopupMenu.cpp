#include "widgets/PopupMenu.h"

#include <QMenu>
#include <mutex>

namespace zel {

namespace {

std::mutex handlerMutex;
PopupMenu::Handler currentHandler;

} // namespace

QAction* PopupMenu::Exec(QMenu& menu, const QPoint& globalPos) {
    Handler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = currentHandler;
    }
    return handler ? handler(menu, globalPos) : menu.exec(globalPos);
}

PopupMenu::Handler PopupMenu::SetHandler(Handler handler) {
    std::lock_guard lock(handlerMutex);
    std::swap(currentHandler, handler);
    return handler;
}

} // namespace zel
