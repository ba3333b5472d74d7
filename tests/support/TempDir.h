#pragma once

#include "common/LocalTime.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace zel::test {

// A fresh folder per test (tests run in parallel processes), removed with everything in it.
class TempDir {
public:
    TempDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string pattern = (std::filesystem::temp_directory_path() /
                               ("zel-" + std::string(info ? info->name() : "test") + "-" +
                                std::to_string(::getpid()) + "-XXXXXX"))
                                  .string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A local date and time as a time stamp.
inline std::int64_t Local(int y, int mo, int d, int h, int mi, int s) {
    std::int64_t t = 0;
    EXPECT_TRUE(FromLocalDateTime({y, mo, d, h, mi, s}, t));
    return t;
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

} // namespace zel::test
