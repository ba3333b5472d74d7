#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// A record file that retention may delete, with what its deletion is reported by.
struct RetainedRecord {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t firstTime = 0; // the file's start: its first block
    std::int64_t lastTime = 0;  // its last block (the start when it holds none)
};

// The record files one writer leaves in its folder: those of its prefix and its instrument.
struct RecordSeries {
    std::string folder;
    std::string prefix;
    std::uint16_t deviceNumber = 0; // as the instrument reports it (the header's field)
};

// The parts of a record file's name "PREFIX-NUMBER-YYYYMMDDhhmmss.zmr", or of one with "-2",
// "-3", ... before ".zmr" (the copy; 1 without).
struct RecordName {
    std::string prefix;
    std::string number; // the device number as shown
    std::string stamp;  // 14 digits of local time
    int copy = 1;
    // Begun after `other` by the same writer: the same prefix and number, a later name.
    bool Follows(const RecordName& other) const;
};
std::optional<RecordName> ParseRecordName(const std::string& fileName);

// The files of `series` that may go, oldest last block first. Only files that are record files
// by name ("PREFIX-NUMBER-YYYYMMDDhhmmss.zmr", or with "-2", "-3", ... before ".zmr", NUMBER
// being the device number as shown) and by header (the record magic and the same device
// number), regular files, not links. Never `current` (the file being written), never a file
// with a notes sidecar beside it: someone annotated it.
std::vector<RetainedRecord> DeletableRecords(const RecordSeries& series,
                                             const std::string& current);

// Free space for an unprivileged writer on the file system of a folder; a seam for the tests.
class FreeSpaceSource {
public:
    virtual ~FreeSpaceSource() = default;
    // Bytes free, or nothing with errno set when the file system cannot tell.
    virtual std::optional<std::uint64_t> Available(const std::string& folder) const = 0;
};

// statvfs of the folder.
class FileSystemFreeSpace : public FreeSpaceSource {
public:
    std::optional<std::uint64_t> Available(const std::string& folder) const override;
};

// Keeps a recording's folder from filling: deletes the oldest files of its series by age and by
// free space. Nothing written is ever lost to make room for the new: when every deletable file
// is gone and space is still short, it says so and the recording goes on.
class RecordRetention {
public:
    struct Rules {
        int keepDays = 0;          // 0: no deletion by age
        std::uint64_t minFree = 0; // 0: no deletion by free space
    };
    enum class Reason { Age, FreeSpace };
    // What the owner hears of, in order, to report: one call per file deleted or not deletable.
    struct Deletion {
        RetainedRecord file;
        Reason reason = Reason::Age;
        int error = 0; // errno when the file could not be deleted
    };
    struct Shortage {
        std::optional<std::uint64_t> available; // nothing: the free space could not be read
        int error = 0;                          // errno of that
    };
    using OnDeletion = std::function<void(const Deletion&)>;
    using OnShortage = std::function<void(const Shortage&)>;
    using Clock = std::function<std::int64_t()>; // seconds since 1970

    RecordRetention(RecordSeries series, Rules rules, const FreeSpaceSource& space, Clock now,
                    OnDeletion onDeletion, OnShortage onShortage);

    bool Active() const { return rules_.keepDays > 0 || rules_.minFree > 0; }
    // After a file was ended: deletes the files whose last block is older than keepDays.
    void DeleteByAge(const std::string& current);
    // Before a file is begun and every few minutes: deletes the oldest files while less than
    // minFree is free. `current` is the file being written, if any.
    void MakeRoom(const std::string& current);

private:
    bool Delete(const RetainedRecord& file, Reason reason, const std::string& current);

    RecordSeries series_;
    Rules rules_;
    const FreeSpaceSource& space_;
    Clock now_;
    OnDeletion onDeletion_;
    OnShortage onShortage_;
    // The recording thread and the one that checks the space every few minutes may both run.
    std::mutex mutex_;
};

} // namespace zel
