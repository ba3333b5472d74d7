#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zel {

struct JsonMember;

// A parsed JSON document, small and strict: what the sidecar files beside record files need.
struct JsonValue {
    enum class Type { Null, Bool, Number, String, Array, Object };
    Type type = Type::Null;
    bool boolean = false;
    std::string text; // a string's UTF-8, or a number as written
    std::vector<JsonValue> items;
    // An object's members in the order written. A struct of its own rather than a pair: a pair
    // may not hold the type that is still being declared.
    std::vector<JsonMember> members;

    // The member named `key` of an object, or null when there is none.
    const JsonValue* Find(const std::string& key) const;
    // A number written as a whole number that fits 64 bits.
    std::optional<std::int64_t> Integer() const;
};

struct JsonMember {
    std::string key;
    JsonValue value;
};

// Nothing for text that is not one well-formed JSON value (invalid UTF-8, nesting deeper than
// 64, trailing text included).
std::optional<JsonValue> ParseJson(const std::string& text);

// A JSON string literal of UTF-8 text; control characters are escaped.
std::string JsonQuote(const std::string& utf8);

bool IsValidUtf8(const std::string& text);

} // namespace zel
