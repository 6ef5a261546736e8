#include "gps/LineSplitter.h"

namespace quarnel {

std::vector<StampedLine> LineSplitter::take(std::string_view bytes, TimeCount stamp) {
    std::vector<StampedLine> lines;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_line.empty()) {
                lines.push_back({std::move(m_line), m_stamp, false});
            }
            m_line.clear();
            m_cut = false;
            continue;
        }
        if (m_cut) {
            continue;
        }
        if (m_line.empty()) {
            m_stamp = stamp;
        }
        if (m_line.size() < m_longest) {
            m_line += c;
            continue;
        }
        // The rest of an overlong line is dropped up to its end.
        lines.push_back({std::move(m_line), m_stamp, true});
        m_line.clear();
        m_cut = true;
    }
    return lines;
}

void LineSplitter::reset() {
    m_line.clear();
    m_cut = false;
}

}  // namespace quarnel
