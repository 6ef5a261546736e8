#include "gps/JsonValue.h"

#include <charconv>

namespace quarnel {

namespace {

constexpr int kDeepestNesting = 32;

class JsonParser {
  public:
    explicit JsonParser(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> document() {
        JsonValue value;
        if (!parseValue(value, 1)) {
            return std::nullopt;
        }
        skipSpace();
        if (m_at != m_text.size()) {
            return std::nullopt;
        }
        return value;
    }

  private:
    void skipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r')) {
            ++m_at;
        }
    }

    bool consume(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word) {
            return false;
        }
        m_at += word.size();
        return true;
    }

    bool parseValue(JsonValue& value, int depth) {
        if (depth > kDeepestNesting) {
            return false;
        }
        skipSpace();
        if (m_at >= m_text.size()) {
            return false;
        }
        switch (m_text[m_at]) {
            case '{':
                value.kind = JsonValue::Kind::Object;
                return parseObject(value, depth);
            case '[':
                value.kind = JsonValue::Kind::Array;
                return parseArray(value, depth);
            case '"':
                value.kind = JsonValue::Kind::String;
                return parseString(value.text);
            case 't':
                value.kind = JsonValue::Kind::Boolean;
                value.boolean = true;
                return consume("true");
            case 'f':
                value.kind = JsonValue::Kind::Boolean;
                return consume("false");
            case 'n':
                return consume("null");
            default:
                value.kind = JsonValue::Kind::Number;
                return parseNumber(value.text);
        }
    }

    bool parseObject(JsonValue& value, int depth) {
        ++m_at;
        skipSpace();
        if (consume("}")) {
            return true;
        }
        while (true) {
            skipSpace();
            std::string name;
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !parseString(name)) {
                return false;
            }
            skipSpace();
            if (!consume(":")) {
                return false;
            }
            JsonValue member;
            if (!parseValue(member, depth + 1)) {
                return false;
            }
            member.name = std::move(name);
            value.items.push_back(std::move(member));
            skipSpace();
            if (consume("}")) {
                return true;
            }
            if (!consume(",")) {
                return false;
            }
        }
    }

    bool parseArray(JsonValue& value, int depth) {
        ++m_at;
        skipSpace();
        if (consume("]")) {
            return true;
        }
        while (true) {
            JsonValue item;
            if (!parseValue(item, depth + 1)) {
                return false;
            }
            value.items.push_back(std::move(item));
            skipSpace();
            if (consume("]")) {
                return true;
            }
            if (!consume(",")) {
                return false;
            }
        }
    }

    bool digitsFollow() const {
        return m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9';
    }

    void skipDigits() {
        while (digitsFollow()) {
            ++m_at;
        }
    }

    bool parseNumber(std::string& text) {
        const std::size_t start = m_at;
        consume("-");
        if (consume("0")) {
            if (digitsFollow()) {
                return false;
            }
        } else if (digitsFollow()) {
            skipDigits();
        } else {
            return false;
        }
        if (consume(".")) {
            if (!digitsFollow()) {
                return false;
            }
            skipDigits();
        }
        if (consume("e") || consume("E")) {
            if (!consume("+")) {
                consume("-");
            }
            if (!digitsFollow()) {
                return false;
            }
            skipDigits();
        }
        text = m_text.substr(start, m_at - start);
        return true;
    }

    std::optional<unsigned> hexQuad() {
        if (m_text.size() - m_at < 4) {
            return std::nullopt;
        }
        unsigned value = 0;
        const auto* first = m_text.data() + m_at;
        const auto [end, error] = std::from_chars(first, first + 4, value, 16);
        if (error != std::errc{} || end != first + 4) {
            return std::nullopt;
        }
        m_at += 4;
        return value;
    }

    static void appendUtf8(std::string& text, unsigned codePoint) {
        const auto byte = [](unsigned bits) { return static_cast<char>(bits & 0xFFu); };
        if (codePoint < 0x80) {
            text += byte(codePoint);
        } else if (codePoint < 0x800) {
            text += byte(0xC0 | (codePoint >> 6));
            text += byte(0x80 | (codePoint & 0x3F));
        } else if (codePoint < 0x10000) {
            text += byte(0xE0 | (codePoint >> 12));
            text += byte(0x80 | ((codePoint >> 6) & 0x3F));
            text += byte(0x80 | (codePoint & 0x3F));
        } else {
            text += byte(0xF0 | (codePoint >> 18));
            text += byte(0x80 | ((codePoint >> 12) & 0x3F));
            text += byte(0x80 | ((codePoint >> 6) & 0x3F));
            text += byte(0x80 | (codePoint & 0x3F));
        }
    }

    // \uXXXX, a surrogate pair as one character; a lone surrogate becomes
    // U+FFFD, as it names no character.
    bool parseUnicodeEscape(std::string& text) {
        auto first = hexQuad();
        if (!first) {
            return false;
        }
        unsigned codePoint = *first;
        if (codePoint >= 0xD800 && codePoint < 0xDC00 && consume("\\u")) {
            const auto second = hexQuad();
            if (!second) {
                return false;
            }
            if (*second >= 0xDC00 && *second < 0xE000) {
                codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*second - 0xDC00);
            } else {
                appendUtf8(text, 0xFFFD);
                codePoint = *second;
            }
        }
        if (codePoint >= 0xD800 && codePoint < 0xE000) {
            codePoint = 0xFFFD;
        }
        appendUtf8(text, codePoint);
        return true;
    }

    bool parseString(std::string& text) {
        ++m_at;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') {
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                text += c;
                continue;
            }
            if (m_at >= m_text.size()) {
                return false;
            }
            const char escaped = m_text[m_at++];
            switch (escaped) {
                case '"':
                case '\\':
                case '/':
                    text += escaped;
                    break;
                case 'b':
                    text += '\b';
                    break;
                case 'f':
                    text += '\f';
                    break;
                case 'n':
                    text += '\n';
                    break;
                case 'r':
                    text += '\r';
                    break;
                case 't':
                    text += '\t';
                    break;
                case 'u':
                    if (!parseUnicodeEscape(text)) {
                        return false;
                    }
                    break;
                default:
                    return false;
            }
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

}  // namespace

const JsonValue* JsonValue::member(std::string_view wanted) const {
    if (kind != Kind::Object) {
        return nullptr;
    }
    for (const auto& item : items) {
        if (item.name == wanted) {
            return &item;
        }
    }
    return nullptr;
}

std::optional<std::int64_t> JsonValue::integer() const {
    if (kind != Kind::Number) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string_view> JsonValue::string() const {
    if (kind != Kind::String) {
        return std::nullopt;
    }
    return std::string_view(text);
}

std::optional<bool> JsonValue::boolValue() const {
    if (kind != Kind::Boolean) {
        return std::nullopt;
    }
    return boolean;
}

std::optional<JsonValue> readJson(std::string_view text) {
    return JsonParser(text).document();
}

}  // namespace quarnel
