#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// A JSON value as read from one line of a service's answer. Numbers keep
// their text, so whole numbers of any size the reader asks for are exact.
struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object };

    Kind kind = Kind::Null;
    bool boolean = false;
    std::string text;  // a string's characters (UTF-8), or a number as written
    // An array's values, or an object's members in the order written.
    std::vector<JsonValue> items;
    std::string name;  // of a member of an object

    // The first member of an object so named; nothing for other kinds.
    const JsonValue* member(std::string_view wanted) const;

    // A number without fraction or exponent that fits 64 bits.
    std::optional<std::int64_t> integer() const;
    std::optional<std::string_view> string() const;
    std::optional<bool> boolValue() const;
};

// Reads one JSON text (RFC 8259) with nothing but white space around it.
// Anything else, nesting deeper than 32 levels included, gives nothing:
// the text comes from another program and may be cut off or garbled.
std::optional<JsonValue> readJson(std::string_view text);

}  // namespace quarnel
