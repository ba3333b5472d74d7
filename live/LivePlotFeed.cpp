#include "live/LivePlotFeed.h"

#include <QMetaObject>
#include <utility>

namespace zel {

LivePlotFeed::LivePlotFeed(QObject* parent, std::function<void(const Item&)> apply)
    : QObject(parent), apply_(std::move(apply)) {}

void LivePlotFeed::Push(Item item) {
    bool post = false;
    {
        std::lock_guard lock(mutex_);
        post = waiting_.empty();
        waiting_.push_back(std::move(item));
    }
    // Otherwise a drain is on its way and takes this item too.
    if (post)
        QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
}

void LivePlotFeed::Drain() {
    std::vector<Item> items;
    {
        std::lock_guard lock(mutex_);
        items.swap(waiting_);
    }
    for (const Item& item : items)
        apply_(item);
}

} // namespace zel
