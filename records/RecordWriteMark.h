#pragma once

#include <string>

namespace zel {

// A writer's mark on the record file it is still writing: an advisory lock on the file, held
// while the mark lives and dropped by the system when the writer ends, however it ends. It keeps
// no one from reading or writing; readers ask for it to tell a record that is still growing
// from a complete one. A file system without such locks gives no mark, and readers then go by
// the file's changes alone.
class RecordWriteMark {
public:
    RecordWriteMark() = default;
    explicit RecordWriteMark(const std::string& path);
    ~RecordWriteMark();
    RecordWriteMark(RecordWriteMark&& other) noexcept;
    RecordWriteMark& operator=(RecordWriteMark&& other) noexcept;
    RecordWriteMark(const RecordWriteMark&) = delete;
    RecordWriteMark& operator=(const RecordWriteMark&) = delete;

    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Whether a writer marks the record file at `path` as still being written.
bool IsRecordBeingWritten(const std::string& path);

} // namespace zel
