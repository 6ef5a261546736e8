#include "settings/IniDocument.h"

#include <algorithm>
#include <limits>

#include "text/Trimmed.h"

namespace quarnel {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Blanks only: a key or value keeps any other character the file holds.
std::string_view trimBlanks(std::string_view text) {
    return trimmed(text, " \t");
}

std::string folded(std::string_view name) {
    std::string result(name);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

int digitValue(char c, int base) {
    int value = base;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// Removes a hexadecimal prefix; tells whether there was one.
bool takeHexPrefix(std::string_view& text) {
    for (const std::string_view prefix : {"0x", "0X", "$", "x", "X"}) {
        if (text.starts_with(prefix)) {
            text.remove_prefix(prefix.size());
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::int32_t> parseIniInteger(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const int base = takeHexPrefix(text) ? 16 : 10;
    if (text.empty()) {
        return std::nullopt;
    }
    // The magnitude may reach 2^31 only for the most negative number.
    const std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + negative;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > limit) {
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

IniDocument IniDocument::parse(std::string_view text) {
    IniDocument document;
    Section* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }

        const std::string_view content = trimBlanks(line);
        if (content.starts_with('[')) {
            const std::size_t close = content.find(']');
            if (close != std::string_view::npos) {
                current = &document.sectionNamed(trimBlanks(content.substr(1, close - 1)));
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (current != nullptr && equals != std::string_view::npos) {
            const std::string_view key = trimBlanks(line.substr(0, equals));
            if (!current->entryByKey.contains(folded(key))) {
                addEntry(*current, key, std::string(line.substr(equals + 1)));
            }
        }
    }
    return document;
}

const IniDocument::Entry* IniDocument::find(std::string_view section, std::string_view key) const {
    const auto foundSection = m_sectionByName.find(folded(section));
    if (foundSection == m_sectionByName.end()) {
        return nullptr;
    }
    const Section& entries = m_sections[foundSection->second];
    const auto foundEntry = entries.entryByKey.find(folded(key));
    return foundEntry == entries.entryByKey.end() ? nullptr : &entries.entries[foundEntry->second];
}

std::optional<std::string> IniDocument::read(std::string_view section, std::string_view key) const {
    if (const Entry* entry = find(section, key)) {
        return entry->value;
    }
    return std::nullopt;
}

std::vector<std::string_view> IniDocument::keysOf(std::string_view section) const {
    std::vector<std::string_view> keys;
    const auto found = m_sectionByName.find(folded(section));
    if (found != m_sectionByName.end()) {
        for (const Entry& entry : m_sections[found->second].entries) {
            keys.push_back(entry.key);
        }
    }
    return keys;
}

std::int32_t IniDocument::readInteger(std::string_view section, std::string_view key,
                                      std::int32_t fallback) const {
    const Entry* entry = find(section, key);
    if (entry == nullptr) {
        return fallback;
    }
    return parseIniInteger(entry->value).value_or(fallback);
}

bool IniDocument::readBool(std::string_view section, std::string_view key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

IniDocument::Section& IniDocument::sectionNamed(std::string_view name) {
    const auto [found, added] = m_sectionByName.try_emplace(folded(name), m_sections.size());
    if (added) {
        m_sections.push_back(Section{std::string(name), {}, {}});
    }
    return m_sections[found->second];
}

void IniDocument::addEntry(Section& section, std::string_view key, std::string value) {
    section.entryByKey.emplace(folded(key), section.entries.size());
    section.entries.push_back(Entry{std::string(key), std::move(value)});
}

// A value is one line of the file. The widgets' texts are single lines, but a
// pasted line break would otherwise start a new line that reads back as
// another key or section; it is written as a blank instead.
void IniDocument::write(std::string_view section, std::string_view key, std::string value) {
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    Section& target = sectionNamed(section);
    const auto found = target.entryByKey.find(folded(key));
    if (found != target.entryByKey.end()) {
        target.entries[found->second].value = std::move(value);
        return;
    }
    addEntry(target, key, std::move(value));
}

void IniDocument::writeInteger(std::string_view section, std::string_view key, std::int32_t value) {
    write(section, key, std::to_string(value));
}

void IniDocument::writeBool(std::string_view section, std::string_view key, bool value) {
    write(section, key, value ? "1" : "0");
}

std::string IniDocument::serialise(std::string_view lineEnd) const {
    std::string text;
    for (const Section& section : m_sections) {
        text.append("[").append(section.name).append("]").append(lineEnd);
        for (const Entry& entry : section.entries) {
            text.append(entry.key).append("=").append(entry.value).append(lineEnd);
        }
    }
    return text;
}

}  // namespace quarnel
