#include "records/JsonValue.h"

#include <charconv>
#include <cstdio>

namespace zel {

namespace {

constexpr int kMaxDepth = 64;

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}

    std::optional<JsonValue> Document() {
        JsonValue value;
        if (!Value(value, 0))
            return std::nullopt;
        SkipSpace();
        if (i_ != s_.size())
            return std::nullopt;
        return value;
    }

private:
    void SkipSpace() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r'))
            ++i_;
    }

    bool Take(char c) {
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }

    bool Word(const char* word) {
        const std::string w(word);
        if (s_.compare(i_, w.size(), w) != 0)
            return false;
        i_ += w.size();
        return true;
    }

    bool Value(JsonValue& v, int depth) {
        if (depth > kMaxDepth)
            return false;
        SkipSpace();
        if (i_ >= s_.size())
            return false;
        const char c = s_[i_];
        if (c == '{')
            return Object(v, depth);
        if (c == '[')
            return Array(v, depth);
        if (c == '"') {
            v.type = JsonValue::Type::String;
            return String(v.text);
        }
        if (c == 't' || c == 'f') {
            v.type = JsonValue::Type::Bool;
            v.boolean = c == 't';
            return Word(c == 't' ? "true" : "false");
        }
        if (c == 'n')
            return Word("null");
        return Number(v);
    }

    bool Object(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Object;
        ++i_;
        if (Take('}'))
            return true;
        do {
            SkipSpace();
            std::string key;
            if (i_ >= s_.size() || s_[i_] != '"' || !String(key) || !Take(':'))
                return false;
            JsonValue member;
            if (!Value(member, depth + 1))
                return false;
            v.members.push_back({std::move(key), std::move(member)});
        } while (Take(','));
        return Take('}');
    }

    bool Array(JsonValue& v, int depth) {
        v.type = JsonValue::Type::Array;
        ++i_;
        if (Take(']'))
            return true;
        do {
            JsonValue item;
            if (!Value(item, depth + 1))
                return false;
            v.items.push_back(std::move(item));
        } while (Take(','));
        return Take(']');
    }

    bool Hex4(std::uint32_t& unit) {
        if (i_ + 4 > s_.size())
            return false;
        unsigned value = 0;
        const auto r = std::from_chars(s_.data() + i_, s_.data() + i_ + 4, value, 16);
        if (r.ec != std::errc() || r.ptr != s_.data() + i_ + 4)
            return false;
        i_ += 4;
        unit = value;
        return true;
    }

    bool Escape(std::string& out) {
        if (i_ >= s_.size())
            return false;
        const char c = s_[i_++];
        switch (c) {
        case '"':
            out += '"';
            return true;
        case '\\':
            out += '\\';
            return true;
        case '/':
            out += '/';
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'u':
            break;
        default:
            return false;
        }
        std::uint32_t unit = 0;
        if (!Hex4(unit))
            return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return false; // a low surrogate on its own
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            std::uint32_t low = 0;
            if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                return false;
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, unit);
        return true;
    }

    bool String(std::string& out) {
        ++i_; // the opening quote
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '"') {
                ++i_;
                return IsValidUtf8(out);
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            ++i_;
            if (c == '\\') {
                if (!Escape(out))
                    return false;
            } else {
                out += c;
            }
        }
        return false;
    }

    bool Number(JsonValue& v) {
        const std::size_t start = i_;
        if (i_ < s_.size() && s_[i_] == '-')
            ++i_;
        const auto digits = [&] {
            const std::size_t from = i_;
            while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')
                ++i_;
            return i_ > from;
        };
        if (!digits())
            return false;
        if (i_ < s_.size() && s_[i_] == '.') {
            ++i_;
            if (!digits())
                return false;
        }
        if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
            ++i_;
            if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-'))
                ++i_;
            if (!digits())
                return false;
        }
        v.type = JsonValue::Type::Number;
        v.text = s_.substr(start, i_ - start);
        return true;
    }

    const std::string& s_;
    std::size_t i_ = 0;
};

} // namespace

const JsonValue* JsonValue::Find(const std::string& key) const {
    for (const auto& [name, value] : members)
        if (name == key)
            return &value;
    return nullptr;
}

std::optional<std::int64_t> JsonValue::Integer() const {
    if (type != Type::Number)
        return std::nullopt;
    std::int64_t value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<JsonValue> ParseJson(const std::string& text) {
    return Parser(text).Document();
}

std::string JsonQuote(const std::string& utf8) {
    std::string out = "\"";
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

bool IsValidUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        const unsigned char lead = byte(0);
        std::size_t length = 1;
        unsigned char low = 0x80, high = 0xBF;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > text.size() || byte(1) < low || byte(1) > high)
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if (byte(k) < 0x80 || byte(k) > 0xBF)
                return false;
        i += length;
    }
    return true;
}

} // namespace zel
