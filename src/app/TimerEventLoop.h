#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <vector>

#include "platform/EventLoop.h"

// The Qt event loop lent to the platform: every check waiting on it is called
// on one timer until it says it is finished. The timer runs only while a
// check waits, so an idle program does not wake for it.
class TimerEventLoop final : public QObject, public quarnel::EventLoop {
    Q_OBJECT

  public:
    explicit TimerEventLoop(QObject* parent = nullptr);

    void pollUntil(std::function<bool()> finished) override;

  private:
    void pollAll();

    QTimer m_timer;
    std::vector<std::function<bool()>> m_waiting;
};
