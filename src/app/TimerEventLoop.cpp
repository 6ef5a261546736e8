#include "app/TimerEventLoop.h"

#include <algorithm>

namespace {

// A service command ends within a second or so; a tenth of that is not
// noticed, and costs nothing between commands.
constexpr int kPollIntervalMs = 50;

}  // namespace

TimerEventLoop::TimerEventLoop(QObject* parent) : QObject(parent) {
    m_timer.setInterval(kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TimerEventLoop::pollAll);
}

void TimerEventLoop::pollUntil(std::function<bool()> finished) {
    m_waiting.push_back(std::move(finished));
    m_timer.start();
}

// A check may start another wait (a command after a command): it is taken
// along on the next round.
void TimerEventLoop::pollAll() {
    std::vector<std::function<bool()>> checks;
    checks.swap(m_waiting);
    std::erase_if(checks, [](const std::function<bool()>& finished) { return finished(); });
    m_waiting.insert(m_waiting.begin(), std::make_move_iterator(checks.begin()),
                     std::make_move_iterator(checks.end()));
    if (m_waiting.empty()) {
        m_timer.stop();
    }
}
