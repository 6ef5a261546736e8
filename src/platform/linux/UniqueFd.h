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
    explicit UniqueFd(int descriptor) : descriptor_(descriptor) {}
    ~UniqueFd() { close(); }
    UniqueFd(UniqueFd&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            close();
            descriptor_ = std::exchange(other.descriptor_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    bool valid() const { return descriptor_ >= 0; }
    int get() const { return descriptor_; }

    // Closes now. False when the close fails: the last error of a write may
    // show only here.
    bool close() {
        if (descriptor_ < 0) {
            return true;
        }
        return ::close(std::exchange(descriptor_, -1)) == 0;
    }

  private:
    int descriptor_ = -1;
};

}  // namespace quarnel
