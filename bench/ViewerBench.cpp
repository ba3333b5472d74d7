// The record viewer on records of many hours: opening to the first painted frame, and one
// scroll or zoom step (with its repaint) at the widest span. Memory held for an open record is
// the growth of the heap in use over the same viewer showing an empty record of the same kind,
// so the window's own buffers do not count. (The resident set would not do: the allocator
// reuses freed heap pages from one iteration to the next without the set growing.)
#include "BenchApplication.h"
#include "WeekRecord.h"
#include "plot/CurseWnd.h"
#include "plot/WaveWnd.h"
#include "records/RecordFile.h"
#include "tests/support/MainsSignal.h"
#include "viewer/ViewDlg.h"
#include "viewer/ViewerCompare.h"
#include "viewer/ViewerNotes.h"
#include "viewer/ViewerStatistics.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

namespace {

using namespace zel;
namespace fs = std::filesystem;

constexpr int kBlocksPerHour = 7200; // two blocks a second
constexpr int kStorageBlocks = 64 * 255;

// Bytes handed out by malloc and not yet freed, mapped chunks included.
double HeapInUse() {
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

// 50 Hz currents whose amplitude and level drift over the hours.
SampleBlock MainsBlock(int index) {
    static const SampleBlock shape = test::MainsOf<SampleBlock>(test::BenchMains(), 0);
    SampleBlock block = shape;
    const double swell = 1 + 0.4 * std::sin(index / 900.0);
    for (int p = 0; p < kSamplesPerChannel; ++p) {
        block.ch1[p] = static_cast<std::int16_t>(block.ch1[p] * swell);
        block.ch2[p] = static_cast<std::int16_t>(block.ch2[p] * (2 - swell));
    }
    block.ch1Current = static_cast<std::uint32_t>(std::lround(113 * swell));
    block.ch2Current = static_cast<std::uint32_t>(std::lround(67 * (2 - swell)));
    return block;
}

class RecordFiles {
public:
    static RecordFiles& Get() {
        static RecordFiles files;
        return files;
    }
    ~RecordFiles() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    const std::string& Waveform(int hours) {
        std::string& path = waveform[hours];
        if (path.empty())
            path = MakeWaveform(hours * kBlocksPerHour);
        return path;
    }
    const std::string& FullStorage() {
        if (storage.empty())
            storage = MakeTrend(kStorageBlocks);
        return storage;
    }
    const std::string& EmptyWaveform() {
        if (emptyWaveform.empty())
            emptyWaveform = MakeWaveform(0);
        return emptyWaveform;
    }
    const std::string& EmptyTrend() {
        if (emptyTrend.empty())
            emptyTrend = MakeTrend(0);
        return emptyTrend;
    }

    // A second name for `record`, so notes kept beside it leave the record itself without.
    std::string Alias(const std::string& record, const std::string& name) const {
        const std::string path = (fs::path(folder) / name).string();
        std::error_code ignored;
        fs::remove(path, ignored);
        fs::remove(path + ".notes", ignored);
        fs::create_hard_link(record, path);
        return path;
    }

private:
    RecordFiles() {
        std::string pattern = (fs::temp_directory_path() / "zel-viewer-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            folder = pattern;
    }

    std::string MakeWaveform(int blocks) const {
        const std::string path = CreateWaveformRecord("S", 12, 1203, folder);
        std::ofstream out(path, std::ios::binary | std::ios::app);
        for (int n = 0; n < blocks; ++n) {
            const SampleBlock block = MainsBlock(n);
            out.write(reinterpret_cast<const char*>(&block), sizeof block);
        }
        return path;
    }

    std::string MakeTrend(int blocks) const {
        const std::string path = CreateTrendRecord("T", 12, 1203, 1400000000, folder);
        std::ofstream out(path, std::ios::binary | std::ios::app);
        for (int n = 0; n < blocks; ++n) {
            TrendBlock block;
            for (int k = 0; k < kTrendPointsPerBlock; ++k) {
                const double t = (n * kTrendPointsPerBlock + k) / 5000.0;
                block.ch1[k] = static_cast<std::int16_t>(std::lround(150 + 90 * std::sin(t)));
                block.ch2[k] = static_cast<std::int16_t>(std::lround(120 + 60 * std::cos(t / 3)));
            }
            out.write(reinterpret_cast<const char*>(&block), sizeof block);
        }
        return path;
    }

    std::string folder;
    std::map<int, std::string> waveform;
    std::string storage, emptyWaveform, emptyTrend;
};

// A shown viewer of 1900 × 1000 client pixels, painted once.
std::unique_ptr<CViewDlg> ShownViewer(const std::string& record) {
    bench::BenchApplication();
    auto viewer = std::make_unique<CViewDlg>();
    viewer->resize(1900, 1000);
    viewer->show();
    viewer->OpenRecord(QFile::decodeName(record.c_str()));
    viewer->repaint();
    QApplication::processEvents();
    return viewer;
}

void OpenToFirstFrame(benchmark::State& state, const std::string& record,
                      const std::string& emptyOfKind) {
    double held = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto viewer = ShownViewer(emptyOfKind);
        const double before = HeapInUse();
        state.ResumeTiming();

        viewer->OpenRecord(QFile::decodeName(record.c_str()));
        viewer->repaint();

        state.PauseTiming();
        held = HeapInUse() - before;
        viewer.reset();
        state.ResumeTiming();
    }
    const double size = static_cast<double>(fs::file_size(record));
    state.counters["file_MB"] = size / 1e6;
    state.counters["held_MB"] = held / 1e6;
    state.counters["held_per_file"] = held / size;
    // The goal: 64 MB and 8 bytes a block, whatever the length of the record.
    const double blocks = (size - kRecordHeaderSize) / kWaveformBlockSize;
    state.counters["held_goal_MB"] = 64 + 8 * blocks / 1e6;
}

// A viewer shown on the record, its scan of the currents finished: the state it scrolls in.
void WaitForScan(const CViewDlg& viewer) {
    const auto record = viewer.Statistics()->Record();
    if (record && record->currents)
        record->currents->WaitForScan();
}

void BM_ViewerOpenWaveform4h(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    OpenToFirstFrame(state, files.Waveform(4), files.EmptyWaveform());
}

void BM_ViewerOpenWaveform24h(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    OpenToFirstFrame(state, files.Waveform(24), files.EmptyWaveform());
}

void BM_ViewerOpenWaveform7d(benchmark::State& state) {
    if (bench::WeekRecord().empty()) {
        state.SkipWithError("no week-long record");
        return;
    }
    OpenToFirstFrame(state, bench::WeekRecord(), RecordFiles::Get().EmptyWaveform());
}

void BM_ViewerOpenTrendFullStorage(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    OpenToFirstFrame(state, files.FullStorage(), files.EmptyTrend());
}

// Opens `other` over the viewer's trend plot and waits until it has been read.
void CompareAndWait(CViewDlg& viewer, const std::string& other) {
    ViewerCompare& compare = *viewer.Compare();
    if (!compare.Open(QFile::decodeName(other.c_str())))
        return;
    while (compare.Loading()) {
        QApplication::processEvents();
        ::usleep(1000);
    }
}

// Resident set of this process, now and at its peak since the last ResetPeakResident.
double Resident(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) * 1024; // kB
    return 0;
}

void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The viewer showing a day-long waveform record with another one compared over its trend plot,
// both read to the end: the memory that holds, over the same viewer on an empty record. The
// goal counts 8 bytes for every block of either record. The peak of the resident set while
// both open catches a reading that holds more for a while than it keeps.
void BM_ViewerCompareWaveform24h(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    const std::string& record = files.Waveform(24);
    const std::string other = files.Alias(record, "S-compared.zmr");
    double held = 0, peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto viewer = ShownViewer(files.EmptyWaveform());
        QApplication::processEvents();
        const double before = HeapInUse();
        const double residentBefore = Resident("VmRSS");
        ResetPeakResident();
        state.ResumeTiming();

        viewer->OpenRecord(QFile::decodeName(record.c_str()));
        WaitForScan(*viewer);
        viewer->Compare()->SetAlignment(ViewerCompare::Align::Start);
        CompareAndWait(*viewer, other);
        viewer->repaint();

        state.PauseTiming();
        if (!viewer->Compare()->IsOpen())
            state.SkipWithError("the compared record did not open");
        held = HeapInUse() - before;
        peak = Resident("VmHWM") - residentBefore;
        viewer.reset();
        state.ResumeTiming();
    }
    const double blocks =
        2.0 * (static_cast<double>(fs::file_size(record)) - kRecordHeaderSize) / kWaveformBlockSize;
    state.counters["blocks"] = blocks;
    state.counters["held_MB"] = held / 1e6;
    state.counters["peak_rss_growth_MB"] = peak / 1e6;
    state.counters["held_goal_MB"] = 64 + 8 * blocks / 1e6;
}

