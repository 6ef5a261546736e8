#include "keepers/ShellWords.h"

namespace quarnel {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The characters a backslash escapes inside double quotes.
bool isEscapableInDoubleQuotes(char c) {
    return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n';
}

class WordSplitter {
  public:
    explicit WordSplitter(std::string_view text) : m_text(text) {}

    std::optional<std::vector<std::string>> split() {
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (isBlank(c)) {
                endWord();
            } else if (c == '\\') {
                takeEscaped();
            } else if (c == '\'') {
                if (!takeSingleQuoted()) {
                    return std::nullopt;
                }
            } else if (c == '"') {
                if (!takeDoubleQuoted()) {
                    return std::nullopt;
                }
            } else {
                m_inWord = true;
                m_word += c;
            }
        }
        endWord();
        return std::move(m_words);
    }

  private:
    void endWord() {
        if (m_inWord) {
            m_words.push_back(std::move(m_word));
            m_word.clear();
            m_inWord = false;
        }
    }

    // A backslash at the very end has nothing to escape and stays, as in sh.
    void takeEscaped() {
        if (m_at == m_text.size()) {
            m_inWord = true;
            m_word += '\\';
            return;
        }
        const char next = m_text[m_at++];
        if (next != '\n') {
            m_inWord = true;
            m_word += next;
        }
    }

    bool takeSingleQuoted() {
        const std::size_t close = m_text.find('\'', m_at);
        if (close == std::string_view::npos) {
            return false;
        }
        m_inWord = true;
        m_word += m_text.substr(m_at, close - m_at);
        m_at = close + 1;
        return true;
    }

    bool takeDoubleQuoted() {
        m_inWord = true;
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"') {
                return true;
            }
            if (c == '\\' && m_at < m_text.size() && isEscapableInDoubleQuotes(m_text[m_at])) {
                const char escaped = m_text[m_at++];
                if (escaped != '\n') {
                    m_word += escaped;
                }
                continue;
            }
            m_word += c;
        }
        return false;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::vector<std::string> m_words;
    std::string m_word;
    bool m_inWord = false;
};

}  // namespace

std::optional<std::vector<std::string>> splitShellWords(std::string_view text) {
    return WordSplitter(text).split();
}

}  // namespace quarnel
