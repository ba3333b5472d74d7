#include "fuzz/FuzzSupport.h"

#include "fuzz/FuzzTargets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zel::fuzz {
namespace {

void AbortOnFailure(const std::string& message) {
    std::fprintf(stderr, "fuzz check failed: %s\n", message.c_str());
    std::abort();
}

CheckFailureHandler failureHandler = AbortOnFailure;

// The root of the sandbox; prefers memory-backed /dev/shm since the targets write files for
// every input.
class SandboxRoot {
public:
    SandboxRoot() {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = tmp && tmp[0] == '/' ? tmp : "/tmp";
        if (!tmp && std::filesystem::is_directory("/dev/shm"))
            base = "/dev/shm";
        std::string pattern = base + "/zel-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~SandboxRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace

void SetCheckFailureHandler(CheckFailureHandler handler) {
    failureHandler = handler ? handler : AbortOnFailure;
}

void Check(bool condition, const char* what) {
    if (!condition)
        failureHandler(what);
}

std::uint8_t ByteReader::Byte() {
    return Empty() ? 0 : data_[position_++];
}

std::uint16_t ByteReader::Word() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
}

std::vector<std::uint8_t> ByteReader::Bytes(std::size_t count) {
    const std::size_t n = std::min(count, Left());
    std::vector<std::uint8_t> bytes(data_ + position_, data_ + position_ + n);
    position_ += n;
    return bytes;
}

std::string SandboxFolder(const std::string& name) {
    static SandboxRoot root;
    const std::string folder = root.Path() + "/" + name;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    if (!std::filesystem::create_directories(folder, error) || error) {
        std::fprintf(stderr, "cannot make %s: %s\n", folder.c_str(), error.message().c_str());
        std::abort();
    }
    return folder;
}

void WriteWholeFile(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace zel::fuzz
