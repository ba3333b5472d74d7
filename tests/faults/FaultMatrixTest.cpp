// Every fault the simulator can play against every operation the program runs on the
// instrument. A row is one fault; its cells are the operations. Each cell checks that the
// operation ends within a bound derived from the link's own timeouts, that it reports success
// exactly when the instrument's answer arrived intact, that nothing damaged is taken for data,
// that nothing intact is lost where the fault leaves it recoverable, and that no descriptor is
// left open.

#include "common/LocalTime.h"
#include "device/DeviceLink.h"
#include "device/Frame.h"
#include "device/LiveRun.h"
#include "device/RecordTransfer.h"
#include "device/StoredRecords.h"
#include "records/RecordFile.h"
#include "sim/Simulator.h"
#include "sim/StorageBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

using namespace zel;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

enum class Op { Status, SyncClock, Clear, Stop, Record, Download, Live };

const char* OpName(Op op);

// ctest shows the parameter after the test's name.
void PrintTo(Op op, std::ostream* out) {
    *out << OpName(op);
}

const char* OpName(Op op) {
    switch (op) {
    case Op::Status:
        return "status";
    case Op::SyncClock:
        return "syncClock";
    case Op::Clear:
        return "clear";
    case Op::Stop:
        return "stop";
    case Op::Record:
        return "record";
    case Op::Download:
        return "download";
    case Op::Live:
        return "live";
    }
    return "";
}

// What a request cell must end with.
enum class Want {
    Ok,   // success, carrying exactly what the instrument holds
    Fail, // failure, with nothing passed off as the instrument's answer
};

// What the live stream must deliver.
enum class LiveWant {
    All,           // the blocks asked for: every intact frame sent, in order, no damaged one
    UpToEnd,       // exactly the intact frames sent before the stream ended
    ConnectFailed, // the connection failure, once, and no block
};

// Something done to the connection rather than to the bytes on it.
enum class Cut {
    None,
    Drop,         // the instrument goes away with the connection open
    NoInstrument, // nothing listens on the port
};

struct Row {
    const char* name;
    Want status, syncClock, clear, stop, record;
    TransferOutcome download;
    LiveWant live;
    void (*setup)(sim::SimConfig&);
    // The most exchanges of the record or download cell that may run into the receive timeout.
    int storedTimeouts = 0;
    Cut cut = Cut::None;
    // The live cell runs the stream as the live view does (5 ms pauses, `running` tested
    // before each frame, a drain after the stop) instead of as the recorder and the
    // command-line tool do (10 ms, once per cycle, closed at once).
    bool liveView = false;
    // How many blocks the live cell waits for; 0 for the usual eight.
    std::size_t liveBlocks = 0;
};

constexpr int kFramesBeforeEnd = 5; // of a stream that ends early

constexpr Want ok = Want::Ok;
constexpr Want fail = Want::Fail;
constexpr auto all = LiveWant::All;
constexpr auto upToEnd = LiveWant::UpToEnd;
constexpr auto connectFails = LiveWant::ConnectFailed;
using T = TransferOutcome;
using Config = sim::SimConfig;
using sim::ReplyFault;

