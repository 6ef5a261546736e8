#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/SystemPlatform.h"
#include "platform/linux/UniqueFd.h"

namespace quarnel {
namespace {

std::string systemReason(int error = errno) {
    return std::strerror(error);
}

struct Speed {
    unsigned baudRate;
    speed_t code;
};

constexpr std::array<Speed, 11> kSpeeds = {{{1200, B1200},
                                            {2400, B2400},
                                            {4800, B4800},
                                            {9600, B9600},
                                            {19200, B19200},
                                            {38400, B38400},
                                            {57600, B57600},
                                            {115200, B115200},
                                            {230400, B230400},
                                            {460800, B460800},
                                            {921600, B921600}}};

class TerminalPort final : public SerialPort {
  public:
    explicit TerminalPort(UniqueFd descriptor) : m_descriptor(std::move(descriptor)) {}

    // Reads until the terminal has nothing more; a read that returns
    // nothing at all is the hang-up of a line that is gone.
    Refusal readArrived(std::string& bytes) override {
        std::array<char, 4096> buffer{};
        for (;;) {
            const ssize_t count = ::read(m_descriptor.get(), buffer.data(), buffer.size());
            if (count > 0) {
                bytes.append(buffer.data(), static_cast<std::size_t>(count));
                continue;
            }
            if (count == 0) {
                return std::string("the line hung up");
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return std::nullopt;
            }
            return systemReason();
        }
    }

    std::optional<int> arrivalDescriptor() const override { return m_descriptor.get(); }

  private:
    UniqueFd m_descriptor;
};

}  // namespace

// Only a character device is opened, and it is looked at before: opening a
// FIFO or a file under the name would wait for a writer or read old bytes.
// The terminal is made raw (no echo, no line editing, no character turned
// into another) with one byte as the least a read waits for, so that a
// non-blocking read without bytes says "would block" and a read of nothing
// means the line hung up.
SerialPortOpening SystemPlatform::openSerialPort(const std::string& name, unsigned baudRate) {
    const Speed* speed = nullptr;
    for (const Speed& known : kSpeeds) {
        if (known.baudRate == baudRate) {
            speed = &known;
        }
    }
    if (!speed) {
        return systemReason(EINVAL);
    }
    struct stat before {};
    if (::stat(name.c_str(), &before) != 0) {
        return systemReason();
    }
    if (!S_ISCHR(before.st_mode)) {
        return systemReason(ENOTTY);
    }
    UniqueFd descriptor(::open(name.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!descriptor.valid()) {
        return systemReason();
    }
    struct stat opened {};
    if (::fstat(descriptor.get(), &opened) != 0) {
        return systemReason();
    }
    if (!S_ISCHR(opened.st_mode) || opened.st_rdev != before.st_rdev) {
        return systemReason(ENOTTY);
    }
    termios settings{};
    if (::tcgetattr(descriptor.get(), &settings) != 0) {
        return systemReason();
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS);
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (::cfsetspeed(&settings, speed->code) != 0 ||
        ::tcsetattr(descriptor.get(), TCSANOW, &settings) != 0) {
        return systemReason();
    }
    // What waited in the buffer is from before: its stamps would be wrong.
    ::tcflush(descriptor.get(), TCIFLUSH);
    return std::make_unique<TerminalPort>(std::move(descriptor));
}

}  // namespace quarnel
