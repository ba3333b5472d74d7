#pragma once

#include "records/RecordFile.h"

#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

#include <sys/types.h>

namespace zel {

// Follows a record file that is still being written, as `tail -f` follows a log: twice a
// second it looks at the file's length and hands over the record again, opened anew, when
// whole blocks have been added. A block being written is never handed over half.
//
// A file its writer marks as being written (RecordWriteMark) is growing from the start. Any
// other file that changed within the quiet limit is watched, and is growing once it grows.
// Following ends when the file is complete: its writer's mark is gone, or (without a mark) its
// writer has begun a later file of the same series beside it; when it has not changed for the
// quiet limit (the longest a recording waits between reconnect attempts: after a longer gap a
// recording goes on in a new file); or when it was replaced, cut short or removed. Window thread
// only.
class RecordFollower : public QObject {
    Q_OBJECT

public:
    struct Timing {
        std::chrono::milliseconds period{500};
        std::chrono::milliseconds quietLimit; // default: the recordings' longest reconnect wait
        Timing();
    };
    using OnGrown = std::function<void(std::shared_ptr<const RecordImage> record)>;
    // The record as last handed over, when following ends by itself.
    using OnEnded = std::function<void(std::shared_ptr<const RecordImage> record)>;

    RecordFollower(OnGrown onGrown, OnEnded onEnded, Timing timing = {});

    // Starts watching `record`, read from `path`, when it may be written still; stops watching
    // any earlier one (without calling onEnded). Returns whether it is growing already (its
    // writer's mark is on it).
    bool Follow(std::shared_ptr<const RecordImage> record, const QString& path);
    void Stop();
    bool Watching() const { return timer_.isActive(); }
    // Watching a record that is known to grow: onEnded is called when it stops.
    bool Following() const { return Watching() && growing_; }

private:
    using Clock = std::chrono::steady_clock;
    void Tick();
    void End();
    bool LaterFileBeside() const;
    std::optional<RecordImage> Reopen() const;

    OnGrown onGrown_;
    OnEnded onEnded_;
    Timing timing_;
    QTimer timer_;
    std::shared_ptr<const RecordImage> record_;
    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::int64_t size_ = 0;
    std::int64_t blocks_ = 0;
    bool marked_ = false;  // its writer's mark was on it
    bool growing_ = false; // marked, or seen growing
    Clock::time_point lastChange_;
    Clock::time_point lastSiblingCheck_;
};

} // namespace zel
