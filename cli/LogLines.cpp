#include "cli/LogLines.h"

#include <sys/stat.h>

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace zel::cli {

void LogLines::Write(LogPriority priority, const std::string& text) {
    const std::string line =
        journal_ ? "<" + std::to_string(static_cast<int>(priority)) + ">" + text + "\n"
                 : "zelmarine-cli: record: " + text + "\n";
    std::lock_guard lock(mutex_);
    err_ << line;
    err_.flush();
}

bool IsJournalStream(const char* journalStream, int fd) {
    if (!journalStream)
        return false;
    const char* end = journalStream + std::strlen(journalStream);
    unsigned long long device = 0, inode = 0;
    const auto d = std::from_chars(journalStream, end, device);
    if (d.ec != std::errc() || d.ptr == end || *d.ptr != ':')
        return false;
    const auto i = std::from_chars(d.ptr + 1, end, inode);
    if (i.ec != std::errc() || i.ptr != end || i.ptr == d.ptr + 1)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return false;
    return static_cast<unsigned long long>(info.st_dev) == device &&
           static_cast<unsigned long long>(info.st_ino) == inode;
}

bool StderrIsJournal() {
    return IsJournalStream(std::getenv("JOURNAL_STREAM"), 2);
}

} // namespace zel::cli
