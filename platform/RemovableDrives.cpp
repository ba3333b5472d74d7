#include "platform/RemovableDrives.h"

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace zel {

namespace {

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

} // namespace zel
