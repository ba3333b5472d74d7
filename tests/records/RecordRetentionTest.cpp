#include "records/RecordRetention.h"
#include "records/RecordFile.h"
#include "records/RecordNotes.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

using namespace zel;
namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kNow = 1'700'000'000;
constexpr std::int64_t kDay = 86400;

// A record of `blocks` blocks begun at `start`, named by the writers' rule.
std::string MakeRecord(const std::string& folder, const std::string& prefix, std::uint16_t serial,
                       std::int64_t start, int blocks, RecordKind kind = RecordKind::Waveform) {
    RecordFileHeader header;
    header.kind = static_cast<std::int32_t>(kind);
    header.deviceNumber = serial;
    header.startTime = start;
    const std::string path = CreateRecordWithHeader(header, prefix, folder);
    EXPECT_FALSE(path.empty());
    for (int i = 0; i < blocks; ++i) {
        if (kind == RecordKind::Trend)
            EXPECT_TRUE(AppendRecordBlock(path, TrendBlock{}));
        else
            EXPECT_TRUE(AppendRecordBlock(path, SampleBlock{}));
    }
    return path;
}

std::set<std::string> FilesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string Name(const std::string& path) {
    return fs::path(path).filename().string();
}

// A file system of a fixed size that holds only the folder: what its files take is not free.
class FolderSpace : public FreeSpaceSource {
public:
    explicit FolderSpace(std::uint64_t capacity) : capacity_(capacity) {}
    std::optional<std::uint64_t> Available(const std::string& folder) const override {
        if (fail_) {
            errno = EIO;
            return std::nullopt;
        }
        std::uint64_t used = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.is_regular_file())
                used += entry.file_size();
        return used >= capacity_ ? 0 : capacity_ - used;
    }
    bool fail_ = false;

private:
    std::uint64_t capacity_;
};

// A folder where the logger of prefix R and instrument 12 has left files of several ages,
// beside what must never go: files of other prefixes and instruments, an annotated file, the
// file being written, files that are not record files by name or by header, and a link.
class RetentionTest : public ::testing::Test {
protected:
    void SetUp() override {
        // 100 blocks are 50 s: begun 30 days and 10 s ago, its last block is younger than 30
        // days, although its start is older.
        youngEnd = MakeRecord(dir.path(), "R", 12, kNow - 30 * kDay - 10, 100);
        old40 = MakeRecord(dir.path(), "R", 12, kNow - 40 * kDay, 3);
        copy40 = MakeRecord(dir.path(), "R", 12, kNow - 40 * kDay, 3); // "-2"
        old31 = MakeRecord(dir.path(), "R", 12, kNow - 31 * kDay, 3);
        // 2 trend blocks are 124 points, 61.5 s: it ended more than 30 days ago.
        trend = MakeRecord(dir.path(), "R", 12, kNow - 30 * kDay - 70, 2, RecordKind::Trend);
        fresh = MakeRecord(dir.path(), "R", 12, kNow - kDay, 3);
        const std::string annotated = MakeRecord(dir.path(), "R", 12, kNow - 50 * kDay, 3);
        ASSERT_TRUE(WriteRecordNotes(annotated, kNow - 50 * kDay, {{1, "pump on"}}));
        current = MakeRecord(dir.path(), "R", 12, kNow - 60 * kDay, 3);
        kept = {Name(youngEnd),
                Name(fresh),
                Name(annotated),
                Name(NotesPath(annotated)),
                Name(current),
                "R-191012-20100101000000.zmr",
                "R-191012-20100101000001.zmr",
                "R-191012-old.zmr",
                "R-191012-20100101000002-1.zmr",
                "R-191012-20100101000003.zmr",
                "readme.txt"};
        kept.insert(Name(MakeRecord(dir.path(), "S", 12, kNow - 50 * kDay, 3)));
        kept.insert(Name(MakeRecord(dir.path(), "R", 13, kNow - 50 * kDay, 3)));
        // Named as the series but not of it by header: another instrument's, no magic at all.
        fs::rename(MakeRecord(dir.path(), "R", 13, kNow - 50 * kDay - 2, 3),
                   dir / "R-191012-20100101000000.zmr");
        test::WriteBytes(dir / "R-191012-20100101000001.zmr", std::vector<std::uint8_t>(200, 'x'));
        // Of the series by header but not by name, and a link named as one of it.
        fs::copy_file(old40, dir / "R-191012-old.zmr");
        fs::copy_file(old40, dir / "R-191012-20100101000002-1.zmr");
        fs::create_symlink(dir / "R-191012-old.zmr", dir / "R-191012-20100101000003.zmr");
        test::WriteBytes(dir / "readme.txt", {'h', 'i'});
    }

