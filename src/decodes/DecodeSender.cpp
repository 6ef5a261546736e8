#include "decodes/DecodeSender.h"

#include <algorithm>
#include <vector>

namespace quarnel {

namespace {

bool isUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(' ', start), text.size());
        if (end > start) {
            words.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return words;
}

// A Maidenhead locator of four or six characters, as a CQ or a reply carries.
bool isGrid(std::string_view token) {
    const auto field = [](char c) { return c >= 'A' && c <= 'R'; };
    const auto subsquare = [](char c) { return c >= 'A' && c <= 'X'; };
    return (token.size() == 4 || token.size() == 6) && field(token[0]) && field(token[1]) &&
           isDigit(token[2]) && isDigit(token[3]) &&
           (token.size() == 4 || (subsquare(token[4]) && subsquare(token[5])));
}

// What may stand between CQ and the call: a number (a frequency, up to three
// digits) or one to four letters (DX, NA, POTA, TEST, ...).
bool isCqModifier(std::string_view token) {
    return (token.size() <= 3 && std::all_of(token.begin(), token.end(), isDigit)) ||
           (token.size() <= 4 && std::all_of(token.begin(), token.end(), isUpper));
}

bool isHashed(std::string_view token) {
    return token.size() >= 2 && token.front() == '<' && token.back() == '>';
}

// The call a call slot holds, without a hash's brackets.
std::optional<std::string> callIn(std::string_view token) {
    if (isHashed(token)) {
        token = token.substr(1, token.size() - 2);
    }
    if (!isPlausibleCall(token)) {
        return std::nullopt;
    }
    return std::string(token);
}

// The first slot of a two-call message may hold a hash the decoder could not
// resolve: the sender is still known.
bool isCallSlot(std::string_view token) {
    return isHashed(token) || isPlausibleCall(token);
}

}  // namespace

bool isPlausibleCall(std::string_view token) {
    if (token.size() < 3 || token.size() > 11 || token.front() == '/' || token.back() == '/' ||
        token.find("//") != std::string_view::npos || isGrid(token)) {
        return false;
    }
    bool letter = false;
    bool digit = false;
    for (const char c : token) {
        letter = letter || isUpper(c);
        digit = digit || isDigit(c);
        if (!isUpper(c) && !isDigit(c) && c != '/') {
            return false;
        }
    }
    return letter && digit;
}

std::optional<std::string> senderOf(std::string_view message) {
    std::vector<std::string_view> words = wordsOf(message);
    if (!words.empty() && words.front() == "TU;") {
        words.erase(words.begin());
    }
    if (words.size() < 2) {
        return std::nullopt;
    }
    const std::string_view first = words[0];
    if (first == "CQ" || first == "QRZ" || first == "DE") {
        if (first == "CQ" && words.size() >= 3 && isCqModifier(words[1])) {
            return callIn(words[2]);
        }
        return callIn(words[1]);
    }
    if (!isCallSlot(first)) {
        return std::nullopt;
    }
    return callIn(words[1]);
}

}  // namespace quarnel
