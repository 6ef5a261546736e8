#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// The integer rules of the settings file: leading blanks, an optional sign,
// then decimal digits or hexadecimal ones after "$", "x", "X", "0x" or "0X",
// and nothing after the digits; the value must fit a signed 32-bit integer.
// Nothing when the text does not follow them.
std::optional<std::int32_t> parseIniInteger(std::string_view text);

// The settings file as sections of keys with text values, in file order.
// Section and key names match without regard to ASCII case, as the Windows
// profile functions match them. A value is kept exactly: everything after the
// first "=" of its line, blanks and quotes included.
class IniDocument {
  public:
    // Reads UTF-8 text with LF or CRLF line ends (see decodeIniText for files
    // in other encodings). Lines outside a section and lines that are neither
    // a section nor a key are skipped; a repeated key keeps its first value.
    static IniDocument parse(std::string_view text);

    // The value, or nothing when the section or the key is missing.
    std::optional<std::string> read(std::string_view section, std::string_view key) const;
    // The names of a section's keys as the file spells them, in file order;
    // nothing for a missing section.
    std::vector<std::string_view> keysOf(std::string_view section) const;
    // A missing key, an empty value and one that breaks the integer rules all
    // give `fallback`.
    std::int32_t readInteger(std::string_view section, std::string_view key,
                             std::int32_t fallback) const;
    // An integer as above; every value other than 0 is true.
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;

    // Sets a key, adding it at the end of its section and the section at the
    // end of the document when they are new.
    void write(std::string_view section, std::string_view key, std::string value);
    void writeInteger(std::string_view section, std::string_view key, std::int32_t value);
    void writeBool(std::string_view section, std::string_view key, bool value);

    // The document as text: "[Section]" lines and "Key=value" lines, each
    // ended by `lineEnd`.
    std::string serialise(std::string_view lineEnd) const;

  private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::map<std::string, std::size_t> entryByKey;  // folded key -> first entry
    };

    const Entry* find(std::string_view section, std::string_view key) const;
    Section& sectionNamed(std::string_view name);
    static void addEntry(Section& section, std::string_view key, std::string value);

    std::vector<Section> m_sections;
    std::map<std::string, std::size_t> m_sectionByName;  // folded name -> first section
};

}  // namespace quarnel
