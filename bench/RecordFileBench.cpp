#include "records/InstrumentFile.h"
#include "records/RecordFile.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

// Files the benchmarks read, made once per run in a private temporary folder.
class BenchFiles {
public:
    static BenchFiles& Get() {
        static BenchFiles files;
        return files;
    }
    ~BenchFiles() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    const std::string& folder() const { return folder_; }
    const std::string& waveformRecord() {
        if (waveform_.empty())
            waveform_ = MakeWaveformRecord();
        return waveform_;
    }
    const std::string& instrumentFile() {
        if (instrument_.empty())
            instrument_ = MakeInstrumentFile();
        return instrument_;
    }

private:
    BenchFiles() {
        std::string pattern = (fs::temp_directory_path() / "zel-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            folder_ = pattern;
    }

    // About 100 MB of blocks, written in one go rather than one append per block.
    std::string MakeWaveformRecord() const {
        const std::string path = zel::CreateWaveformRecord("S", 12, 1001, folder_);
        std::ofstream out(path, std::ios::binary | std::ios::app);
        zel::SampleBlock block;
        for (int n = 0; n < 100'000'000 / static_cast<int>(sizeof block); ++n) {
            block.ch1Current = static_cast<std::uint32_t>(n);
            block.ch1[n % zel::kSamplesPerChannel] = static_cast<std::int16_t>(n);
            out.write(reinterpret_cast<const char*>(&block), sizeof block);
        }
        return path;
    }

    // 64 full slots, each one recording of about two hours, apart from the others.
    std::string MakeInstrumentFile() const {
        zel::InstrumentStorage storage;
        const std::int64_t start = 1400000000;
        for (int s = 0; s < zel::kStorageSlots; ++s) {
            std::vector<zel::TrendFrame> frames(zel::kMaxFramesPerSlot);
            for (int f = 0; f < zel::kMaxFramesPerSlot; ++f) {
                frames[f].time = start + s * 10000 + f * 31;
                frames[f].block.ch1[0] = static_cast<std::int16_t>(f);
            }
            storage.SetSlotFrames(s, std::move(frames));
        }
        storage.recordSlots = zel::InstrumentStorage::RecordSlotsFor(zel::kStorageSlots);
        const std::string path = folder_ + "/full.TCH";
        zel::WriteInstrumentFile(path, storage, {12, 3, start});
        return path;
    }

    std::string folder_;
    std::string waveform_;
    std::string instrument_;
};

void BM_ReadRecordFileWaveform100MB(benchmark::State& state) {
    const std::string& path = BenchFiles::Get().waveformRecord();
    std::size_t blocks = 0;
    for (auto _ : state) {
        auto data = zel::ReadRecordFile(path);
        blocks = data ? data->blocks.size() : 0;
        benchmark::DoNotOptimize(data);
    }
    state.counters["blocks"] = static_cast<double>(blocks);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_ReadRecordFileWaveform100MB)->Unit(benchmark::kMillisecond);

// The floor for the reader: the same file read into one buffer.
void BM_PlainReadWaveform100MB(benchmark::State& state) {
    const std::string& path = BenchFiles::Get().waveformRecord();
    const auto size = fs::file_size(path);
    for (auto _ : state) {
        std::vector<char> buffer(size);
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::size_t done = 0;
        while (fd >= 0 && done < size) {
            const ssize_t n = ::read(fd, buffer.data() + done, size - done);
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        if (fd >= 0)
            ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}
BENCHMARK(BM_PlainReadWaveform100MB)->Unit(benchmark::kMillisecond);

// 64 slots × 255 frames into "U" record files, one open-append-close per block.
void BM_ConvertFullInstrumentFile(benchmark::State& state) {
    const std::string& path = BenchFiles::Get().instrumentFile();
    const std::string out = BenchFiles::Get().folder() + "/U";
    int files = 0;
    for (auto _ : state) {
        files = 0;
        const auto result = zel::ConvertInstrumentFile(
            path, [&](const zel::RecordFileSummary&) { ++files; }, out);
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        fs::remove_all(out);
        state.ResumeTiming();
    }
    state.counters["files"] = files;
    state.counters["frames"] = zel::kStorageSlots * zel::kMaxFramesPerSlot;
}
BENCHMARK(BM_ConvertFullInstrumentFile)->Unit(benchmark::kMillisecond);

// The in-memory part of the conversion: checks, dates and sorting of 16,320 blocks.
void BM_ExtractInstrumentFrames(benchmark::State& state) {
    std::ifstream in(BenchFiles::Get().instrumentFile(), std::ios::binary);
    std::vector<std::uint8_t> file(zel::kInstrumentFileSize);
    in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
    for (auto _ : state)
        benchmark::DoNotOptimize(zel::ExtractInstrumentFrames(0x80, file.data() + 256));
}
BENCHMARK(BM_ExtractInstrumentFrames)->Unit(benchmark::kMillisecond);

} // namespace
