#include "cli/ConfigFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

namespace zel::cli {
namespace {

// Far beyond any hand-written configuration: a file this large was named by mistake.
constexpr off_t kMaxConfigSize = 1 << 20;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool HasControlCharacter(const std::string& line) {
    for (const char c : line)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
            return true;
    return false;
}

// A flag's value as yes or no; false for any other text.
bool ParseSwitch(const std::string& text, bool& on) {
    static const std::map<std::string, bool> kWords = {
        {"yes", true}, {"true", true},   {"on", true},   {"1", true},
        {"no", false}, {"false", false}, {"off", false}, {"0", false},
    };
    const auto it = kWords.find(text);
    if (it == kWords.end())
        return false;
    on = it->second;
    return true;
}

} // namespace

bool ReadConfigGroup(const std::string& path, const std::string& group,
                     std::vector<ConfigEntry>& entries, std::string& error) {
    // O_NONBLOCK and the regular-file check: a FIFO named by mistake must not hang the start.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    std::string text;
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) {
        error = path + ": " + std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        ok = false;
    } else if (info.st_size > kMaxConfigSize) {
        error = path + ": too large for a configuration file";
        ok = false;
    } else {
        text.resize(static_cast<std::size_t>(info.st_size));
        std::size_t got = 0;
        while (ok && got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                error = path + ": " + std::strerror(errno);
            ok = n >= 0;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        text.resize(got);
    }
    ::close(fd);
    return ok && ParseConfigGroup(text, path, group, entries, error);
}

bool ParseConfigGroup(const std::string& text, const std::string& path, const std::string& group,
                      std::vector<ConfigEntry>& entries, std::string& error) {
    const auto fail = [&](int line, const std::string& why) {
        error = path + ":" + std::to_string(line) + ": " + why;
        return false;
    };
    std::size_t begin = 0;
    // A byte-order mark that some editors write is not part of the first line.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        begin = 3;
    bool inGroup = false;
    std::map<std::string, int> seen;
    for (int number = 1; begin < text.size(); ++number) {
        auto end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string raw = text.substr(begin, end - begin);
        begin = end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        if (HasControlCharacter(raw))
            return fail(number, "control character in the line");
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == '#' || line[0] == ';')
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                return fail(number, "a group line ends with ]");
            const std::string name = Trim(line.substr(1, line.size() - 2));
            if (name != group)
                return fail(number, "unknown group [" + name + "], only [" + group + "]");
            inGroup = true;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            return fail(number, "not a key = value line");
        const std::string key = Trim(line.substr(0, equals));
        if (key.empty())
            return fail(number, "no key before =");
        if (!inGroup)
            return fail(number, key + ": outside the [" + group + "] group");
        if (const auto first = seen.find(key); first != seen.end())
            return fail(number,
                        key + ": given twice, first on line " + std::to_string(first->second));
        seen[key] = number;
        entries.push_back({key, Trim(line.substr(equals + 1)), number});
    }
    return true;
}

bool ApplyConfigEntries(const std::vector<OptionSpec>& table,
                        const std::vector<ConfigEntry>& entries, const std::string& path,
                        GivenOptions& given, std::string& error) {
    // What the command line gave, before the file adds anything.
    const GivenOptions commandLine = given;
    const auto hiddenByCommandLine = [&](const OptionSpec& spec) {
        if (commandLine.Has(spec.name))
            return true;
        if (spec.group.empty())
            return false;
        for (const OptionSpec& other : table)
            if (other.group == spec.group && commandLine.Has(other.name))
                return true;
        return false;
    };
    for (const ConfigEntry& entry : entries) {
        const auto fail = [&](const std::string& why) {
            error = path + ":" + std::to_string(entry.line) + ": " + entry.key + ": " + why;
            return false;
        };
        const OptionSpec* spec = FindOption(table, entry.key);
        if (!spec)
            return fail("unknown key");
        if (spec->place == OptionPlace::CommandLine)
            return fail("only on the command line");
        std::string value = entry.value;
        if (!spec->takesValue) {
            bool on = false;
            if (!ParseSwitch(value, on))
                return fail("takes yes or no");
            if (!on)
                continue;
            value.clear();
        } else if (spec->check) {
            if (const std::string why = spec->check(value); !why.empty())
                return fail(why);
        }
        if (!hiddenByCommandLine(*spec))
            given.Set(spec->name, std::move(value), {path, entry.line});
    }
    return true;
}

} // namespace zel::cli