// Closing the viewer while a day-long waveform record is being read for comparison: the time
// the close takes, the reading stopped with it. The goal: within 200 ms.
void BM_ViewerCloseWhileComparing(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    const std::string other = files.Alias(files.Waveform(24), "S-compared.zmr");
    double slowest = 0;
    for (auto _ : state) {
        auto viewer = ShownViewer(files.FullStorage());
        viewer->Compare()->SetAlignment(ViewerCompare::Align::Start);
        viewer->Compare()->Open(QFile::decodeName(other.c_str()));
        ::usleep(20000); // well into the scan
        const auto start = std::chrono::steady_clock::now();
        viewer->close();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        if (viewer->Compare()->Loading())
            state.SkipWithError("the reading went on after the close");
        state.SetIterationTime(took.count());
        slowest = std::max(slowest, took.count());
    }
    state.counters["slowest_ms"] = slowest * 1e3;
}

// The viewer on a record with both plots zoomed out as far as they go.
struct WidestView {
    explicit WidestView(const std::string& record) : viewer(ShownViewer(record)) {
        for (int id : {CViewDlg::kWaveZoomOut, CViewDlg::kTrendZoomOut})
            while (viewer->Button(id)->isEnabled())
                viewer->Button(id)->click();
        QApplication::processEvents();
        WaitForScan(*viewer);
    }
    std::unique_ptr<CViewDlg> viewer;
};

