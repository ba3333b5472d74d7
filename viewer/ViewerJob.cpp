#include "viewer/ViewerJob.h"

namespace zel {

void ViewerJob::Cancel() {
    if (cancelled_)
        cancelled_->store(true);
    if (drop_)
        drop_();
    Join();
    busy_ = false;
}

void ViewerJob::Join() {
    if (thread_.joinable())
        thread_.join();
}

} // namespace zel
