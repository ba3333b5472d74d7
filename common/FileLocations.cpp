#include "common/FileLocations.h"

#include "common/ModuleDirectory.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace zel {
namespace {

constexpr const char* kFolderName = "Zelmarine";

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An installation puts the program in <prefix>/bin and its desktop entry in
// <prefix>/share/applications. A root user or a user who installed under ~/.local may write to
// that bin/, but the files still belong in the user's places, not among the programs.
bool IsInstalledCopy(const std::string& moduleDirectory) {
    return EndsWith(moduleDirectory, "/bin/") &&
           Exists(moduleDirectory + "../share/applications/" + kApplicationId + ".desktop");
}

// The value of a line such as XDG_DOCUMENTS_DIR="$HOME/Documents": a path relative to the
// home folder or an absolute one, inside double quotes with backslash escapes.
std::string UserDirValue(const std::string& quoted, const std::string& home) {
    if (quoted.size() < 2 || quoted.front() != '"')
        return {};
    std::string value;
    bool closed = false;
    for (std::size_t i = 1; i < quoted.size(); ++i) {
        const char c = quoted[i];
        if (c == '\\' && i + 1 < quoted.size()) {
            value += quoted[++i];
        } else if (c == '"') {
            closed = true;
            break;
        } else {
            value += c;
        }
    }
    if (!closed)
        return {};
    if (value == "$HOME" || value.rfind("$HOME/", 0) == 0)
        return home + value.substr(5);
    return value.rfind('/', 0) == 0 ? value : std::string();
}

std::string DocumentsFromUserDirs(const std::string& configHome, const std::string& home) {
    std::ifstream in(configHome + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=";
    std::string line, found;
    while (std::getline(in, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        // The last assignment wins, as when the file is read by a shell.
        if (std::string value = UserDirValue(line.substr(start + key.size()), home); !value.empty())
            found = value;
    }
    return found;
}

std::string HomeOfThisUser() {
    if (const char* home = std::getenv("HOME"); home && home[0] == '/')
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && result->pw_dir[0] == '/')
        return result->pw_dir;
    return {};
}

// mkdir -p; a folder that already exists is fine. Whether it can be used shows when a file in it
// is opened.
void MakeDirectories(const std::string& path, mode_t mode) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), mode) != 0 && errno != EEXIST)
            return;
        if (slash == std::string::npos)
            return;
    }
}

std::string Parent(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

FileLocations FileLocations::Choose(const LocationFacts& facts) {
    FileLocations beside;
    beside.configFile_ = facts.moduleDirectory + "config.ini";
    beside.recordDirectory_ = facts.moduleDirectory + "ZMR";
    beside.pictureDirectory_ = facts.moduleDirectory + "BMP";

    if (facts.moduleWritable &&
        (!IsInstalledCopy(facts.moduleDirectory) || Exists(beside.configFile_)))
        return beside;
    // Without a home folder there is no per-user place to go to.
    const std::string home = WithoutTrailingSlash(facts.home);
    if (home.empty() || home[0] != '/')
        return beside;

    // Relative values are not valid settings of these variables and are ignored.
    const std::string configHome = !facts.configHome.empty() && facts.configHome[0] == '/'
                                       ? WithoutTrailingSlash(facts.configHome)
                                       : home + "/.config";
    std::string documents = DocumentsFromUserDirs(configHome, home);
    if (documents.empty() && !facts.documentsSetting.empty() && facts.documentsSetting[0] == '/')
        documents = facts.documentsSetting;
    if (documents.empty())
        documents = home + "/Documents";
    const std::string base = WithoutTrailingSlash(documents) + "/" + kFolderName;

    FileLocations perUser;
    perUser.configFile_ = configHome + "/" + kFolderName + "/config.ini";
    perUser.recordDirectory_ = base + "/ZMR";
    perUser.pictureDirectory_ = base + "/BMP";
    perUser.perUser_ = true;
    return perUser;
}

const FileLocations& FileLocations::ForThisProcess() {
    static const FileLocations chosen = Choose(CurrentLocationFacts());
    return chosen;
}

std::string FileLocations::UseConfigFile() const {
    if (perUser_)
        MakeDirectories(Parent(configFile_), 0700);
    return configFile_;
}

std::string FileLocations::UseRecordDirectory() const {
    if (perUser_)
        MakeDirectories(recordDirectory_, 0777);
    return recordDirectory_;
}

std::string FileLocations::UsePictureDirectory() const {
    if (perUser_)
        MakeDirectories(pictureDirectory_, 0777);
    return pictureDirectory_;
}

std::string FileLocations::Describe() const {
    return "Files:\n  settings  " + configFile_ + "\n  records   " + recordDirectory_ +
           "\n  pictures  " + pictureDirectory_ + "\n";
}

LocationFacts CurrentLocationFacts() {
    LocationFacts facts;
    facts.moduleDirectory = GetModuleDirectory();
    facts.moduleWritable = ::access(facts.moduleDirectory.c_str(), W_OK) == 0;
    facts.home = HomeOfThisUser();
    if (const char* value = std::getenv("XDG_CONFIG_HOME"))
        facts.configHome = value;
    if (const char* value = std::getenv("XDG_DOCUMENTS_DIR"))
        facts.documentsSetting = value;
    return facts;
}

} // namespace zel
