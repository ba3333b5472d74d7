#include "WeekRecord.h"

#include "records/FileDescriptor.h"
#include "records/RecordFile.h"
#include "tests/support/MainsSignal.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace zel::bench {

namespace {

namespace fs = std::filesystem;

constexpr int kBlocksPerWrite = 2600; // about 4 MB

std::string TemporaryFolder() {
    struct statvfs room {};
    const double needed = 2.5e9;
    std::string parent = fs::temp_directory_path().string();
    if (::statvfs("/dev/shm", &room) == 0 &&
        static_cast<double>(room.f_bavail) * static_cast<double>(room.f_frsize) > 2 * needed)
        parent = "/dev/shm";
    std::string pattern = parent + "/zel-week-bench-XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

struct Week {
    Week() : folder(TemporaryFolder()) {
        if (folder.empty())
            return;
        const std::string record = CreateWaveformRecord("S", 12, 1203, folder);
        FileDescriptor file(::open(record.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
        const SampleBlock shape = test::MainsOf<SampleBlock>(test::BenchMains(), 0);
        std::vector<SampleBlock> chunk(kBlocksPerWrite);
        for (int n = 0; n < kWeekBlocks && file.valid();) {
            const int count = std::min(kBlocksPerWrite, kWeekBlocks - n);
            for (int k = 0; k < count; ++k, ++n) {
                SampleBlock& block = chunk[static_cast<std::size_t>(k)];
                const float swell = static_cast<float>(1 + 0.4 * std::sin(n / 900.0));
                for (int p = 0; p < kSamplesPerChannel; ++p) {
                    block.ch1[p] = static_cast<std::int16_t>(shape.ch1[p] * swell);
                    block.ch2[p] = static_cast<std::int16_t>(shape.ch2[p] * (2 - swell));
                }
                block.ch1Current = static_cast<std::uint32_t>(std::lround(113 * swell));
                block.ch2Current = static_cast<std::uint32_t>(std::lround(67 * (2 - swell)));
            }
            if (!file.WriteAll(chunk.data(), sizeof(SampleBlock) * static_cast<std::size_t>(count)))
                break;
        }
        if (file.Close())
            path = record;
        else
            std::fprintf(stderr, "the week-long record could not be written in %s\n",
                         folder.c_str());
    }
    ~Week() {
        std::error_code ignored;
        if (!folder.empty())
            fs::remove_all(folder, ignored);
    }

    std::string folder;
    std::string path;
};

} // namespace

const std::string& WeekRecord() {
    static const Week week;
    return week.path;
}

} // namespace zel::bench
