#include "settings/IniEncoding.h"

#include <array>
#include <cstdint>

namespace quarnel {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t c) {
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

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t smallest = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

enum class ByteOrder { LittleEndian, BigEndian };

std::string fromUtf16(std::string_view bytes, ByteOrder order) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t high = order == ByteOrder::BigEndian ? 0 : 1;
    const auto unitAt = [&](std::size_t i) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1 - high]) |
                                     static_cast<unsigned char>(bytes[i + high]) << 8);
    };
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        const char16_t unit = unitAt(i);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < bytes.size()) {
            const char16_t low = unitAt(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                appendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : char32_t{unit});
    }
    if (i < bytes.size()) {
        appendUtf8(out, kReplacement);  // an odd byte at the end
    }
    return out;
}

bool isAsciiCharacter(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value > 0 && value < 0x80;
}

// UTF-16 without a mark, told by its first character: ASCII, so one of its
// two bytes is NUL, which 8-bit text and UTF-8 never hold there.
std::optional<ByteOrder> unmarkedUtf16Order(std::string_view bytes) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    if (isAsciiCharacter(bytes[0]) && bytes[1] == '\0') {
        return ByteOrder::LittleEndian;
    }
    if (bytes[0] == '\0' && isAsciiCharacter(bytes[1])) {
        return ByteOrder::BigEndian;
    }
    return std::nullopt;
}

// The code points of bytes 0x80 to 0x9F; the five bytes the code page leaves
// free map to the control characters of the same number, as Windows maps them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string fromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x80 && value < 0xA0) {
            appendUtf8(out, kWindows1252High[value - 0x80]);
        } else {
            appendUtf8(out, value);
        }
    }
    return out;
}

std::string decodeUnchecked(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeMark)) {
        return fromUtf16(bytes.substr(kUtf16LeMark.size()), ByteOrder::LittleEndian);
    }
    if (bytes.starts_with(kUtf16BeMark)) {
        return fromUtf16(bytes.substr(kUtf16BeMark.size()), ByteOrder::BigEndian);
    }
    if (const std::optional<ByteOrder> order = unmarkedUtf16Order(bytes)) {
        return fromUtf16(bytes, *order);
    }
    // A UTF-8 mark before bytes that are not UTF-8 (an editor that added the
    // mark to 8-bit text) says nothing about them: they are read as without it.
    if (bytes.starts_with(kUtf8Mark)) {
        bytes.remove_prefix(kUtf8Mark.size());
    }
    if (isValidUtf8(bytes)) {
        return std::string(bytes);
    }
    return fromWindows1252(bytes);
}

}  // namespace

std::optional<std::string> decodeIniText(std::string_view bytes) {
    std::string text = decodeUnchecked(bytes);
    if (text.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return text;
}

}  // namespace quarnel