// Reply faults hit every reply; the stored-record ones every Nth reply to 0xA1 only (the walk
// over four slots meets at least one of each, the download several). Stream faults leave
// the replies alone and the stream faults' cells for the commands show that.
// clang-format off
const Row kRows[] = {
    // row                       status sync  clear stop  record download           live
    {"None",                     ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config&) {}},
    {"NoReply",                  fail,  fail, fail, fail, fail,  T::StatusFailed,   all,
     [](Config& c) { c.fault = ReplyFault::NoReply; }, 1},
    {"BadCrc",                   fail,  fail, fail, fail, fail,  T::StatusFailed,   all,
     [](Config& c) { c.fault = ReplyFault::BadChecksum; }},
    {"WrongCode",                fail,  fail, fail, fail, fail,  T::StatusFailed,   all,
     [](Config& c) { c.fault = ReplyFault::WrongCode; }},
    {"Pieces",                   ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.fault = ReplyFault::Pieces; }},
    {"Short",                    fail,  fail, fail, fail, fail,  T::StatusFailed,   all,
     [](Config& c) { c.fault = ReplyFault::Short; }, 1},
    {"ReplyDelay",               ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.replyDelayMs = 150; }},
    {"RecordNoReply",            ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.recordFault = ReplyFault::NoReply; c.recordFaultEvery = 4; }, 2},
    {"RecordBadCrc",             ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.recordFault = ReplyFault::BadChecksum; c.recordFaultEvery = 2; }},
    {"RecordWrongCode",          ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.recordFault = ReplyFault::WrongCode; c.recordFaultEvery = 2; }},
    {"RecordPieces",             ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.recordFault = ReplyFault::Pieces; c.recordFaultEvery = 2; }},
    // The half reply left behind puts the following replies out of step until the next short
    // one: every one of them must fail, none may pass for a block.
    {"RecordShort",              ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.recordFault = ReplyFault::Short; c.recordFaultEvery = 4; }, 2},
    {"InvalidDate",              ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.invalidDateEvery = 2; }},
    {"SlotFailsTwentyTimes",     ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.failingSlot = 1; c.failingSlotTimes = 20; }},
    {"SlotFailsTwentyOneTimes",  ok,    ok,   ok,   ok,   fail,  T::NoRecords,      all,
     [](Config& c) { c.failingSlot = 1; c.failingSlotTimes = 21; }},
    {"Junk",                     ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.junkEvery = 2; }},
    {"Corrupt",                  ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.corruptEvery = 3; }, 0, Cut::None, true},
    {"Split",                    ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.splitFrames = true; }},
    // Longer than the stream's read timeout.
    {"Stall",                    ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.stallEvery = 5; c.stallMs = 1100; }},
    {"IgnoreStop",               ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.ignoreStreamStop = true; }, 0, Cut::None, true},
    // The stream ends after five frames; the commands lose the instrument right after they
    // connected, the walk after the status, the download after two frames.
    // The stream falls silent with the connection open: the stop cancels the waiting worker.
    {"StreamFallsSilent",        ok,    ok,   ok,   ok,   ok,    T::Completed,      upToEnd,
     [](Config& c) { c.streamFrames = kFramesBeforeEnd; }},
    {"Dropped",                  fail,  fail, fail, fail, fail,  T::DownloadFailed, upToEnd,
     [](Config& c) { c.dropAfterFrames = kFramesBeforeEnd; }, 0, Cut::Drop},
    {"NoInstrument",             fail,  fail, fail, fail, fail,  T::ConnectFailed,  connectFails,
     [](Config&) {}, 0, Cut::NoInstrument},
    // The link is lost in the middle of the stream and mended: the live cell reconnects and
    // keeps every intact frame of every connection. The commands do not stream and are not hit.
    {"LinkClosed",               ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.dropAfterFrames = kFramesBeforeEnd; c.drops = 1; },
     0, Cut::None, false, 2 * kFramesBeforeEnd},
    // Silent for good with the connection open: noticed after five seconds without a frame.
    {"LinkVanished",             ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) {
         c.dropAfterFrames = kFramesBeforeEnd;
         c.drops = 1;
         c.dropHow = sim::DropHow::Vanish;
     }, 0, Cut::None, true, 2 * kFramesBeforeEnd},
    {"DropsEveryTenFrames",      ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.dropAfterFrames = 10; c.drops = 5; }, 0, Cut::None, false, 55},
    // After the drop the instrument refuses connections for a while (two reconnect attempts
    // here; a longer refusal only adds attempts of the same kind), then answers.
    {"RefusesThenAnswers",       ok,    ok,   ok,   ok,   ok,    T::Completed,      all,
     [](Config& c) { c.dropAfterFrames = kFramesBeforeEnd; c.drops = 1; c.refuseMs = 2500; },
     0, Cut::None, false, 2 * kFramesBeforeEnd},
};
// clang-format on

const Row& RowNamed(std::string_view name) {
    for (const Row& row : kRows)
        if (name == row.name)
            return row;
    ADD_FAILURE() << "no row " << name;
    return kRows[0];
}

