#include "widgets/IntervalTimer.h"

IntervalTimer::IntervalTimer(int interval, QObject* parent)
    : QObject(parent), m_timer(this), m_interval(-1) {
    // The clock display should tick at its interval, not drift within the
    // 5 % slack Qt gives coarse timers; at one tick a second this costs nothing.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &IntervalTimer::timeout);
    setInterval(interval);
}

void IntervalTimer::setInterval(int interval) {
    if (interval == m_interval) {
        return;
    }
    m_interval = interval;
    // A negative interval cannot come from the digits-only refresh field; treat
    // it like 0 rather than let QTimer warn about it.
    if (interval <= 0) {
        m_timer.stop();
    } else {
        m_timer.start(interval);
    }
}
