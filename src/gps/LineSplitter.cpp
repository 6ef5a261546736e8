#include "gps/LineSplitter.h"

namespace quarnel {

std::vector<StampedLine> LineSplitter::take(std::string_view bytes, TimeCount stamp) {
    std::vector<StampedLine> lines;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_line.empty()) {
                lines.push_back({std::move(m_line), m_stamp, m_cut});
            }
            m_line.clear();
            m_cut = false;
            continue;
        }
        if (m_line.size() == m_longest) {
            lines.push_back({std::move(m_line), m_stamp, true});
            m_line.clear();
            m_cut = true;
        }
        if (m_line.empty()) {
            m_stamp = stamp;
        }
        m_line += c;
    }
    return lines;
}

}  // namespace quarnel