int OpenDescriptors() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir))
        count += entry->d_name[0] != '.';
    ::closedir(dir);
    return count; // the directory's own descriptor included, the same every time
}

// Slot 0 holds two frames, slots 1 and 2 one each, slot 3 none: the walk asks four slots and
// lists three, the download asks four frames, and every stored-record fault above hits both.
InstrumentStorage TestStorage() {
    InstrumentStorage storage = sim::BuildStorage({4, 2, test::Local(2024, 5, 6, 7, 8, 9)});
    for (int slot = 1; slot < 3; ++slot)
        storage.SetSlotFrames(slot, {storage.slotData[static_cast<std::size_t>(slot)].frames[0]});
    storage.SetSlotFrames(3, {});
    return storage;
}

std::vector<TrendFrame> FramesByTime(const InstrumentStorage& storage) {
    std::vector<TrendFrame> frames;
    for (const StoredSlot& slot : storage.slotData)
        frames.insert(frames.end(), slot.frames.begin(), slot.frames.end());
    std::stable_sort(frames.begin(), frames.end(),
                     [](const TrendFrame& a, const TrendFrame& b) { return a.time < b.time; });
    return frames;
}

// A fresh folder for the record files of one download (test::TempDir names its folder after
// the test, and a parameterised test's name holds a slash).
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zel-faults-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The live stream's sink: keeps every block; the cell waits on it.
class CollectingSink : public LiveStreamSink {
public:
    void onFirstBlock() override {}
    void onBlock(const SampleBlock& block, int) override {
        std::lock_guard lock(mutex_);
        blocks_.push_back(block);
        changed_.notify_all();
    }
    void onConnectFailed() override {
        std::lock_guard lock(mutex_);
        ++connectFailures_;
        changed_.notify_all();
    }
    void onLinkEvent(const LinkEvent& event) override {
        std::lock_guard lock(mutex_);
        if (event.kind == LinkEvent::Kind::Resumed)
            resumed_ = event.drops;
    }
    // Losses that were followed by a resumed stream.
    int Drops() {
        std::lock_guard lock(mutex_);
        return resumed_;
    }
    bool WaitFor(std::size_t blocks, bool connectFailure, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            return connectFailure ? connectFailures_ > 0 : blocks_.size() >= blocks;
        });
    }
    std::vector<SampleBlock> Blocks() {
        std::lock_guard lock(mutex_);
        return blocks_;
    }
    int ConnectFailures() {
        std::lock_guard lock(mutex_);
        return connectFailures_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<SampleBlock> blocks_;
    int connectFailures_ = 0;
    int resumed_ = 0;
};

// One cell: a simulator playing the row's fault, a link to it, and the operation.
class Cell {
public:
    Cell(const Row& row, Op op) : row_(row), op_(op) {}

    void Start() {
        Config config;
        config.state = 2;
        config.frameIntervalMs = 20;
        config.keepGoodFrames = true;
        row_.setup(config);
        simulator_ = std::make_unique<sim::Simulator>(config);
        simulator_->SetStorage(storage_);
        ASSERT_TRUE(simulator_->Start());
        link_.SetEndpoint("127.0.0.1", simulator_->Port());
        if (row_.cut == Cut::NoInstrument)
            simulator_->Stop();
    }

    // Generous: the connect, every receive timeout the fault may cause, the drains, and room
    // for a loaded machine. Only a hang comes near it.
    std::chrono::milliseconds Bound() const {
        using namespace link_timing;
        const sim::SimConfig c = simulator_->Config();
        std::chrono::milliseconds bound = 10s + kConnectWait + kPauseAfterConnect;
        switch (op_) {
        case Op::Record:
        case Op::Download:
            bound += (1 + row_.storedTimeouts) * kReceiveTimeout + kDrainLimit +
                     20 * std::chrono::milliseconds(c.replyDelayMs);
            break;
        case Op::Live:
            bound += stream_timing::kStopTimeout + kDrainLimit +
                     (kLiveBlocks / std::max(c.stallEvery, 1) + 1) *
                         std::chrono::milliseconds(c.stallMs);
            // Each loss: its detection, the first reconnect pause and a refusal.
            if (c.drops > 0)
                bound += c.drops * (2s + std::chrono::milliseconds(c.refuseMs) +
                                    (c.dropHow == sim::DropHow::Vanish ? 5s : 0s));
            break;
        default:
            bound += kReceiveTimeout + std::chrono::milliseconds(c.replyDelayMs);
        }
        return bound;
    }

