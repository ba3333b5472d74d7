#pragma once

#include <QPoint>
#include <functional>

class QAction;
class QMenu;

namespace zel {

// Every pop-up menu of the program is run through here, so that tests can see the menu a
// window offers and pick an item in the user's place. Call from the window thread only.
class PopupMenu {
public:
    // The chosen item, or nullptr when the menu is dismissed.
    using Handler = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;

    // Shows the menu with its top-left corner at globalPos until an item is chosen or the menu
    // is dismissed.
    static QAction* Exec(QMenu& menu, const QPoint& globalPos);

    // Installs a handler in place of the real menus (an empty one restores them) and returns
    // the previous one.
    static Handler SetHandler(Handler handler);
};

// Installs a handler for the life of a scope, then puts the previous one back.
class ScopedPopupMenuHandler {
public:
    explicit ScopedPopupMenuHandler(PopupMenu::Handler handler)
        : previous_(PopupMenu::SetHandler(std::move(handler))) {}
    ~ScopedPopupMenuHandler() { PopupMenu::SetHandler(std::move(previous_)); }
    ScopedPopupMenuHandler(const ScopedPopupMenuHandler&) = delete;
    ScopedPopupMenuHandler& operator=(const ScopedPopupMenuHandler&) = delete;

private:
    PopupMenu::Handler previous_;
};

} // namespace zel