    RecordRetention Retention(RecordRetention::Rules rules, const FreeSpaceSource& space) {
        return RecordRetention(
            {dir.path(), "R", 12}, rules, space, [] { return kNow; },
            [this](const RecordRetention::Deletion& d) { deleted.push_back(d); },
            [this](const RecordRetention::Shortage& s) { shortages.push_back(s); });
    }
    std::vector<std::string> DeletedNames() const {
        std::vector<std::string> names;
        for (const auto& d : deleted)
            names.push_back(Name(d.file.path));
        return names;
    }

    test::TempDir dir;
    std::string youngEnd, old40, copy40, old31, trend, fresh, current;
    std::set<std::string> kept; // the names that must outlive every deletion
    std::vector<RecordRetention::Deletion> deleted;
    std::vector<RecordRetention::Shortage> shortages;
};

TEST_F(RetentionTest, ByAgeDeletesExactlyTheSeriesFilesWhoseLastBlockIsOlderOldestFirst) {
    ASSERT_EQ(Name(copy40), Name(old40).substr(0, 23) + "-2.zmr");
    FolderSpace space(1 << 30);
    Retention({30, 0}, space).DeleteByAge(current);
    EXPECT_EQ(DeletedNames(),
              (std::vector<std::string>{Name(old40), Name(copy40), Name(old31), Name(trend)}));
    EXPECT_EQ(deleted[0].file.size, 60u + 3u * 1612u);
    EXPECT_EQ(deleted[0].file.firstTime, kNow - 40 * kDay);
    EXPECT_EQ(deleted[0].file.lastTime, kNow - 40 * kDay + 1); // block 2 at 1.0 s
    EXPECT_EQ(deleted[3].file.lastTime, kNow - 30 * kDay - 70 + 61);
    for (const auto& d : deleted)
        EXPECT_EQ(d.reason, RecordRetention::Reason::Age);
    EXPECT_EQ(FilesIn(dir.path()), kept);
    EXPECT_TRUE(shortages.empty());
}

TEST_F(RetentionTest, ByFreeSpaceDeletesTheOldestUntilThereIsRoomAndSaysWhenThereIsNone) {
    std::uint64_t total = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.is_regular_file())
            total += entry.file_size();
    const std::uint64_t recordSize = 60 + 3 * 1612;
    // Room for one and a half small files beyond what is there: two must go.
    FolderSpace space(total + recordSize / 2);
    auto retention = Retention({0, 2 * recordSize}, space);
    retention.MakeRoom(current);
    EXPECT_EQ(DeletedNames(), (std::vector<std::string>{Name(old40), Name(copy40)}));
    EXPECT_TRUE(shortages.empty());
    retention.MakeRoom(current); // enough now: nothing more goes
    EXPECT_EQ(deleted.size(), 2u);

    // Never enough: every deletable file goes, and the shortage is told with what is free.
    deleted.clear();
    FolderSpace tiny(1);
    Retention({0, std::uint64_t{1} << 40}, tiny).MakeRoom(current);
    EXPECT_EQ(DeletedNames(),
              (std::vector<std::string>{Name(old31), Name(trend), Name(youngEnd), Name(fresh)}));
    ASSERT_EQ(shortages.size(), 1u);
    EXPECT_EQ(shortages[0].available, std::optional<std::uint64_t>(0));
    std::set<std::string> left = kept;
    for (const std::string& name : {Name(youngEnd), Name(fresh)})
        left.erase(name);
    EXPECT_EQ(FilesIn(dir.path()), left);

    // A file system that cannot tell its free space loses nothing.
    shortages.clear();
    deleted.clear();
    tiny.fail_ = true;
    MakeRecord(dir.path(), "R", 12, kNow - 90 * kDay, 1);
    Retention({0, 1}, tiny).MakeRoom(current);
    EXPECT_TRUE(deleted.empty());
    ASSERT_EQ(shortages.size(), 1u);
    EXPECT_FALSE(shortages[0].available);
    EXPECT_EQ(shortages[0].error, EIO);
}

TEST(RecordNameTest, PartsAndOrderOfTheWritersNames) {
    const auto a = ParseRecordName("R-x-191012-20240301120000.zmr");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->prefix, "R-x");
    EXPECT_EQ(a->number, "191012");
    EXPECT_EQ(a->copy, 1);
    const auto b = ParseRecordName("R-x-191012-20240301120000-12.zmr");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->copy, 12);
    EXPECT_TRUE(b->Follows(*a));
    EXPECT_FALSE(a->Follows(*b));
    EXPECT_TRUE(ParseRecordName("R-x-191012-20240301120001.zmr")->Follows(*b));
    EXPECT_FALSE(ParseRecordName("S-191012-20240301120001.zmr")->Follows(*b));
    for (const char* bad : {"R-191012-2024030112000.zmr", "R-191012-20240301120000-1.zmr",
                            "R-191012-20240301120000-02.zmr", "-191012-20240301120000.zmr",
                            "R-191012-20240301120000.ZMR", "R-20240301120000.zmr"})
        EXPECT_FALSE(ParseRecordName(bad)) << bad;
}

} // namespace
