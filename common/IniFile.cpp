#include "common/IniFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace zel {
namespace {

std::string Trim(const std::string& s) {
    const auto notBlank = [](unsigned char c) { return !std::isspace(c); };
    auto first = std::find_if(s.begin(), s.end(), notBlank);
    auto last = std::find_if(s.rbegin(), s.rend(), notBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<std::string> ReadLines(const std::string& path, bool& exists) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives name; anything else is not a section header.
std::optional<std::string> SectionName(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

std::optional<std::pair<std::string, std::string>> KeyValue(const std::string& line) {
    const auto eq = line.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    return std::make_pair(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
}

std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

} // namespace

std::optional<std::string> IniFile::Read(const std::string& path, const std::string& section,
                                         const std::string& key) {
    bool exists = false;
    const auto lines = ReadLines(path, exists);
    bool inSection = false;
    for (const auto& line : lines) {
        if (auto name = SectionName(line)) {
            inSection = SameName(*name, Trim(section));
            continue;
        }
        if (!inSection)
            continue;
        if (auto kv = KeyValue(line); kv && SameName(kv->first, Trim(key)))
            return Unquote(kv->second);
    }
    return std::nullopt;
}

std::string IniFile::ReadOr(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& fallback) {
    return Read(path, section, key).value_or(fallback);
}

bool IniFile::Write(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    bool exists = false;
    auto lines = ReadLines(path, exists);
    const std::string entry = key + "=" + value;

    // Find the section and, within it, the key or the place after its last non-blank line.
    std::size_t sectionAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i]); name && SameName(*name, Trim(section))) {
            sectionAt = i;
            break;
        }
    }
    if (sectionAt == lines.size()) {
        if (!lines.empty() && !Trim(lines.back()).empty())
            lines.emplace_back();
        lines.push_back("[" + section + "]");
        lines.push_back(entry);
    } else {
        std::size_t insertAt = sectionAt + 1;
        bool replaced = false;
        for (std::size_t i = sectionAt + 1; i < lines.size() && !SectionName(lines[i]); ++i) {
            if (auto kv = KeyValue(lines[i]); kv && SameName(kv->first, Trim(key))) {
                lines[i] = entry;
                replaced = true;
                break;
            }
            if (!Trim(lines[i]).empty())
                insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }

    // Write beside the file and rename, so a reader on another thread sees the old or the new
    // file, never a half-written one.
    std::ostringstream text;
    for (const auto& line : lines)
        text << line << "\r\n";
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << text.str();
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

} // namespace zel
