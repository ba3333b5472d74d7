#include "device/LiveStreamWorker.h"
#include "device/Frame.h"
#include "device/WaveformRecorder.h"
#include "device/WorkerStopper.h"
#include "records/RecordFile.h"
#include "sim/Simulator.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>

using namespace zel;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Records what the worker hands over; the test thread waits on it.
class RecordingSink : public LiveStreamSink {
public:
    void onFirstBlock() override {
        if (recorder)
            recorder->BeginRun();
        std::lock_guard lock(mutex_);
        events.push_back("first");
    }
    void onNextStretch() override {
        if (recorder)
            recorder->BeginStretch();
    }
    void onBlock(const SampleBlock& block, int count) override {
        if (recorder)
            recorder->Record(block);
        std::lock_guard lock(mutex_);
        events.push_back("block " + std::to_string(count));
        blocks.push_back(block);
        lastBlockAt = Clock::now();
        changed_.notify_all();
    }
    void onLinkEvent(const LinkEvent& event) override {
        std::lock_guard lock(mutex_);
        link.push_back({event, Clock::now(), lastBlockAt});
        changed_.notify_all();
    }
    // A link event, when it arrived, and when the last block before it had.
    struct Seen {
        LinkEvent event;
        Clock::time_point at, lastBlockAt;
    };
    bool WaitForLink(LinkEvent::Kind kind, int drops, std::chrono::milliseconds limit = 15s) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] {
            return std::any_of(link.begin(), link.end(), [&](const Seen& s) {
                return s.event.kind == kind && s.event.drops == drops;
            });
        });
    }
    Seen Find(LinkEvent::Kind kind, int drops) {
        std::lock_guard lock(mutex_);
        for (const Seen& s : link)
            if (s.event.kind == kind && s.event.drops == drops)
                return s;
        return {};
    }
    void onConnectFailed() override {
        std::lock_guard lock(mutex_);
        events.push_back("connect failed");
        changed_.notify_all();
    }
    bool WaitForBlocks(std::size_t n, std::chrono::milliseconds limit = 10s) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return blocks.size() >= n; });
    }
    std::size_t Count() {
        std::lock_guard lock(mutex_);
        return blocks.size();
    }

    std::vector<std::string> events;
    std::vector<SampleBlock> blocks;
    std::vector<Seen> link;
    Clock::time_point lastBlockAt;
    WaveformRecorder* recorder = nullptr;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

std::size_t CountRequests(const sim::Simulator& s, std::uint8_t p) {
    return sim::Simulator::CountRequests(s.Requests(), kCmdStream, p);
}

// The worker's last request may still be on its way to the simulator when the worker ends.
bool WaitForStreamRequests(const sim::Simulator& s, std::uint8_t p, std::size_t n) {
    return s.WaitForRequestCount(n, kCmdStream, p);
}

class LiveStreamWorkerTest : public ::testing::Test {
protected:
    void StartSimulator(const std::function<void(sim::SimConfig&)>& setup) {
        sim::SimConfig c;
        c.frameIntervalMs = 20;
        setup(c);
        simulator = std::make_unique<sim::Simulator>(c);
        ASSERT_TRUE(simulator->Start());
        link.SetEndpoint("127.0.0.1", simulator->Port());
    }
    void StartWorker(LiveStreamParams params = {}, TickSource ticks = SteadyTicks) {
        worker = std::make_unique<LiveStreamWorker>(link, stopper.Running(), params, sink,
                                                    std::move(ticks));
        stopper.Start([this] { worker->Run(); }, [this] { worker->Cancel(); });
    }
    void TearDown() override {
        stopper.Stop();
        link.Close();
        if (simulator)
            simulator->Stop();
    }

    std::unique_ptr<sim::Simulator> simulator;
    DeviceLink link;
    RecordingSink sink;
    WorkerStopper stopper{link};
    std::unique_ptr<LiveStreamWorker> worker;
};

