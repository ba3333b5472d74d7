#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zel::cli {

// Why a value is refused, or an empty text when it is fine.
using OptionCheck = std::function<std::string(const std::string& value)>;

// Where an option may be given.
enum class OptionPlace {
    Anywhere,    // the command line and a configuration file
    CommandLine, // only the command line (--config itself)
    ConfigFile,  // only a configuration file: a global option of the tool (--host, --port)
};

// One option of a command: "--name VALUE", or the flag "--name".
struct OptionSpec {
    std::string name{}; // without the dashes, as the key of a configuration file names it too
    bool takesValue = true;
    OptionCheck check{}; // none: every value is taken
    // Options of one group stand for each other (--seconds and --blocks): one of them given on
    // the command line hides every one of the group that a configuration file gives.
    std::string group{};
    OptionPlace place = OptionPlace::Anywhere;
};

// Where an option's value was given: the command line, or a line of a configuration file.
struct OptionOrigin {
    std::string file; // empty: the command line
    int line = 0;
};

// The options of one run of a command, by name, each with where it came from.
class GivenOptions {
public:
    bool Has(const std::string& name) const { return options_.count(name) != 0; }
    // The value given, or `fallback` when the option was not given; "" for a flag.
    std::string Value(const std::string& name, const std::string& fallback = {}) const;
    const OptionOrigin* Origin(const std::string& name) const;
    // How a message names the place of an option: "--dir" on the command line,
    // "FILE:LINE: dir" from a configuration file.
    std::string Where(const std::string& name) const;

    // The options given, as command-line arguments again ("--name", "value", ... in the
    // table's order): for a parser that takes its options from arguments, such as one shared
    // with another command. Every option of the table reaches it so, from the file as well.
    std::vector<std::string> Arguments(const std::vector<OptionSpec>& table) const;
    // Such a parser's message that begins with an option ("--name: …" or "--name VALUE …"):
    // when a file gave that option, it begins with the file, the line and the key instead.
    std::string Attribute(const std::string& message) const;

    void Set(const std::string& name, std::string value, OptionOrigin origin);
    const std::map<std::string, std::pair<std::string, OptionOrigin>>& All() const {
        return options_;
    }

private:
    std::map<std::string, std::pair<std::string, OptionOrigin>> options_;
};

const OptionSpec* FindOption(const std::vector<OptionSpec>& table, const std::string& name);

// Takes every option of `table` out of the command line's arguments and checks its value.
// False with `error` saying which and why for an option given twice, a missing or refused
// value, or an argument that is no option of the table.
bool TakeCommandLineOptions(const std::vector<OptionSpec>& table, std::vector<std::string>& args,
                            GivenOptions& given, std::string& error);

// Checks shared by the option tables.
std::string CheckPositiveNumber(const std::string& value);
std::string CheckNotEmpty(const std::string& value);
std::string CheckPort(const std::string& value);
// A whole positive number; false for anything else, also for one that does not fit.
bool ParsePositive(const std::string& text, long long& value);
// "2G", "500M", "64K" or a number of bytes; K, M and G are powers of 1024.
bool ParseSize(const std::string& text, unsigned long long& bytes);

} // namespace zel::cli
