#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "clock/TimeCount.h"

namespace quarnel {

// One line of a receiver's or a service's stream, without its line end.
struct StampedLine {
    std::string text;
    // The clock's reading when the read that brought the line's first byte
    // returned: for a receiver, when its sentence began to arrive.
    TimeCount stamp = 0;
    // A piece of a line longer than the splitter takes at once.
    bool cut = false;

    bool operator==(const StampedLine&) const = default;
};

// Cuts a byte stream into lines at CR, LF or both, whatever the reads' sizes.
// Each read is stamped with the clock's reading when it returned; a line
// keeps the stamp of the read its first byte came in. Empty lines are
// dropped. A line longer than `longest` is handed on in pieces of that
// length, each marked cut, so garbage without line ends (a wrong baud rate)
// still shows up, and nothing grows without bound.
class LineSplitter {
  public:
    explicit LineSplitter(std::size_t longest) : m_longest(longest) {}

    std::vector<StampedLine> take(std::string_view bytes, TimeCount stamp);

  private:
    std::size_t m_longest;
    std::string m_line;
    TimeCount m_stamp = 0;
    bool m_cut = false;
};

}  // namespace quarnel