// One line step right, then back left, each rebuilt and repainted at once.
void ScrollStep(benchmark::State& state, CPlotWnd& plot) {
    int step = 0;
    for (auto _ : state)
        plot.Scroll(step++ % 2 == 0 ? ScrollRequest::LineRight : ScrollRequest::LineLeft);
    state.counters["span"] = plot.Span();
    state.counters["vertices"] = static_cast<double>(plot.Points(0).size());
}

// Zoom in from the widest span and back out, as the buttons do, each with its repaint.
void ZoomStep(benchmark::State& state, CViewDlg& viewer, CPlotWnd& plot, int inId, int outId) {
    int step = 0;
    for (auto _ : state) {
        viewer.Button(step++ % 2 == 0 ? inId : outId)->click();
        plot.repaint();
    }
    state.counters["span"] = plot.Span();
}

void BM_ViewerScrollWidestSpan(benchmark::State& state) {
    WidestView view(RecordFiles::Get().Waveform(24));
    ScrollStep(state, *view.viewer->WavePlot());
}

void BM_ViewerZoomWidestSpan(benchmark::State& state) {
    WidestView view(RecordFiles::Get().Waveform(24));
    ZoomStep(state, *view.viewer, *view.viewer->WavePlot(), CViewDlg::kWaveZoomIn,
             CViewDlg::kWaveZoomOut);
}

void BM_ViewerScrollWidestSpan7d(benchmark::State& state) {
    WidestView view(bench::WeekRecord());
    ScrollStep(state, *view.viewer->WavePlot());
}

