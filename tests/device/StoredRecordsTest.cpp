#include "device/StoredRecords.h"
#include "common/LocalTime.h"
#include "device/Frame.h"
#include "device/RecordTransfer.h"
#include "records/RecordFile.h"
#include "sim/Simulator.h"
#include "sim/StorageBuilder.h"
#include "tests/support/SimulatorFixture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

using namespace zel;

namespace {

using test::Local;

class StoredRecordsTest : public ::testing::Test {
protected:
    void Start(const InstrumentStorage& storage,
               const std::function<void(sim::SimConfig&)>& setup = {}) {
        simulator = test::StartViewingSimulator(storage, link, setup);
        ASSERT_TRUE(simulator);
        ASSERT_TRUE(link.Connect());
    }
    void TearDown() override {
        link.Close();
        if (simulator)
            simulator->Stop();
    }
    // The slots asked for their information block, in order.
    std::vector<int> InfoSlotsAsked() const {
        std::vector<int> slots;
        for (const auto& r : simulator->Requests())
            if (r[1] == kCmdRecord && r[2] == 0)
                slots.push_back(r[3]);
        return slots;
    }

    std::unique_ptr<sim::Simulator> simulator;
    DeviceLink link;
    std::atomic<bool> keepGoing{true};
};

TEST_F(StoredRecordsTest, DirectoryVisitsTheSlotsTheRingByteNames) {
    InstrumentStorage storage = sim::BuildStorage({64, 1, Local(2019, 1, 1, 0, 0, 0)});
    storage.SetSlotFrames(1, {}); // announces no frames: not listed
    Start(storage);

    const struct {
        int ring;
        std::vector<int> expected;
    } cases[] = {
        {0x03, {0, 1, 2}},
        {0x83,
         [] {
             std::vector<int> v;
             for (int s = 0; s < 64; ++s)
                 if (s != 3)
                     v.push_back(s);
             return v;
         }()},
        {0x80,
         [] {
             std::vector<int> v;
             for (int s = 1; s < 64; ++s)
                 v.push_back(s);
             return v;
         }()},
    };
    std::size_t seen = 0;
    for (const auto& c : cases) {
        int range = -1;
        std::vector<int> positions;
        const StoredDirectory d = ReadRecordDirectory(
            link, c.ring, keepGoing, [&](int n) { range = n; },
            [&](int p) { positions.push_back(p); });
        const auto asked = InfoSlotsAsked();
        EXPECT_EQ(std::vector<int>(asked.begin() + static_cast<long>(seen), asked.end()),
                  c.expected);
        seen = asked.size();
        EXPECT_EQ(range, (c.ring & 0x80) ? 64 : (c.ring & 0x7F));
        ASSERT_FALSE(positions.empty());
        EXPECT_EQ(positions.back(), range);
        const bool slot1Asked =
            std::find(c.expected.begin(), c.expected.end(), 1) != c.expected.end();
        EXPECT_EQ(d.total, static_cast<int>(c.expected.size()) - (slot1Asked ? 1 : 0));
        for (const auto& e : d.entries)
            EXPECT_NE(e.slot, 1);
    }

    StoredDirectory none = ReadRecordDirectory(link, 0, keepGoing, {}, {});
    EXPECT_EQ(none.total, 0);
}

TEST_F(StoredRecordsTest, FailuresAreRetriedAndTwentyOneInARowGiveUp) {
    InstrumentStorage storage = sim::BuildStorage({3, 4, Local(2019, 5, 1, 8, 0, 0)});
    Start(storage, [](sim::SimConfig& c) {
        c.failingSlot = 1;
        c.failingSlotTimes = 20; // the 21st request for slot 1 succeeds
    });
    const StoredDirectory d = ReadRecordDirectory(link, storage.recordSlots, keepGoing, {}, {});
    EXPECT_EQ(d.total, 12);
    ASSERT_EQ(d.entries.size(), 3u);

    simulator->Update([](sim::SimConfig& c) {
        c.failingSlot = 2;
        c.failingSlotTimes = 21;
    });
    EXPECT_EQ(ReadRecordDirectory(link, storage.recordSlots, keepGoing, {}, {}).total, 0);
}

TEST_F(StoredRecordsTest, FailuresThatAlternateWithGoodRepliesNeverAddUp) {
    // Every second stored-record reply fails: 24 failures while the directory is read and 25
    // during the download, never two in a row. Only 21 in a row give up.
    const std::int64_t t0 = Local(2019, 5, 1, 8, 0, 0);
    Start(sim::BuildStorage({25, 1, t0, 31, 31}), [](sim::SimConfig& c) {
        c.recordFault = sim::ReplyFault::BadChecksum;
        c.recordFaultEvery = 2;
    });
    link.Close();
    test::TempDir dir;
    DeviceStatus status;
    std::vector<RecordFileSummary> files;
    TransferEvents events;
    events.fileDone = [&](const RecordFileSummary& s) { files.push_back(s); };
    ASSERT_EQ(RunRecordTransfer(link, status, keepGoing, keepGoing, events, dir.path()),
              TransferOutcome::Completed);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].blocks, 25);
    const auto requests = simulator->Requests();
    int info = 0, data = 0;
    for (const auto& r : requests) {
        if (r[1] == kCmdRecord)
            ++(r[2] == 0 ? info : data);
    }
    EXPECT_EQ(info, 25 + 24);
    EXPECT_EQ(data, 25 + 25);
}