    // Runs the operation on its own thread; a hang past the bound fails the cell and is
    // ended by aborting the link.
    void Run() {
        const auto bound = Bound();
        std::promise<void> done;
        auto finished = done.get_future();
        const auto start = Clock::now();
        std::thread thread([&] {
            RunOperation();
            done.set_value();
        });
        if (finished.wait_for(bound) != std::future_status::ready) {
            ADD_FAILURE() << OpName(op_) << " under " << row_.name << " still running after "
                          << bound.count() << " ms";
            link_.Abort();
        }
        thread.join();
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        ::testing::Test::RecordProperty("milliseconds", std::to_string(took.count()));
    }

    void Finish() {
        link_.Close();
        simulator_->Stop();
    }

private:
    static constexpr std::size_t kLiveBlocks = 8;

    void RunOperation() {
        switch (op_) {
        case Op::Status:
            return RunStatus();
        case Op::SyncClock:
            return RunSyncClock();
        case Op::Clear:
            return RunClear();
        case Op::Stop:
            return RunStop();
        case Op::Record:
            return RunRecord();
        case Op::Download:
            return RunDownload();
        case Op::Live:
            return RunLive();
        }
    }

    // Connects like every command does; a dropped row loses the instrument right after.
    bool ConnectForCommand() {
        const bool connected = link_.Connect();
        EXPECT_EQ(connected, row_.cut != Cut::NoInstrument);
        if (row_.cut == Cut::Drop)
            simulator_->Stop();
        return connected;
    }

    void RunStatus() {
        DeviceStatus status;
        status.serial = 4321; // stays unless a whole status reply arrived
        const bool okay = ConnectForCommand() && link_.QueryStatus(status);
        link_.Close();
        ASSERT_EQ(okay, row_.status == ok);
        if (okay) {
            EXPECT_EQ(status.serial, 12);
            EXPECT_EQ(status.version, 1203);
            EXPECT_EQ(status.recordSlots, storage_.recordSlots);
            EXPECT_EQ(status.state, 2);
            EXPECT_EQ(status.ch1Current, 153);
        } else {
            EXPECT_EQ(status.serial, 4321);
        }
    }

    void RunSyncClock() {
        const ClockBytes clock = ClockBytesOf(test::Local(2031, 3, 4, 5, 6, 7));
        DeviceStatus status;
        status.serial = 4321;
        const bool okay = ConnectForCommand() && link_.SyncClock(status, clock.bytes);
        link_.Close();
        ASSERT_EQ(okay, row_.syncClock == ok);
        if (okay) {
            // The reply is the status with the clock just set.
            EXPECT_EQ(status.serial, 12);
            EXPECT_EQ(status.year, 31);
            EXPECT_EQ(status.month, 3);
            EXPECT_EQ(status.day, 4);
            EXPECT_EQ(status.hour, 5);
            EXPECT_EQ(status.minute, 6);
        } else {
            EXPECT_EQ(status.serial, 4321);
        }
    }

    void RunClear() {
        const bool okay = ConnectForCommand() && link_.ClearStorage();
        link_.Close();
        ASSERT_EQ(okay, row_.clear == ok);
        if (okay) { // the instrument acknowledges after it has cleared
            EXPECT_EQ(simulator_->Storage().recordSlots, 0);
        }
    }

    void RunStop() {
        const bool okay = ConnectForCommand() && link_.SendStop();
        link_.Close();
        ASSERT_EQ(okay, row_.stop == ok);
        if (okay) {
            EXPECT_EQ(sim::Simulator::CountRequests(simulator_->Requests(), kCmdStop), 1u);
        }
    }

