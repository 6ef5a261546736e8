#pragma once

#include <QTimer>

// A repeating timer driven by one interval in milliseconds: 0 stops it, and
// setting the interval already in force leaves the running period alone.
class IntervalTimer : public QObject {
    Q_OBJECT

  public:
    explicit IntervalTimer(int interval, QObject* parent = nullptr);

    int interval() const { return m_interval; }
    void setInterval(int interval);

  signals:
    void timeout();

  private:
    QTimer m_timer;
    int m_interval;
};
