#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <variant>

#include "ScratchSupport.h"
#include "platform/SystemPlatform.h"
#include "platform/linux/UniqueFd.h"

namespace quarnel {
namespace {

using testing::ScratchDirectory;

// A pseudo-terminal of the test's own: the port opens its terminal side as
// it would a receiver's, and the test writes the receiver's bytes into the
// other side. No serial device of the machine is opened.
class PseudoTerminal {
  public:
    PseudoTerminal() : m_controller(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
        if (m_controller.valid() && ::grantpt(m_controller.get()) == 0 &&
            ::unlockpt(m_controller.get()) == 0) {
            m_terminal = ::ptsname(m_controller.get());
        }
    }

    const std::string& terminal() const { return m_terminal; }
    void send(const std::string& bytes) {
        ASSERT_EQ(::write(m_controller.get(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    void close() { m_controller.close(); }

  private:
    UniqueFd m_controller;
    std::string m_terminal;
};

std::unique_ptr<SerialPort> opened(SerialPortOpening opening) {
    if (const auto* refusal = std::get_if<std::string>(&opening)) {
        ADD_FAILURE() << "refused: " << *refusal;
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<SerialPort>>(opening));
}

bool arrives(const SerialPort& port) {
    pollfd watched{*port.arrivalDescriptor(), POLLIN, 0};
    return ::poll(&watched, 1, 2000) == 1;
}

// Reads until `size` bytes have come, as the window does on each wake-up.
std::string readUntil(SerialPort& port, std::size_t size) {
    std::string bytes;
    while (bytes.size() < size && arrives(port)) {
        const Refusal refusal = port.readArrived(bytes);
        EXPECT_FALSE(refusal) << *refusal;
        if (refusal) {
            break;
        }
    }
    return bytes;
}

TEST(LinuxSerialPortTest, ReadsTheBytesAsSentAndNothingWhenNothingCame) {
    PseudoTerminal receiver;
    ASSERT_FALSE(receiver.terminal().empty());
    SystemPlatform system;
    const auto port = opened(system.openSerialPort(receiver.terminal(), 9600));
    ASSERT_TRUE(port);
    ASSERT_TRUE(port->arrivalDescriptor());

    std::string none;
    EXPECT_FALSE(port->readArrived(none)) << "no bytes yet is no failure";
    EXPECT_EQ(none, "");

    // Raw: CR LF stay as they are, the control characters a terminal would
    // act on (XON/XOFF, interrupt, erase, end of file) come through as bytes.
    const std::string sentence = "$GPZDA,120000.00,05,12,2026,00,00*6A\r\n";
    const std::string controls = std::string("\x11\x13\x03\x7f\x04\x1a", 6) + "\r\n";
    receiver.send(sentence + controls);
    EXPECT_EQ(readUntil(*port, sentence.size() + controls.size()), sentence + controls);

    termios settings{};
    ASSERT_EQ(::tcgetattr(*port->arrivalDescriptor(), &settings), 0);
    EXPECT_EQ(::cfgetispeed(&settings), B9600);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_NE(::fcntl(*port->arrivalDescriptor(), F_GETFD) & FD_CLOEXEC, 0);
}

TEST(LinuxSerialPortTest, WhatWaitedBeforeTheOpeningIsDropped) {
    PseudoTerminal receiver;
    SystemPlatform system;
    // Opened once so that the terminal side exists and holds what is sent.
    const auto first = opened(system.openSerialPort(receiver.terminal(), 4800));
    ASSERT_TRUE(first);
    receiver.send("$GPGGA,old*00\r\n");
    ASSERT_TRUE(arrives(*first));

    const auto port = opened(system.openSerialPort(receiver.terminal(), 4800));
    ASSERT_TRUE(port);
    receiver.send("new\r\n");
    EXPECT_EQ(readUntil(*port, 5), "new\r\n");
}

TEST(LinuxSerialPortTest, AReceiverThatIsGoneIsTheReadsRefusal) {
    PseudoTerminal receiver;
    SystemPlatform system;
    const auto port = opened(system.openSerialPort(receiver.terminal(), 4800));
    ASSERT_TRUE(port);
    receiver.close();

    ASSERT_TRUE(arrives(*port)) << "the hang-up wakes the watcher";
    std::string bytes;
    const Refusal refusal = port->readArrived(bytes);
    ASSERT_TRUE(refusal);
    EXPECT_FALSE(refusal->empty());
}

TEST(LinuxSerialPortTest, ClosesItsDescriptorWhenDestroyed) {
    PseudoTerminal receiver;
    SystemPlatform system;
    auto port = opened(system.openSerialPort(receiver.terminal(), 4800));
    ASSERT_TRUE(port);
    const int descriptor = *port->arrivalDescriptor();
    port.reset();
    EXPECT_EQ(::fcntl(descriptor, F_GETFD), -1);
}

// Names that hold no terminal are refused with the system's reason, and a
// FIFO is refused without being opened (which would wait for a writer).
TEST(LinuxSerialPortTest, RefusesWhatIsNoTerminal) {
    ScratchDirectory scratch;
    const std::string file = scratch.file("plain");
    { std::ofstream(file) << "$GPRMC\r\n"; }
    const std::string fifo = scratch.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    PseudoTerminal receiver;

    struct Case {
        std::string what;
        std::string name;
        unsigned baudRate;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"missing", scratch.file("missing"), 4800, "No such file or directory"},
        {"regular file", file, 4800, "Inappropriate ioctl for device"},
        {"FIFO", fifo, 4800, "Inappropriate ioctl for device"},
        {"folder", scratch.path().string(), 4800, "Inappropriate ioctl for device"},
        {"character device that is no terminal", "/dev/null", 4800,
         "Inappropriate ioctl for device"},
        {"baud rate no port runs at", receiver.terminal(), 4801, "Invalid argument"},
    };
    SystemPlatform system;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SerialPortOpening opening = system.openSerialPort(c.name, c.baudRate);
        ASSERT_TRUE(std::holds_alternative<std::string>(opening));
        EXPECT_EQ(std::get<std::string>(opening), c.reason);
    }
}

}  // namespace
}  // namespace quarnel