    // The start of a stored-record transfer: the status names the slots, the walk asks each.
    void RunRecord() {
        const bool connected = link_.Connect();
        EXPECT_EQ(connected, row_.cut != Cut::NoInstrument);
        DeviceStatus status;
        StoredDirectory directory;
        if (connected && link_.QueryStatus(status)) {
            EXPECT_EQ(status.recordSlots, storage_.recordSlots);
            if (row_.cut == Cut::Drop)
                simulator_->Stop();
            std::atomic<bool> keepGoing{true};
            directory = ReadRecordDirectory(link_, status.recordSlots, keepGoing, {}, {});
        }
        link_.Close();
        const bool okay = !directory.entries.empty() && directory.total > 0;
        ASSERT_EQ(okay, row_.record == ok);
        if (!okay)
            return;
        ASSERT_EQ(directory.entries.size(), 3u);
        for (int slot = 0; slot < 3; ++slot) {
            const RecordInfo& entry = directory.entries[static_cast<std::size_t>(slot)];
            EXPECT_EQ(entry.slot, slot);
            EXPECT_EQ(entry.frameCount,
                      storage_.slotData[static_cast<std::size_t>(slot)].frameCount);
        }
        EXPECT_EQ(directory.total, 4);
    }

    void RunDownload() {
        ScratchFolder folder;
        ASSERT_FALSE(folder.path().empty());
        std::atomic<bool> downloading{true};
        DeviceStatus status;
        TransferEvents events;
        if (row_.cut == Cut::Drop) {
            // The instrument goes away once two of the four frames have arrived.
            events.statusText = [this](const std::string& text) {
                if (text.rfind("第1帧/", 0) == 0)
                    simulator_->Stop();
            };
        }
        const TransferOutcome outcome =
            RunRecordTransfer(link_, status, downloading, downloading, events, folder.path());
        link_.Close();
        ASSERT_EQ(TransferMessage(outcome), std::string(TransferMessage(row_.download)));

        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
            files.push_back(entry.path().string());
        std::sort(files.begin(), files.end()); // the names carry the start time
        if (outcome != TransferOutcome::Completed) {
            EXPECT_TRUE(files.empty()) << "a failed download left " << files.size() << " files";
            return;
        }
        // Every stored frame exactly once, in time order, and nothing else.
        std::vector<TrendBlock> blocks;
        for (const std::string& path : files) {
            const auto image = ReadRecordImage(path);
            ASSERT_TRUE(image) << path;
            ASSERT_TRUE(image->IsTrend());
            blocks.insert(blocks.end(), image->trendBlocks.begin(), image->trendBlocks.end());
        }
        const std::vector<TrendFrame> expected = FramesByTime(storage_);
        ASSERT_EQ(blocks.size(), expected.size());
        for (std::size_t i = 0; i < blocks.size(); ++i)
            EXPECT_EQ(std::memcmp(&blocks[i], &expected[i].block, sizeof(TrendBlock)), 0) << i;
    }

