#include "common/ModuleDirectory.h"

#include "common/FileLocations.h"

#include <unistd.h>

#include <vector>

namespace zel {

std::string GetModuleDirectory() {
    // readlink does not say whether it truncated, so grow the buffer until the path fits.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return "./";
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(n));
            const auto slash = path.rfind('/');
            return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ConfigFilePath() {
    return FileLocations::ForThisProcess().UseConfigFile();
}

std::string PictureDirectory() {
    return FileLocations::ForThisProcess().UsePictureDirectory();
}

} // namespace zel
