#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "clock/TimeCount.h"
#include "keepers/KeeperAction.h"
#include "platform/SystemConventions.h"

namespace quarnel {

using ProcessId = std::uint32_t;

// The fixed file version of a program file: major.minor.release.build.
struct FileVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    std::uint16_t release = 0;
    std::uint16_t build = 0;

    bool operator==(const FileVersion&) const = default;
};

// The system's reason for refusing an operation; empty when it succeeded.
using Refusal = std::optional<std::string>;

// The reason for refusing a launch whose parameter text leaves a quote open,
// where the port takes that text apart itself.
inline constexpr std::string_view kQuoteLeftOpen = "a quote is left open";

// Called once with the outcome of an operation that may end after the call
// that began it has returned: at once where the system answers at once, later,
// from the event loop, where it must wait (for a command to end, or for the
// user to answer the desktop's password dialog). The window runs on meanwhile.
using Completion = std::function<void(Refusal)>;

// A serial port opened for reading: 8 data bits, no parity, one stop bit, no
// flow control, the bytes as they come (a GPS receiver's sentences).
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Appends what has arrived since the last read, without waiting; nothing
    // is appended when nothing has. The system's reason when the port failed
    // (the receiver was unplugged): nothing more will come from it then.
    virtual Refusal readArrived(std::string& bytes) = 0;
    // A descriptor that turns readable when bytes arrive, for the event loop
    // to watch; nothing where the port must be asked at intervals instead.
    virtual std::optional<int> arrivalDescriptor() const = 0;
};

// The opened port, or the system's reason for not opening it.
using SerialPortOpening = std::variant<std::unique_ptr<SerialPort>, std::string>;

// Everything Quarnel asks of the operating system. Strings are UTF-8; the
// Windows implementation converts to UTF-16 at the API boundary. What changes
// the clock or the time keepers reports its outcome; launches and
// terminations of the time program report only whether they could begin.
class Platform {
  public:
    virtual ~Platform() = default;

    // The file names, separators and line ends of the system. By default
    // those of the system the program is built for.
    virtual const SystemConventions& conventions() const;

    // The local time now, at the finest resolution the system offers.
    virtual TimeCount readLocalTime() = 0;
    // The universal time (UTC) now, on the same scale as the local time.
    virtual TimeCount readUniversalTime() = 0;
    // Steps the local clock by `shift` (100-ns units, may be negative):
    // afterwards it reads what it would have read, plus the shift.
    virtual void shiftLocalTime(std::int64_t shift, Completion done) = 0;

    // Stops or starts the named service. Verbose shows the service command's
    // output in a window that stays open, where the system runs one; the
    // outcome is then what the user reads there, and only a command that
    // could not be started is reported.
    virtual void controlService(TKeeperAction action, bool verbose, const std::string& serviceName,
                                Completion done) = 0;

    // Whether the system keeps the clock synchronized from the network by
    // itself, without a service named by the user (on Linux, the time
    // service's NTP switch): nothing where there is no such switch.
    virtual void readAutomaticSync(std::function<void(std::optional<bool>)> done);
    // Turns that synchronization off while Quarnel holds the clock, and on
    // again afterwards.
    virtual void setAutomaticSync(bool on, Completion done);
    // Every running process, other than this one, whose executable's file name
    // equals `fileName` (case-insensitively where the file system is).
    virtual std::vector<ProcessId> findProcessesByFileName(const std::string& fileName) = 0;
    virtual void terminateProcess(ProcessId id) = 0;
    // Starts the program detached, with its command-line parameters. A
    // program that cannot be started (not found, not executable), or whose
    // parameter text the system needs taken apart and cannot (a quote left
    // open: kQuoteLeftOpen), is refused with the reason; what it does once it
    // runs is not reported.
    virtual Refusal launchProgram(const std::string& filePath, const std::string& parameters) = 0;

    // Hands a document path or web address to the desktop's default program.
    // `done` hears whether the desktop could open it (a program for it was
    // found and started), not what that program does afterwards.
    virtual void openDocument(const std::string& target, Completion done) = 0;
    virtual std::optional<FileVersion> readFileVersion(const std::string& path) = 0;

    virtual std::string currentDirectory() = 0;

    // Where the program's own files are. The current directory comes first
    // (see inCurrentDirectory), so that a folder holding the settings and the
    // help page beside a copy of the program is used as it is; a port may
    // find them elsewhere too, as installed programs do.
    // The settings file of this name, read at the start and written at close.
    virtual std::string settingsFile(const std::string& fileName) = 0;
    // The folder of the copy of the help page that came with the program: the
    // running program's own folder on Windows, the installed documents on
    // Linux; nothing when the running program's file cannot be told.
    virtual std::optional<std::string> installedHelpFolder() = 0;
    // The running program's own file, wherever it was started from: its
    // version is the one the Info tab shows.
    virtual std::string programFile() = 0;

    // The folders the help page is looked for in, in order and each once: the
    // current directory, then the installed one.
    std::vector<std::string> helpPageFolders();
    // The help page of this name in the first of those folders that has it;
    // nothing when none has.
    std::optional<std::string> helpPage(const std::string& fileName);

    // The whole file, or nothing when it cannot be read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;
    // True only when nothing is at the path: a file that exists but cannot be
    // read is not missing, a link that points nowhere is.
    virtual bool fileIsMissing(const std::string& path) = 0;
    // Writes `contents` beside `path` and puts it in place in one step: either
    // the new file is complete at `path`, or the old one is left untouched.
    // Where `path` is a symbolic link, the file it points to is replaced.
    // Where a port keeps the settings in the user's configuration folder, it
    // makes the missing folders of a path there.
    virtual Refusal replaceFile(const std::string& path, const std::string& contents) = 0;
    // Adds `text` at the end of a regular file, which is made when missing
    // (with the missing folders of a path in the user's configuration
    // folder, as replaceFile makes them).
    virtual Refusal appendToFile(const std::string& path, const std::string& text) = 0;
    // The size in bytes of the regular file at `path`; nothing when there is
    // none to measure.
    virtual std::optional<std::uint64_t> fileSize(const std::string& path) = 0;
    // Gives the file at `from` the name `to`, in place of any file of that
    // name.
    virtual Refusal renameReplacing(const std::string& from, const std::string& to) = 0;

    // Makes the missing folders of the settings file at `path` as replaceFile
    // would, so that files can be kept beside the settings before the first
    // save; where the port would not make them, nothing is made.
    virtual void makeSettingsFolder(const std::string& path) = 0;

    // Opens the serial port of this name ("COM4" on Windows, "/dev/ttyUSB0"
    // on Linux) at the baud rate; a name that is no serial port's is
    // refused.
    virtual SerialPortOpening openSerialPort(const std::string& name, unsigned baudRate) = 0;

    // The user running the program, as the system tells its users apart (the
    // user id on Linux, the security identifier on Windows; empty when the
    // system does not say): names that every user of the machine shares
    // carry it.
    virtual std::string userId() = 0;

  protected:
    // The file of this name in the current directory.
    std::string inCurrentDirectory(const std::string& fileName);
};

// The platform the program uses: set once by the program entry, or by a test
// to its double, before the window is built.
Platform& platform();
void setPlatform(Platform& platform);

// A file in a directory. The separator is always inserted, also after a root
// directory, so that every path is built the same way.
inline std::string fileInDirectory(
    const std::string& directory, std::string_view fileName,
    std::string_view separator = kBuiltForConventions.pathSeparator) {
    return directory + std::string(separator) + std::string(fileName);
}

}  // namespace quarnel