    void RunLive() {
        CollectingSink sink;
        {
            const LiveStreamParams params =
                row_.liveView ? LiveStreamParams{5ms, true} : LiveStreamParams{10ms, false};
            LiveRun run(link_, params, sink);
            run.Start();
            const bool connectFailure = row_.live == LiveWant::ConnectFailed;
            const std::size_t wanted = row_.live == LiveWant::UpToEnd ? kFramesBeforeEnd
                                       : row_.liveBlocks > 0          ? row_.liveBlocks
                                                                      : kLiveBlocks;
            EXPECT_TRUE(sink.WaitFor(wanted, connectFailure, Bound()));
            run.Stop(row_.liveView);
        }
        const auto blocks = sink.Blocks();
        const auto good = simulator_->GoodFramesSent();
        switch (row_.live) {
        case LiveWant::ConnectFailed:
            EXPECT_EQ(sink.ConnectFailures(), 1);
            EXPECT_TRUE(blocks.empty());
            return;
        case LiveWant::UpToEnd:
            EXPECT_EQ(good.size(), static_cast<std::size_t>(kFramesBeforeEnd));
            EXPECT_EQ(blocks.size(), good.size());
            break;
        case LiveWant::All:
            EXPECT_GE(blocks.size(), std::max(kLiveBlocks, row_.liveBlocks));
            break;
        }
        // Every loss the instrument made was noticed and mended.
        if (simulator_->Config().drops > 0) {
            EXPECT_EQ(sink.Drops(), simulator_->Config().drops);
        }
        // The stop request reached an instrument still there, whether or not it obeyed.
        if (row_.cut != Cut::Drop) {
            EXPECT_TRUE(simulator_->WaitForRequestCount(1, kCmdStream, 0xA1));
        }
        EXPECT_EQ(sink.ConnectFailures(), 0);
        // What arrived is the intact frames sent, in order, with none left out between them.
        ASSERT_LE(blocks.size(), good.size());
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            SampleBlock sent;
            DecodeSampleFrame(good[i].data(), sent);
            ASSERT_EQ(std::memcmp(&blocks[i], &sent, sizeof(SampleBlock)), 0) << "block " << i;
        }
    }

    const Row& row_;
    const Op op_;
    const InstrumentStorage storage_ = TestStorage();
    std::unique_ptr<sim::Simulator> simulator_;
    DeviceLink link_;
};

class FaultMatrix : public ::testing::TestWithParam<Op> {
protected:
    void RunRow(std::string_view name) {
        const Row& row = RowNamed(name);
        const int before = OpenDescriptors();
        {
            Cell cell(row, GetParam());
            cell.Start();
            if (HasFatalFailure())
                return;
            cell.Run();
            cell.Finish();
        }
        EXPECT_EQ(OpenDescriptors(), before) << "descriptors left open";
    }
};

// One test per row, named as the row; the operations are its parameters.
#define FAULT_ROW(row)                                                                             \
    TEST_P(FaultMatrix, row) {                                                                     \
        RunRow(#row);                                                                              \
    }

FAULT_ROW(None)
FAULT_ROW(NoReply)
FAULT_ROW(BadCrc)
FAULT_ROW(WrongCode)
FAULT_ROW(Pieces)
FAULT_ROW(Short)
FAULT_ROW(ReplyDelay)
FAULT_ROW(RecordNoReply)
FAULT_ROW(RecordBadCrc)
FAULT_ROW(RecordWrongCode)
FAULT_ROW(RecordPieces)
FAULT_ROW(RecordShort)
FAULT_ROW(InvalidDate)
FAULT_ROW(SlotFailsTwentyTimes)
FAULT_ROW(SlotFailsTwentyOneTimes)
FAULT_ROW(Junk)
FAULT_ROW(Corrupt)
FAULT_ROW(Split)
FAULT_ROW(Stall)
FAULT_ROW(IgnoreStop)
FAULT_ROW(StreamFallsSilent)
FAULT_ROW(Dropped)
FAULT_ROW(NoInstrument)
FAULT_ROW(LinkClosed)
FAULT_ROW(LinkVanished)
FAULT_ROW(DropsEveryTenFrames)
FAULT_ROW(RefusesThenAnswers)

// A row added to the table without its test would never run.
TEST(FaultMatrixTable, EveryRowHasItsTest) {
    const auto* unit = ::testing::UnitTest::GetInstance();
    for (int i = 0; i < unit->total_test_suite_count(); ++i) {
        const auto* suite = unit->GetTestSuite(i);
        if (std::string_view(suite->name()) == "Cells/FaultMatrix") {
            EXPECT_EQ(static_cast<std::size_t>(suite->total_test_count()), std::size(kRows) * 7);
            return;
        }
    }
    ADD_FAILURE() << "no fault matrix";
}

INSTANTIATE_TEST_SUITE_P(Cells, FaultMatrix,
                         ::testing::Values(Op::Status, Op::SyncClock, Op::Clear, Op::Stop,
                                           Op::Record, Op::Download, Op::Live),
                         [](const ::testing::TestParamInfo<Op>& info) {
                             return std::string(OpName(info.param));
                         });

} // namespace