void BM_ViewerZoomWidestSpan7d(benchmark::State& state) {
    WidestView view(bench::WeekRecord());
    ZoomStep(state, *view.viewer, *view.viewer->WavePlot(), CViewDlg::kWaveZoomIn,
             CViewDlg::kWaveZoomOut);
}

// The same widest span with 200 notes spread over the record and a second record compared on
// the trend plot, aligned by start. The goal of a step with its repaint, as for the plain
// view: under 16 ms of the window thread's time.
struct AnalysedView {
    AnalysedView(const std::string& record, const std::string& name, const std::string& other)
        : path(RecordFiles::Get().Alias(record, name)), view(path) {
        CViewDlg& viewer = *view.viewer;
        const int points = viewer.TrendPlot()->PointCount();
        for (int n = 0; n < 200; ++n)
            viewer.Notes()->SetNote(std::int64_t{points} * n / 200 + points / 400,
                                    QStringLiteral("Note %1").arg(n));
        viewer.Compare()->SetAlignment(ViewerCompare::Align::Start);
        CompareAndWait(viewer, other);
        viewer.repaint();
        QApplication::processEvents();
    }
    ~AnalysedView() {
        std::error_code ignored;
        fs::remove(NotesPath(path), ignored);
    }
    std::string path;
    WidestView view;
};

void BM_ViewerScrollWidestSpanNotesOverlay(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    AnalysedView analysed(files.Waveform(24), "S-notes.zmr", files.FullStorage());
    ScrollStep(state, *analysed.view.viewer->WavePlot());
}

void BM_ViewerZoomWidestSpanNotesOverlay(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    AnalysedView analysed(files.Waveform(24), "S-notes.zmr", files.FullStorage());
    CViewDlg& viewer = *analysed.view.viewer;
    ZoomStep(state, viewer, *viewer.WavePlot(), CViewDlg::kWaveZoomIn, CViewDlg::kWaveZoomOut);
}

void BM_ViewerScrollWidestSpanTrendNotesOverlay(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    AnalysedView analysed(files.FullStorage(), "T-notes.zmr", files.Waveform(24));
    ScrollStep(state, *analysed.view.viewer->TrendPlot());
}

void BM_ViewerZoomWidestSpanTrendNotesOverlay(benchmark::State& state) {
    RecordFiles& files = RecordFiles::Get();
    AnalysedView analysed(files.FullStorage(), "T-notes.zmr", files.Waveform(24));
    CViewDlg& viewer = *analysed.view.viewer;
    ZoomStep(state, viewer, *viewer.TrendPlot(), CViewDlg::kTrendZoomIn, CViewDlg::kTrendZoomOut);
}

void BM_ViewerScrollWidestSpanTrend(benchmark::State& state) {
    WidestView view(RecordFiles::Get().FullStorage());
    ScrollStep(state, *view.viewer->TrendPlot());
}

void BM_ViewerZoomWidestSpanTrend(benchmark::State& state) {
    WidestView view(RecordFiles::Get().FullStorage());
    ZoomStep(state, *view.viewer, *view.viewer->TrendPlot(), CViewDlg::kTrendZoomIn,
             CViewDlg::kTrendZoomOut);
}

} // namespace

BENCHMARK(BM_ViewerOpenWaveform4h)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerOpenWaveform24h)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerOpenWaveform7d)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerOpenTrendFullStorage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerCompareWaveform24h)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ViewerCloseWhileComparing)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);
BENCHMARK(BM_ViewerScrollWidestSpan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerZoomWidestSpan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerScrollWidestSpanNotesOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerZoomWidestSpanNotesOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerScrollWidestSpan7d)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerZoomWidestSpan7d)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerScrollWidestSpanTrend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerZoomWidestSpanTrend)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerScrollWidestSpanTrendNotesOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewerZoomWidestSpanTrendNotesOverlay)->Unit(benchmark::kMillisecond);