TEST_F(LiveStreamWorkerTest, EveryGoodFrameAndNoBadOneArrivesInOrder) {
    StartSimulator([](sim::SimConfig& c) {
        c.junkEvery = 3;
        c.corruptEvery = 4;
        c.splitFrames = true;
        c.stallEvery = 7;
        c.stallMs = 150;
    });
    test::TempDir dir;
    WaveformRecorder recorder("S", 12, 1203, dir.path());
    sink.recorder = &recorder;
    StartWorker({5ms, true});
    ASSERT_TRUE(sink.WaitForBlocks(24));
    EXPECT_TRUE(stopper.Stop(1500ms)); // ends by itself within one read timeout
    link.Close();

    // The simulator's frames are reproducible: frame i (1-based) is corrupted when i % 4 == 0.
    sim::StreamSource reference(1);
    std::vector<SampleBlock> expected;
    for (std::uint32_t i = 1; expected.size() < sink.blocks.size(); ++i) {
        const auto frame = reference.NextFrame();
        if (i % 4 == 0)
            continue;
        SampleBlock b;
        DecodeSampleFrame(frame.data(), b);
        expected.push_back(b);
    }
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(std::memcmp(&sink.blocks[i], &expected[i], sizeof(SampleBlock)), 0) << i;
    // The record file holds the same blocks, byte for byte, and nothing else.
    const auto file = ReadRecordFile(recorder.Path());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->header.kind, 1);
    ASSERT_EQ(file->blocks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(std::memcmp(&file->blocks[i], &expected[i], sizeof(SampleBlock)), 0) << i;

    ASSERT_GE(sink.events.size(), 3u);
    EXPECT_EQ(sink.events[0], "first");
    EXPECT_EQ(sink.events[1], "block 1");
    EXPECT_EQ(sink.events[10], "block 10");
    // The worker sent exactly one start and, stopping by itself, one stop request.
    EXPECT_TRUE(WaitForStreamRequests(*simulator, 0xA1, 1));
    EXPECT_EQ(CountRequests(*simulator, 0xA0), 1u);
    EXPECT_EQ(CountRequests(*simulator, 0xA1), 1u);
}

TEST_F(LiveStreamWorkerTest, KeepAliveAtSixtySecondsAcrossTheTickWrap) {
    StartSimulator([](sim::SimConfig&) {});
    const std::uint32_t start = 0xFFFFF000u; // wraps 4096 ms later
    auto tick = std::make_shared<std::atomic<std::uint32_t>>(start);
    StartWorker({5ms, true}, [tick] { return tick->load(); });
    ASSERT_TRUE(sink.WaitForBlocks(2));
    tick->store(start + 59999);
    ASSERT_TRUE(sink.WaitForBlocks(sink.Count() + 3));
    EXPECT_EQ(CountRequests(*simulator, 0xA0), 1u);
    tick->store(start + 60000);
    ASSERT_TRUE(WaitForStreamRequests(*simulator, 0xA0, 2));
    ASSERT_TRUE(sink.WaitForBlocks(sink.Count() + 3));
    EXPECT_EQ(CountRequests(*simulator, 0xA0), 2u); // not again until another 60 s
}

TEST_F(LiveStreamWorkerTest, ConnectionFailureIsReportedOnceAndNothingIsDelivered) {
    StartSimulator([](sim::SimConfig&) {});
    const auto port = simulator->Port();
    simulator->Stop();
    link.SetEndpoint("127.0.0.1", port);
    StartWorker();
    const auto started = Clock::now();
    while (!stopper.Finished() && Clock::now() - started < 5s)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(stopper.Stop());
    EXPECT_EQ(sink.events, (std::vector<std::string>{"connect failed"}));
}

TEST_F(LiveStreamWorkerTest, SilentInstrumentIsCancelledWithinTheStopRule) {
    StartSimulator([](sim::SimConfig& c) {
        c.stallEvery = 1;
        c.stallMs = 60000; // one frame, then silence
    });
    StartWorker({10ms, false});
    ASSERT_TRUE(sink.WaitForBlocks(1));
    std::this_thread::sleep_for(100ms); // the worker is now blocked in its 1 s read
    const auto before = Clock::now();
    const bool endedByItself = stopper.Stop();
    const auto took = Clock::now() - before;
    EXPECT_FALSE(endedByItself);
    EXPECT_LT(took, 600ms);
    EXPECT_EQ(sink.Count(), 1u);
    // A cancelled worker sends no stop request; the owner sends it on the same connection.
    EXPECT_EQ(CountRequests(*simulator, 0xA1), 0u);
    EXPECT_TRUE(link.SendRequest(kCmdStream, {0xA1, 0xA1}));
    EXPECT_TRUE(WaitForStreamRequests(*simulator, 0xA1, 1));
    EXPECT_EQ(CountRequests(*simulator, 0xA1), 1u);
}

TEST_F(LiveStreamWorkerTest, RunningClearedBeforeTheStartGoesStraightToStopping) {
    StartSimulator([](sim::SimConfig&) {});
    std::atomic<bool> running{false};
    LiveStreamWorker direct(link, running, {5ms, true}, sink);
    direct.Run();
    link.Close();
    EXPECT_TRUE(sink.events.empty());
    EXPECT_TRUE(simulator->WaitForRequests([](const auto& log) { return log.size() >= 2; }));
    const auto requests = simulator->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], BuildRequest(kCmdStream, {0xA0, 0xA0}));
    EXPECT_EQ(requests[1], BuildRequest(kCmdStream, {0xA1, 0xA1}));
}

