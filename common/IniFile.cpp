#include "common/IniFile.h"

#include "common/ReplaceFile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
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

// One line of the file and the ending it had: "\r\n", "\n", "\r", or nothing for a last line
// without one.
struct Line {
    std::string text;
    std::string end;
};

std::vector<Line> ReadLines(const std::string& path, bool& exists) {
    std::ifstream in(path, std::ios::binary);
    exists = static_cast<bool>(in);
    std::vector<Line> lines;
    std::string text;
    while (std::getline(in, text)) {
        const bool last = in.eof();
        const bool carriageReturn = !text.empty() && text.back() == '\r';
        if (carriageReturn)
            text.pop_back();
        lines.push_back(
            {std::move(text), std::string(carriageReturn ? "\r" : "") + (last ? "" : "\n")});
    }
    return lines;
}

// New lines take the ending the file already uses; a new file gets the platform's own.
std::string LineEndingOf(const std::vector<Line>& lines) {
    for (const auto& line : lines) {
        if (line.end == "\r\n" || line.end == "\n")
            return line.end;
    }
    return "\n";
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
        if (auto name = SectionName(line.text)) {
            inSection = SameName(*name, Trim(section));
            continue;
        }
        if (!inSection)
            continue;
        if (auto kv = KeyValue(line.text); kv && SameName(kv->first, Trim(key)))
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
    const std::string newline = LineEndingOf(lines);
    const Line entry{key + "=" + value, newline};

    // Find the section and, within it, the key or the place after its last non-blank line.
    std::size_t sectionAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionName(lines[i].text); name && SameName(*name, Trim(section))) {
            sectionAt = i;
            break;
        }
    }
    if (sectionAt == lines.size()) {
        if (!lines.empty() && !Trim(lines.back().text).empty())
            lines.push_back({"", newline});
        lines.push_back({"[" + section + "]", newline});
        lines.push_back(entry);
    } else {
        std::size_t insertAt = sectionAt + 1;
        bool replaced = false;
        for (std::size_t i = sectionAt + 1; i < lines.size() && !SectionName(lines[i].text); ++i) {
            if (auto kv = KeyValue(lines[i].text); kv && SameName(kv->first, Trim(key))) {
                lines[i].text = entry.text;
                replaced = true;
                break;
            }
            if (!Trim(lines[i].text).empty())
                insertAt = i + 1;
        }
        if (!replaced)
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }

    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i].text;
        // Only the last line may stay without a line feed: a former last line ending in a lone
        // "\r" would otherwise run into the next one when the file is read again.
        const bool last = i + 1 == lines.size();
        text += !last && lines[i].end.find('\n') == std::string::npos ? newline : lines[i].end;
    }
    return ReplaceFileContents(path, text);
}

} // namespace zel