TEST_F(StoredRecordsTest, DownloadRetriesSortsStablyAndNumbersFrames) {
    const std::int64_t t0 = Local(2019, 5, 1, 8, 0, 0);
    InstrumentStorage storage;
    // Slot 0 is later than slot 1; two frames share a time stamp across slots.
    std::vector<TrendFrame> later(3), earlier(2);
    for (int i = 0; i < 3; ++i) {
        later[static_cast<std::size_t>(i)].time = t0 + 3600 + 31 * i;
        later[static_cast<std::size_t>(i)].block.ch1[0] = static_cast<std::int16_t>(100 + i);
    }
    earlier[0].time = t0;
    earlier[1].time = t0 + 3600; // equal to later[0]
    earlier[0].block.ch1[0] = 200;
    earlier[1].block.ch1[0] = 201;
    storage.SetSlotFrames(0, later);
    storage.SetSlotFrames(1, earlier);
    storage.recordSlots = 2;
    Start(storage, [](sim::SimConfig& c) {
        c.recordFault = sim::ReplyFault::BadChecksum;
        c.recordFaultEvery = 3;
        c.invalidDateEvery = 4;
    });
    const StoredDirectory d = ReadRecordDirectory(link, 2, keepGoing, {}, {});
    ASSERT_EQ(d.total, 5);
    std::vector<std::pair<int, int>> calls;
    std::vector<TrendFrame> frames;
    ASSERT_TRUE(DownloadRecordFrames(
        link, d.entries, d.total, keepGoing,
        [&](int done, int total) { calls.emplace_back(done, total); }, frames));
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls.front(), std::make_pair(0, 5));
    EXPECT_EQ(calls.back(), std::make_pair(4, 5));
    std::vector<int> order;
    for (const auto& f : frames)
        order.push_back(f.block.ch1[0]);
    // Download order is slot 0 then slot 1; sorting keeps 100 before 201 (equal times).
    EXPECT_EQ(order, (std::vector<int>{200, 100, 201, 101, 102}));
}

TEST_F(StoredRecordsTest, MonthZeroFailsUntilTheLimit) {
    InstrumentStorage storage = sim::BuildStorage({1, 3, Local(2019, 5, 1, 8, 0, 0)});
    Start(storage, [](sim::SimConfig& c) { c.invalidDateEvery = 1; });
    const StoredDirectory d = ReadRecordDirectory(link, 1, keepGoing, {}, {});
    ASSERT_EQ(d.total, 3);
    std::vector<TrendFrame> frames;
    int calls = 0;
    EXPECT_FALSE(DownloadRecordFrames(
        link, d.entries, d.total, keepGoing, [&](int, int) { ++calls; }, frames));
    EXPECT_EQ(calls, 0);
    int dataRequests = 0;
    for (const auto& r : simulator->Requests())
        dataRequests += (r[1] == kCmdRecord && r[2] > 0) ? 1 : 0;
    EXPECT_EQ(dataRequests, 21);
}

