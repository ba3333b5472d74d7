#include "common/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

namespace zel {
namespace {

// The kernel gives up on longer chains as well.
constexpr int kMaxLinkDepth = 40;

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The file a chain of symbolic links ends at; it need not exist yet. Nothing for a loop or a
// link that cannot be read.
std::optional<std::string> FollowLinks(std::string path) {
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
            return std::nullopt;
        std::string target(buffer.data(), static_cast<std::size_t>(n));
        path = target.front() == '/' ? target : FolderOf(path) + "/" + target;
    }
    return std::nullopt;
}

enum class ReplaceResult { Done, CannotReplace, Failed };

ReplaceResult ReplaceAtomically(const std::string& target, const std::string& contents,
                                const struct stat* existing) {
    const std::string temp = target + ".tmp";
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return ReplaceResult::CannotReplace;
    // The new file takes the old one's permissions: a config.ini kept private stays private.
    if (existing)
        ::fchmod(fd, existing->st_mode & 07777);
    const bool written = WriteAll(fd, contents) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
        // Out of space or a failing disk: the old file is left as it was.
        ::unlink(temp.c_str());
        return ReplaceResult::Failed;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return ReplaceResult::CannotReplace;
    }
    return ReplaceResult::Done;
}

bool WriteInPlace(const std::string& target, const std::string& contents) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Overwrite first and cut afterwards, so the file is never empty in between.
    const bool written = WriteAll(fd, contents) &&
                         ::ftruncate(fd, static_cast<off_t>(contents.size())) == 0 &&
                         ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

} // namespace

bool ReplaceFileContents(const std::string& path, const std::string& contents) {
    const auto followed = FollowLinks(path);
    if (!followed)
        return false;
    const std::string& target = *followed;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    // A file its owner made read-only is not replaced behind their back.
    if (exists && ::access(target.c_str(), W_OK) != 0)
        return false;
    switch (ReplaceAtomically(target, contents, exists ? &st : nullptr)) {
    case ReplaceResult::Done:
        return true;
    case ReplaceResult::Failed:
        return false;
    case ReplaceResult::CannotReplace:
        break;
    }
    return exists && WriteInPlace(target, contents);
}

} // namespace zel
