#include "cli/OptionTable.h"

#include <charconv>
#include <climits>

namespace zel::cli {

std::string GivenOptions::Value(const std::string& name, const std::string& fallback) const {
    const auto it = options_.find(name);
    return it == options_.end() ? fallback : it->second.first;
}

const OptionOrigin* GivenOptions::Origin(const std::string& name) const {
    const auto it = options_.find(name);
    return it == options_.end() ? nullptr : &it->second.second;
}

std::string GivenOptions::Where(const std::string& name) const {
    const OptionOrigin* origin = Origin(name);
    if (!origin || origin->file.empty())
        return "--" + name;
    return origin->file + ":" + std::to_string(origin->line) + ": " + name;
}

std::vector<std::string> GivenOptions::Arguments(const std::vector<OptionSpec>& table) const {
    std::vector<std::string> args;
    for (const OptionSpec& spec : table) {
        const auto it = options_.find(spec.name);
        if (it == options_.end() || spec.place != OptionPlace::Anywhere)
            continue;
        args.push_back("--" + spec.name);
        if (spec.takesValue)
            args.push_back(it->second.first);
    }
    return args;
}

std::string GivenOptions::Attribute(const std::string& message) const {
    // The longest name the message begins with: --mqtt-ca, not --mqtt.
    const std::pair<const std::string, std::pair<std::string, OptionOrigin>>* best = nullptr;
    for (const auto& option : options_) {
        const std::string dashed = "--" + option.first;
        if (message.rfind(dashed, 0) != 0)
            continue;
        const char next = message.size() > dashed.size() ? message[dashed.size()] : ' ';
        if ((next == ':' || next == ' ') && (!best || option.first.size() > best->first.size()))
            best = &option;
    }
    if (!best || best->second.second.file.empty())
        return message;
    return Where(best->first) + message.substr(best->first.size() + 2);
}

void GivenOptions::Set(const std::string& name, std::string value, OptionOrigin origin) {
    options_[name] = {std::move(value), std::move(origin)};
}

const OptionSpec* FindOption(const std::vector<OptionSpec>& table, const std::string& name) {
    for (const OptionSpec& spec : table)
        if (spec.name == name)
            return &spec;
    return nullptr;
}

bool TakeCommandLineOptions(const std::vector<OptionSpec>& table, std::vector<std::string>& args,
                            GivenOptions& given, std::string& error) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const OptionSpec* spec =
            arg.rfind("--", 0) == 0 ? FindOption(table, arg.substr(2)) : nullptr;
        if (!spec || spec->place == OptionPlace::ConfigFile) {
            rest.push_back(arg);
            continue;
        }
        if (given.Has(spec->name)) {
            error = arg + " given twice";
            return false;
        }
        std::string value;
        if (spec->takesValue) {
            if (i + 1 == args.size()) {
                error = "option without value";
                return false;
            }
            value = args[++i];
            if (spec->check) {
                if (const std::string why = spec->check(value); !why.empty()) {
                    error = arg + ": " + why;
                    return false;
                }
            }
        }
        given.Set(spec->name, std::move(value), {});
    }
    args = std::move(rest);
    if (!args.empty()) {
        error = "unexpected argument " + args.front();
        return false;
    }
    return true;
}

bool ParsePositive(const std::string& text, long long& value) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && value > 0;
}

bool ParseSize(const std::string& text, unsigned long long& bytes) {
    if (text.empty())
        return false;
    std::string digits = text;
    unsigned shift = 0;
    switch (digits.back()) {
    case 'K':
    case 'k':
        shift = 10;
        break;
    case 'M':
    case 'm':
        shift = 20;
        break;
    case 'G':
    case 'g':
        shift = 30;
        break;
    default:
        break;
    }
    if (shift)
        digits.pop_back();
    unsigned long long n = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size() || digits.empty() || n == 0)
        return false;
    if (n > (ULLONG_MAX >> shift))
        return false;
    bytes = n << shift;
    return true;
}

std::string CheckPositiveNumber(const std::string& value) {
    long long n = 0;
    return ParsePositive(value, n) ? std::string() : "needs a whole number, 1 or more";
}

std::string CheckNotEmpty(const std::string& value) {
    return value.empty() ? "needs a value" : std::string();
}

std::string CheckPort(const std::string& value) {
    long long n = 0;
    return ParsePositive(value, n) && n <= 65535 ? std::string() : "needs a port, 1 to 65535";
}

} // namespace zel::cli
