#pragma once

#include <functional>

namespace quarnel {

// The window's event loop, lent to the platform so that it can wait for a
// command it started without blocking the window.
class EventLoop {
  public:
    virtual ~EventLoop() = default;

    // Calls `finished` on the loop every little while until it returns true.
    virtual void pollUntil(std::function<bool()> finished) = 0;
};

}  // namespace quarnel