TEST_F(StoredRecordsTest, TransferWritesTrendFilesSplitAtGapsWithTheExactBlocks) {
    // Slot 0: frames 31 s apart then a 32 s gap; slot 1 an hour later; slot 2 earliest.
    const std::int64_t t0 = Local(2019, 7, 1, 9, 0, 0);
    InstrumentStorage storage;
    auto frames = [](std::int64_t start, std::vector<std::int64_t> offsets, int seed) {
        std::vector<TrendFrame> list;
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            TrendFrame f;
            f.time = start + offsets[i];
            for (int k = 0; k < kTrendPointsPerBlock; ++k) {
                f.block.ch1[k] =
                    static_cast<std::int16_t>(seed * 1000 + static_cast<int>(i) * 62 + k);
                f.block.ch2[k] = static_cast<std::int16_t>(-seed * 1000 - k);
            }
            list.push_back(f);
        }
        return list;
    };
    storage.SetSlotFrames(0, frames(t0, {0, 31, 62, 94, 125}, 1));
    storage.SetSlotFrames(1, frames(t0 + 3600, {0, 31}, 2));
    storage.SetSlotFrames(2, frames(t0 - 7200, {0}, 3));
    storage.recordSlots = 3;
    Start(storage, [](sim::SimConfig& c) {
        c.recordFault = sim::ReplyFault::Pieces;
        c.recordFaultEvery = 2;
        c.piecePauseMs = 5;
        c.invalidDateEvery = 5;
        c.failingSlot = 0;
        c.failingSlotTimes = 3;
    });
    link.Close();

    test::TempDir dir;
    DeviceStatus status;
    std::vector<RecordFileSummary> files;
    std::vector<std::string> texts;
    TransferEvents events;
    events.statusText = [&](const std::string& t) { texts.push_back(t); };
    events.fileDone = [&](const RecordFileSummary& s) { files.push_back(s); };
    ASSERT_EQ(RunRecordTransfer(link, status, keepGoing, keepGoing, events, dir.path()),
              TransferOutcome::Completed);
    EXPECT_EQ(status.recordSlots, 3);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "第0帧/共8帧"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "第7帧/共8帧"), texts.end());

    // Files in time order: slot 2 alone, slot 0 split before 94, slot 0 tail, slot 1.
    ASSERT_EQ(files.size(), 4u);
    const std::vector<int> blocks = {1, 3, 2, 2};
    const std::vector<std::int64_t> starts = {t0 - 7200, t0, t0 + 94, t0 + 3600};
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(files[i].blocks, blocks[i]);
        EXPECT_EQ(files[i].startTime, FormatLocalTime(starts[i], "%Y-%m-%d %H:%M:%S"));
        const auto data = ReadRecordFile(files[i].path);
        ASSERT_TRUE(data);
        EXPECT_EQ(data->header.kind, 0);
        EXPECT_EQ(data->header.startTime, starts[i]);
        EXPECT_EQ(files[i].path.find(dir.path() + "/T-191012-"), 0u);
    }
    // The blocks are byte for byte what the instrument stored.
    const auto second = ReadRecordFile(files[1].path);
    ASSERT_EQ(second->points.size(), 3u * kTrendPointsPerBlock);
    const auto expected = frames(t0, {0, 31, 62}, 1);
    for (std::size_t b = 0; b < 3; ++b)
        for (int k = 0; k < kTrendPointsPerBlock; ++k) {
            const auto& p = second->points[b * kTrendPointsPerBlock + static_cast<std::size_t>(k)];
            ASSERT_EQ(p.ch1, expected[b].block.ch1[k]);
            ASSERT_EQ(p.ch2, expected[b].block.ch2[k]);
        }
}

