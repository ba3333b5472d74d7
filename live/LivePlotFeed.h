#pragma once

#include "records/SampleBlock.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace zel {

// Hands the live stream's blocks from the acquisition thread to the window's thread in the order
// they came. The worker appends under a mutex of its own and, when the list was empty, posts a
// queued call of Drain that carries no data; the window's thread takes the whole list under the
// same mutex. So nothing travels inside Qt's event queue, whose locks the race detector cannot
// see, and a burst of blocks costs one event. A child of the window: it outlives the run that
// feeds it, and a drain posted after it is gone is dropped.
class LivePlotFeed : public QObject {
    Q_OBJECT

public:
    struct Item {
        bool isBreak = false; // a gap in the stream, kept in its place among the blocks
        WaveBlock wave{};
        std::int32_t ch1 = 0;
        std::int32_t ch2 = 0;
        unsigned over = 0; // the limits this point is over
    };

    // `apply` runs on the parent's thread for every item.
    LivePlotFeed(QObject* parent, std::function<void(const Item&)> apply);

    // From any thread.
    void Push(Item item);

private:
    Q_INVOKABLE void Drain();

    std::function<void(const Item&)> apply_;
    std::mutex mutex_;
    std::vector<Item> waiting_;
};

} // namespace zel
