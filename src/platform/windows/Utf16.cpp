#include "platform/windows/Utf16.h"

#include <windows.h>

#include <cstddef>

namespace quarnel {
namespace {

// The conversion functions count in int; a longer text goes through in
// pieces of this many code units, each cut where no character is split.
constexpr std::size_t kPieceUnits = std::size_t{1} << 20;

// UTF-8: a piece ends before a lead byte. Well-formed text backs up at most
// three continuation bytes; malformed text is cut where it stands.
std::size_t pieceEnd(std::string_view text, std::size_t start) {
    std::size_t end = start + kPieceUnits;
    if (end >= text.size()) {
        return text.size();
    }
    for (int back = 0; back < 3 && (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U;
         ++back) {
        --end;
    }
    return end;
}

// UTF-16: a piece does not end between the two halves of a surrogate pair.
std::size_t pieceEnd(std::wstring_view text, std::size_t start) {
    std::size_t end = start + kPieceUnits;
    if (end >= text.size()) {
        return text.size();
    }
    if (text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
        --end;
    }
    return end;
}

void appendUtf16(std::string_view piece, std::wstring& wide) {
    const int length = static_cast<int>(piece.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, piece.data(), length, nullptr, 0);
    const std::size_t at = wide.size();
    wide.resize(at + static_cast<std::size_t>(needed));
    MultiByteToWideChar(CP_UTF8, 0, piece.data(), length, wide.data() + at, needed);
}

void appendUtf8(std::wstring_view piece, std::string& narrow) {
    const int length = static_cast<int>(piece.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, 0, piece.data(), length, nullptr, 0, nullptr, nullptr);
    const std::size_t at = narrow.size();
    narrow.resize(at + static_cast<std::size_t>(needed));
    WideCharToMultiByte(CP_UTF8, 0, piece.data(), length, narrow.data() + at, needed, nullptr,
                        nullptr);
}

}  // namespace

std::wstring toUtf16(std::string_view text) {
    std::wstring wide;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = pieceEnd(text, start);
        appendUtf16(text.substr(start, end - start), wide);
        start = end;
    }
    return wide;
}

std::string toUtf8(std::wstring_view text) {
    std::string narrow;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = pieceEnd(text, start);
        appendUtf8(text.substr(start, end - start), narrow);
        start = end;
    }
    return narrow;
}

}  // namespace quarnel