TEST_F(StoredRecordsTest, TransferOutcomesForEmptyStorageAndSilentInstrument) {
    InstrumentStorage empty;
    empty.recordSlots = 2; // two slots announced, but neither holds frames
    Start(empty);
    link.Close();
    DeviceStatus status;
    EXPECT_EQ(RunRecordTransfer(link, status, keepGoing, keepGoing, {}),
              TransferOutcome::NoRecords);
    link.Close();
    simulator->Update([](sim::SimConfig& c) { c.fault = sim::ReplyFault::BadChecksum; });
    EXPECT_EQ(RunRecordTransfer(link, status, keepGoing, keepGoing, {}),
              TransferOutcome::StatusFailed);
    EXPECT_FALSE(link.IsOpen());
    const auto port = simulator->Port();
    simulator->Stop();
    link.SetEndpoint("127.0.0.1", port);
    EXPECT_EQ(RunRecordTransfer(link, status, keepGoing, keepGoing, {}),
              TransferOutcome::ConnectFailed);
}

// What one transfer reported, with a hook that may clear a flag on a given status text.
struct TransferLog {
    std::vector<std::string> texts;
    std::vector<int> positions;
    std::vector<RecordFileSummary> files;
    std::string stopOn; // the status text on which `flag` is cleared
    std::atomic<bool>* flag = nullptr;

    TransferEvents Events() {
        TransferEvents events;
        events.statusText = [this](const std::string& t) {
            texts.push_back(t);
            if (flag && t == stopOn)
                flag->store(false);
        };
        events.progressPosition = [this](int p) { positions.push_back(p); };
        events.fileDone = [this](const RecordFileSummary& s) { files.push_back(s); };
        return events;
    }
};

TEST_F(StoredRecordsTest, StoppedTransferEndsAsStoppedAndLeavesTheLinkToItsOwner) {
    Start(sim::BuildStorage({2, 3, Local(2031, 5, 1, 8, 0, 0), 31, 600}));
    link.Close();
    test::TempDir dir;
    DeviceStatus status;

    // One flag for both, as the window passes it: stopped during the download.
    TransferLog log;
    log.stopOn = "第2帧/共6帧";
    log.flag = &keepGoing;
    EXPECT_EQ(RunRecordTransfer(link, status, keepGoing, keepGoing, log.Events(), dir.path()),
              TransferOutcome::Stopped);
    EXPECT_EQ(log.texts.back(), "第2帧/共6帧");
    EXPECT_EQ(log.positions.back(), 2); // the position of the stopped frame is not sent
    EXPECT_TRUE(log.files.empty());
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_TRUE(link.IsOpen());
    link.Close();

    // Stopped while the directory is read: no download starts.
    keepGoing = true;
    TransferLog directoryLog;
    directoryLog.stopOn = "正在读取存储信息";
    directoryLog.flag = &keepGoing;
    EXPECT_EQ(RunRecordTransfer(link, status, keepGoing, keepGoing, directoryLog.Events()),
              TransferOutcome::Stopped);
    EXPECT_EQ(directoryLog.texts.back(), "正在读取存储信息");
    EXPECT_TRUE(directoryLog.positions.empty());
    EXPECT_EQ(sim::Simulator::CountRequests(simulator->Requests(), kCmdRecord, 0), 2u); // run 1's
    link.Close();

    // The command-line tool stops the download only and keeps the frames that arrived.
    std::atomic<bool> downloading{true};
    const std::atomic<bool> writing{true};
    TransferLog cliLog;
    cliLog.stopOn = "第3帧/共6帧";
    cliLog.flag = &downloading;
    EXPECT_EQ(RunRecordTransfer(link, status, downloading, writing, cliLog.Events(), dir.path()),
              TransferOutcome::Stopped);
    ASSERT_EQ(cliLog.files.size(), 2u);
    EXPECT_EQ(cliLog.files[0].blocks, 3);
    EXPECT_EQ(cliLog.files[1].blocks, 1);
    EXPECT_EQ(cliLog.files[0].startTime, "2031-05-01 08:00:00");
}

} // namespace
