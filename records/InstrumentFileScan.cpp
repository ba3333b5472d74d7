#include "records/InstrumentFileScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace zel {

namespace {

// Deeper than any real folder tree on a stick; stops a bind-mount loop from recursing forever.
constexpr int kMaxFolderDepth = 64;

std::string JoinPath(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::vector<std::string> SortedEntries(DIR* dir) {
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return names;
}

// Searches the open folder `folderFd` (taking it over). Sub-folders are opened relative to it
// without following links, so a link swapped in during the search leads nowhere.
void SearchFolder(int folderFd, const std::string& folder, dev_t drive, int depth,
                  std::vector<InstrumentFileEntry>& found) {
    DIR* dir = ::fdopendir(folderFd);
    if (!dir) {
        ::close(folderFd);
        return;
    }
    for (const std::string& name : SortedEntries(dir)) {
        struct stat info {};
        if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const std::string path = JoinPath(folder, name);
        if (S_ISDIR(info.st_mode)) {
            // Names beginning with '.' include "." and ".."; other mounts below are not the drive.
            if (name[0] == '.' || info.st_dev != drive || depth >= kMaxFolderDepth)
                continue;
            const int sub =
                ::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) // an unreadable folder holds nothing we can use
                SearchFolder(sub, path, drive, depth + 1, found);
        } else if (S_ISREG(info.st_mode) && IsInstrumentFileName(name)) {
            if (auto entry = ReadInstrumentFileEntry(path))
                found.push_back(std::move(*entry));
        }
    }
    ::closedir(dir); // also closes folderFd
}

} // namespace

bool IsInstrumentFileName(const std::string& name) {
    const std::size_t dot = name.find('.');
    const std::string_view extension =
        dot == std::string::npos ? std::string_view(name) : std::string_view(name).substr(dot + 1);
    return extension.substr(0, 3) == "TCH";
}

std::vector<InstrumentFileEntry> ScanInstrumentFiles(const std::vector<std::string>& roots) {
    std::vector<InstrumentFileEntry> found;
    for (const std::string& root : roots) {
        const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat info {};
        if (fd < 0)
            continue;
        if (::fstat(fd, &info) == 0)
            SearchFolder(fd, root, info.st_dev, 0, found);
        else
            ::close(fd);
    }
    return found;
}

} // namespace zel
