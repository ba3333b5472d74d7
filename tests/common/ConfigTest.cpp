#include "common/DeviceAddress.h"
#include "common/IniFile.h"
#include "common/Language.h"
#include "common/ModuleDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace zel;

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("zel-config-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "config.ini").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Put(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Get() {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Address() {
        char out[kDeviceAddressSize];
        ReadDeviceAddress(out, path);
        return out;
    }

    fs::path dir;
    std::string path;
};

TEST_F(ConfigTest, AbsentFileSectionOrKeyGivesDefault) {
    EXPECT_EQ(Address(), "192.168.1.1");
    Put("[OTHER]\nip=10.1.1.1\n");
    EXPECT_EQ(Address(), "192.168.1.1");
    Put("[ZELMARINE]\nport=8080\n");
    EXPECT_EQ(Address(), "192.168.1.1");
}

TEST_F(ConfigTest, NamesMatchWithoutRegardToCase) {
    Put("; comment\r\n[other]\r\nip=1.1.1.1\r\n[zelMarine]\r\n  IP = 10.0.0.5 \r\n");
    EXPECT_EQ(Address(), "10.0.0.5");
}

TEST_F(ConfigTest, EmptyValueGivesEmptyAddressNotDefault) {
    Put("[ZELMARINE]\nip=\n");
    EXPECT_EQ(Address(), "");
}

TEST_F(ConfigTest, OverLongValueIsRejectedNotTruncated) {
    Put("[ZELMARINE]\nip=192.168.100.100.12345\n"); // 22 bytes
    char out[kDeviceAddressSize];
    EXPECT_FALSE(ReadDeviceAddress(out, path));
    EXPECT_STREQ(out, "");

    Put("[ZELMARINE]\nip=1234567890123456789\n"); // exactly 19 bytes still fits
    EXPECT_TRUE(ReadDeviceAddress(out, path));
    EXPECT_STREQ(out, "1234567890123456789");
}

TEST_F(ConfigTest, WriterCreatesFileAndKeepsOtherLines) {
    ASSERT_TRUE(WriteDeviceAddress("10.0.0.5", path));
    EXPECT_EQ(Address(), "10.0.0.5");

    Put("# mine\n[Other]\nkey=value\n\n[zelmarine]\nIp=1.2.3.4\nextra=keep\n[Last]\nx=1\n");
    ASSERT_TRUE(WriteDeviceAddress("10.0.0.6", path));
    EXPECT_EQ(Address(), "10.0.0.6");
    const std::string text = Get();
    EXPECT_NE(text.find("# mine"), std::string::npos);
    EXPECT_NE(text.find("key=value"), std::string::npos);
    EXPECT_NE(text.find("extra=keep"), std::string::npos);
    EXPECT_NE(text.find("[Last]"), std::string::npos);
    EXPECT_EQ(text.find("1.2.3.4"), std::string::npos);
    EXPECT_EQ(IniFile::ReadOr(path, "last", "X", ""), "1");
}

TEST_F(ConfigTest, WriterAddsKeyToExistingSectionNotAnotherSection) {
    Put("[ZELMARINE]\nother=1\n\n[NEXT]\nip=9.9.9.9\n");
    ASSERT_TRUE(WriteDeviceAddress("10.0.0.7", path));
    EXPECT_EQ(Address(), "10.0.0.7");
    EXPECT_EQ(IniFile::ReadOr(path, "NEXT", "ip", ""), "9.9.9.9");
    EXPECT_EQ(IniFile::ReadOr(path, "ZELMARINE", "other", ""), "1");
}

TEST_F(ConfigTest, LanguageFollowsTheLocaleUnlessChosen) {
    for (const char* chinese : {"zh_CN.UTF-8", "zh_TW", "zh", "zh-Hans", "ZH_cn", "zh@pinyin"})
        EXPECT_EQ(LanguageForLocale(chinese), UiLanguage::Chinese) << chinese;
    for (const char* other : {"en_US.UTF-8", "C", "C.UTF-8", "POSIX", "", "de_DE", "zu_ZA", "zhx"})
        EXPECT_EQ(LanguageForLocale(other), UiLanguage::English) << other;

    EXPECT_EQ(ReadLanguageChoice(path), LanguageChoice::Automatic); // no file yet
    Put("[ZELMARINE]\nip=1.2.3.4\nlanguage=fr\n");
    EXPECT_EQ(ReadLanguageChoice(path), LanguageChoice::Automatic);
    ASSERT_TRUE(WriteLanguageChoice(LanguageChoice::English, path));
    EXPECT_EQ(ReadLanguageChoice(path), LanguageChoice::English);
    EXPECT_EQ(Address(), "1.2.3.4");
    EXPECT_EQ(ResolveLanguage(ReadLanguageChoice(path), UiLanguage::Chinese), UiLanguage::English);
    ASSERT_TRUE(WriteLanguageChoice(LanguageChoice::Chinese, path));
    EXPECT_EQ(ResolveLanguage(ReadLanguageChoice(path), UiLanguage::English), UiLanguage::Chinese);
    ASSERT_TRUE(WriteLanguageChoice(LanguageChoice::Automatic, path));
    EXPECT_EQ(ResolveLanguage(ReadLanguageChoice(path), UiLanguage::English), UiLanguage::English);
}

TEST_F(ConfigTest, WriterFailsIntoMissingFolder) {
    EXPECT_FALSE(WriteDeviceAddress("10.0.0.5", (dir / "no" / "such" / "config.ini").string()));
}

TEST(ModuleDirectoryTest, EndsWithSeparatorAndHoldsThisExecutable) {
    const std::string dir = GetModuleDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(fs::path(dir) / "zel_common_tests"));
    EXPECT_EQ(ConfigFilePath(), dir + "config.ini");
}

} // namespace
