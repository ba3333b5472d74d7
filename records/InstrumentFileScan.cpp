#include "records/InstrumentFileScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace zel {

namespace {

// Deeper than any real folder tree on a stick; stops a bind-mount loop from recursing forever.
constexpr int kMaxFolderDepth = 64;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// mountinfo writes space, tab, newline and backslash in paths as three-digit octal escapes.
std::string UnescapeMountPath(const std::string& field) {
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) &&
            isOctal(field[i + 2]) && isOctal(field[i + 3])) {
            path += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            path += field[i];
        }
    }
    return path;
}

// A partition's sysfs folder has a "partition" file and sits inside its disk's folder; only the
// disk says whether the medium is removable.
bool IsRemovableDevice(const std::string& sysRoot, const std::string& majorMinor) {
    std::error_code error;
    std::filesystem::path device =
        std::filesystem::canonical(sysRoot + "/dev/block/" + majorMinor, error);
    if (error)
        return false;
    if (std::filesystem::exists(device / "partition", error))
        device = device.parent_path();
    const std::string removable = ReadWholeFile((device / "removable").string());
    return !removable.empty() && removable[0] == '1';
}

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

std::vector<std::string> RemovableDriveRoots(const std::string& mountinfo,
                                             const std::string& sysRoot) {
    std::vector<std::string> roots;
    std::set<std::string> devices;
    std::istringstream lines(mountinfo);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string id, parent, majorMinor, root, mountPoint;
        if (!(fields >> id >> parent >> majorMinor >> root >> mountPoint))
            continue;
        // The same stick mounted twice is searched once.
        if (devices.count(majorMinor) || !IsRemovableDevice(sysRoot, majorMinor))
            continue;
        devices.insert(majorMinor);
        roots.push_back(UnescapeMountPath(mountPoint));
    }
    return roots;
}

std::vector<std::string> RemovableDriveRoots() {
    return RemovableDriveRoots(ReadWholeFile("/proc/self/mountinfo"), "/sys");
}

bool IsInstrumentFileName(const std::string& name) {
    const std::size_t dot = name.find('.');
    const std::string_view extension =
        dot == std::string::npos ? std::string_view(name) : std::string_view(name).substr(dot + 1);
    return extension.substr(0, 3) == "TCH";
}

std::vector<InstrumentFileEntry> ScanInstrumentFiles() {
    return ScanInstrumentFiles(RemovableDriveRoots());
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
