#pragma once

#include <cstddef>
#include <sys/types.h>

namespace zel {

// Owns a POSIX file descriptor and closes it when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Closes now and says whether the data made it out: a full disk may only show up here.
    bool Close();

    // Writes all of `data`, retrying after interruptions and partial writes.
    bool WriteAll(const void* data, std::size_t size) const;

    // Whether the descriptor is a regular file (not a folder, device, pipe or socket).
    bool IsRegularFile() const;

    // Reads until `size` bytes or the end of the file. Returns the number of bytes read, or -1
    // when the read failed.
    ssize_t ReadAll(void* data, std::size_t size) const;
    // The same from `offset` on, leaving the file position alone: safe from several threads.
    ssize_t ReadAllAt(void* data, std::size_t size, off_t offset) const;

private:
    int fd_;
};

} // namespace zel
