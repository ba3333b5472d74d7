#include "records/RecordFile.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QMimeDatabase>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace zel;
namespace fs = std::filesystem;

namespace {

// The desktop's view of files: the record type of the package is the only one it knows.
class MimeTypeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        data = new test::TempDir;
        fs::create_directories(data->path() + "/mime/packages");
        fs::copy_file(ZEL_MIME_XML, data->path() + "/mime/packages/zelmarine.xml");
        // Before the first QMimeDatabase: it reads its sources once per process.
        ::setenv("XDG_DATA_HOME", data->path().c_str(), 1);
        ::setenv("XDG_DATA_DIRS", data->path().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete data;
        data = nullptr;
    }

    static QString TypeOf(const std::string& path) {
        return QMimeDatabase().mimeTypeForFile(QString::fromStdString(path)).name();
    }

    static test::TempDir* data;
    test::TempDir dir;
};

test::TempDir* MimeTypeTest::data = nullptr;

TEST_F(MimeTypeTest, RecordFilesAreKnownByTheirMagicAndByTheirName) {
    const std::string record = CreateTrendRecord("T", 12, 1203, 1400000000, dir.path());
    ASSERT_FALSE(record.empty());
    ASSERT_TRUE(AppendRecordBlock(record, TrendBlock{}));
    EXPECT_EQ(TypeOf(record), "application/x-zelmarine-record");

    // Renamed, the file is still known by its first bytes.
    const std::string renamed = dir / "measurement.bin";
    fs::rename(record, renamed);
    EXPECT_EQ(TypeOf(renamed), "application/x-zelmarine-record");

    // A magic not closed by a zero unit is not a record file.
    auto bytes = test::ReadBytes(renamed);
    bytes[32] = 'X';
    test::WriteBytes(renamed, bytes);
    EXPECT_NE(TypeOf(renamed), "application/x-zelmarine-record");

    // The name alone is enough for a file that cannot be read yet.
    EXPECT_EQ(QMimeDatabase().mimeTypeForFile(QStringLiteral("/nowhere/R-191012-1.zmr")).name(),
              "application/x-zelmarine-record");
}

} // namespace
