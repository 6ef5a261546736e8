#pragma once

#include <unistd.h>

#include <utility>

namespace quarnel {

// Owns a file descriptor and closes it when it goes out of scope, so that
// every descriptor the port opens is held only for the length of one
// operation (or of its owner). A negative number holds nothing.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int descriptor) : m_descriptor(descriptor) {}
    ~UniqueFd() { close(); }
    UniqueFd(UniqueFd&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            close();
            m_descriptor = std::exchange(other.m_descriptor, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    bool valid() const { return m_descriptor >= 0; }
    int get() const { return m_descriptor; }

    // Closes now. False when the close fails: the last error of a write may
    // show only here.
    bool close() {
        if (m_descriptor < 0) {
            return true;
        }
        return ::close(std::exchange(m_descriptor, -1)) == 0;
    }

  private:
    int m_descriptor = -1;
};

}  // namespace quarnel
