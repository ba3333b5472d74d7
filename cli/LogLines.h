#pragma once

#include <mutex>
#include <ostream>
#include <string>

namespace zel::cli {

// The levels a line of a running recording is filed at, as syslog numbers them.
enum class LogPriority { Error = 3, Warning = 4, Info = 6 };

// The lines a recording writes to standard error while it runs. On a terminal or into a file
// each reads "zelmarine-cli: record: TEXT" as it always has. When standard error is the
// journal, each line begins with its syslog priority ("<4>TEXT") instead, so that the journal
// files it at that level and tells the program by its own name. Lines may come from any
// thread; each is written whole and flushed.
class LogLines {
public:
    LogLines(std::ostream& err, bool journal) : err_(err), journal_(journal) {}

    void Write(LogPriority priority, const std::string& text);
    bool Journal() const { return journal_; }

private:
    std::ostream& err_;
    const bool journal_;
    std::mutex mutex_;
};

// Whether descriptor `fd` is the stream that `journalStream` names, in the form systemd's
// JOURNAL_STREAM has: "DEVICE:INODE", both decimal.
bool IsJournalStream(const char* journalStream, int fd);
// Whether this process's standard error is connected to the journal.
bool StderrIsJournal();

} // namespace zel::cli