// Whatever way the link is lost, the run goes on in a new file after each gap, and the files
// together hold every intact frame the instrument sent on every connection, in order, each
// once. Pauses are shortened here; the schedule is the same.
TEST_F(LiveStreamWorkerTest, EveryKindOfDropKeepsEveryFrameSentInTheRunsFiles) {
    struct Case {
        const char* name;
        sim::DropHow how;
        int drops, refuseMs;
    };
    const Case cases[] = {
        {"closed ten times", sim::DropHow::Close, 10, 0},
        {"vanished", sim::DropHow::Vanish, 3, 0},
        {"refused after the drop", sim::DropHow::Close, 2, 150},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TearDown();
        sink.blocks.clear();
        sink.link.clear();
        StartSimulator([&](sim::SimConfig& c) {
            c.keepGoodFrames = true;
            c.dropAfterFrames = 3;
            c.dropHow = k.how;
            c.drops = k.drops;
            c.refuseMs = k.refuseMs;
        });
        test::TempDir dir;
        WaveformRecorder recorder("R", 12, 1203, dir.path());
        sink.recorder = &recorder;
        LiveStreamParams params{10ms, false};
        params.retryUnit = 20ms;
        params.silenceLimit = 300ms;
        StartWorker(params);
        const std::size_t wanted = 3u * static_cast<std::size_t>(k.drops) + 3u;
        ASSERT_TRUE(sink.WaitForBlocks(wanted, 30s));
        stopper.Stop();
        link.Close();
        sink.recorder = nullptr;

        EXPECT_EQ(simulator->Drops(), k.drops);
        EXPECT_TRUE(sink.WaitForLink(LinkEvent::Kind::Resumed, k.drops, 0ms));
        const auto files = recorder.Files();
        ASSERT_EQ(files.size(), static_cast<std::size_t>(k.drops) + 1);
        std::vector<SampleBlock> recorded;
        for (std::size_t f = 0; f < files.size(); ++f) {
            const auto file = ReadRecordFile(files[f].path);
            ASSERT_TRUE(file) << files[f].path;
            EXPECT_EQ(file->blocks.size(), static_cast<std::size_t>(files[f].blocks));
            if (f + 1 < files.size()) {
                EXPECT_EQ(file->blocks.size(), 3u) << "stretch " << f;
            }
            recorded.insert(recorded.end(), file->blocks.begin(), file->blocks.end());
        }
        const auto sent = simulator->GoodFramesSent();
        ASSERT_GE(recorded.size(), wanted);
        ASSERT_LE(recorded.size(), sent.size());
        for (std::size_t i = 0; i < recorded.size(); ++i) {
            SampleBlock b;
            DecodeSampleFrame(sent[i].data(), b);
            ASSERT_EQ(std::memcmp(&recorded[i], &b, sizeof b), 0) << "block " << i;
        }
    }
}

// With the real limits: a closed link shows at once, a vanished one after the five seconds
// without a frame, and the stream is back well within a second of a connection that works.
TEST_F(LiveStreamWorkerTest, TheDropIsToldOnTimeAndTheStreamComesBackQuickly) {
    for (const sim::DropHow how : {sim::DropHow::Close, sim::DropHow::Vanish}) {
        const bool vanish = how == sim::DropHow::Vanish;
        SCOPED_TRACE(vanish ? "vanished" : "closed");
        TearDown();
        sink.link.clear();
        StartSimulator([&](sim::SimConfig& c) {
            c.dropAfterFrames = 3;
            c.dropHow = how;
            c.drops = 1;
        });
        StartWorker({10ms, false});
        ASSERT_TRUE(sink.WaitForLink(LinkEvent::Kind::Resumed, 1));
        const auto lost = sink.Find(LinkEvent::Kind::Lost, 1);
        const auto retry = sink.Find(LinkEvent::Kind::Retrying, 1);
        const auto resumed = sink.Find(LinkEvent::Kind::Resumed, 1);
        const auto quiet = lost.at - lost.lastBlockAt;
        if (vanish) {
            EXPECT_GE(quiet, 4900ms);
            EXPECT_LT(quiet, 6s);
        } else {
            EXPECT_LT(quiet, 1s);
        }
        EXPECT_EQ(retry.event.attempt, 1);
        EXPECT_GE(retry.at - lost.at, 950ms); // the first attempt after a second
        EXPECT_LT(resumed.at - retry.at, 1s);
        EXPECT_EQ(resumed.event.lostAt, lost.event.lostAt);
    }
}

} // namespace
