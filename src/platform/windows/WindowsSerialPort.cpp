#include <windows.h>

#include <array>
#include <utility>

#include "platform/SystemPlatform.h"
#include "platform/windows/SystemReason.h"
#include "platform/windows/Utf16.h"

namespace quarnel {
namespace {

class CommPort final : public SerialPort {
  public:
    explicit CommPort(HANDLE handle) : m_handle(handle) {}
    ~CommPort() override { CloseHandle(m_handle); }
    CommPort(const CommPort&) = delete;
    CommPort& operator=(const CommPort&) = delete;

    // The port's timeouts make each read return at once with what the
    // driver holds, so reading stops at the first read that brings nothing.
    Refusal readArrived(std::string& bytes) override {
        std::array<char, 4096> buffer{};
        for (;;) {
            DWORD count = 0;
            if (ReadFile(m_handle, buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                         nullptr) != TRUE) {
                return lastSystemReason();
            }
            if (count == 0) {
                return std::nullopt;
            }
            bytes.append(buffer.data(), count);
        }
    }

    // Windows has no descriptor for the event loop: the port is asked at
    // intervals.
    std::optional<int> arrivalDescriptor() const override { return std::nullopt; }

  private:
    HANDLE m_handle;
};

}  // namespace

// The name is opened in the device namespace (\\.\COM10 and above are
// reachable only there). Only a character device is kept, and only one whose
// line settings the driver accepts, so no other device is read as a port.
SerialPortOpening SystemPlatform::openSerialPort(const std::string& name, unsigned baudRate) {
    const std::wstring path = L"\\\\.\\" + toUtf16(name);
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return lastSystemReason();
    }
    auto port = std::make_unique<CommPort>(handle);
    if (GetFileType(handle) != FILE_TYPE_CHAR) {
        return systemReason(ERROR_BAD_DEVICE);
    }
    DCB line{};
    line.DCBlength = sizeof line;
    if (GetCommState(handle, &line) != TRUE) {
        return lastSystemReason();
    }
    line.BaudRate = baudRate;
    line.ByteSize = 8;
    line.Parity = NOPARITY;
    line.StopBits = ONESTOPBIT;
    line.fBinary = TRUE;
    line.fParity = FALSE;
    line.fOutxCtsFlow = FALSE;
    line.fOutxDsrFlow = FALSE;
    line.fDsrSensitivity = FALSE;
    line.fOutX = FALSE;
    line.fInX = FALSE;
    line.fNull = FALSE;
    line.fAbortOnError = FALSE;
    // Some receivers draw their power from the control lines.
    line.fDtrControl = DTR_CONTROL_ENABLE;
    line.fRtsControl = RTS_CONTROL_ENABLE;
    if (SetCommState(handle, &line) != TRUE) {
        return lastSystemReason();
    }
    // MAXDWORD between bytes and no total: a read returns at once with what
    // has arrived, also with nothing.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (SetCommTimeouts(handle, &timeouts) != TRUE) {
        return lastSystemReason();
    }
    // What waited in the buffer is from before: its stamps would be wrong.
    PurgeComm(handle, PURGE_RXCLEAR);
    return port;
}

}  // namespace quarnel
