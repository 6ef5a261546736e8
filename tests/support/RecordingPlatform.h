#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace quarnel::testing {

// A serial port that the test feeds: what it puts into `arrived` is what the
// next read returns, stamped by whatever the double's clock reads then.
struct StandInSerialPort {
    std::string arrived;
    Refusal failWith;  // the next read fails with this reason
    bool open = false;
    unsigned baudRate = 0;  // as last opened
};

// A platform double: a clock that moves only when told, an in-memory file
// system, a configurable process table, and a log of every call that reaches
// the system, in order, as readable lines.
class RecordingPlatform : public Platform {
  public:
    // --- what the double answers ---
    TimeCount now = toTimeCount({2021, 3, 5, 5, 9, 7, 3, 42});
    // The local time's lead over UTC: the universal time is `now` minus it.
    std::int64_t localMinusUniversal = 0;
    Refusal refuseSetWith;      // a set fails with this reason when present
    Refusal refuseServiceWith;  // so does a stop or start of the service
    // What the system's own synchronization reads: nothing where there is no
    // such switch (as on Windows).
    std::optional<bool> automaticSync;
    Refusal refuseAutomaticSyncWith;
    // The desktop may take its time to answer (a password dialog): while
    // true, the answers wait in `heldAnswers` until answerHeld().
    bool holdAnswers = false;
    std::vector<std::function<void()>> heldAnswers;
    std::map<std::string, std::vector<ProcessId>> processes;  // file name -> ids
    std::map<std::string, FileVersion> versions;              // path -> version
    std::map<std::string, std::string> files;                 // path -> contents
    std::set<std::string> unreadableFiles;                    // exist, cannot be read
    Refusal refuseReplaceWith;
    Refusal refuseAppendWith;  // an append adds nothing and says this
    Refusal refuseRenameWith;
    Refusal refuseLaunchWith;  // a launch starts nothing and says this
    Refusal refuseOpenWith;    // so does the opening of a document
    std::string workingDirectory = "/home/op";
    std::string user = "1000";
    // Where the program's files are, when not in the current directory (as an
    // installed program on Linux finds them).
    std::optional<std::string> settingsFileAt;
    // The folder of the help page that came with the program; a page is found
    // there only when `files` holds it.
    std::optional<std::string> installedHelpFolderAt = "/opt/quarnel/doc";
    std::string programFileAt = "/opt/quarnel/bin/quarnel";
    // The serial ports there are, by name; other names are refused.
    std::map<std::string, StandInSerialPort> serialPorts;
    // The system whose file names, separators and line ends the double
    // answers: by default the one the test is built for.
    SystemConventions answersFor = kBuiltForConventions;

    // --- what reached it ---
    std::vector<std::string> calls;
    std::vector<std::int64_t> appliedShifts;  // successful sets only

    TimeCount readLocalTime() override { return now; }
    TimeCount readUniversalTime() override { return now - localMinusUniversal; }

    void answerHeld() {
        std::vector<std::function<void()>> answers;
        answers.swap(heldAnswers);
        for (const std::function<void()>& answer : answers) {
            answer();
        }
    }

    void shiftLocalTime(std::int64_t shift, Completion done) override {
        calls.push_back("shiftLocalTime " + std::to_string(shift));
        answer([this, shift, done] {
            if (refuseSetWith) {
                done(refuseSetWith);
                return;
            }
            now += shift;
            appliedShifts.push_back(shift);
            done(std::nullopt);
        });
    }

    void controlService(TKeeperAction action, bool verbose, const std::string& name,
                        Completion done) override {
        calls.push_back(std::string("controlService ") +
                        (action == TKeeperAction::Stop ? "stop" : "start") +
                        (verbose ? " verbose" : "") + " [" + name + "]");
        answer([this, done] { done(refuseServiceWith); });
    }

    // A reading, like the clock's, is not logged.
    void readAutomaticSync(std::function<void(std::optional<bool>)> done) override {
        answer([this, done] { done(automaticSync); });
    }

    void setAutomaticSync(bool on, Completion done) override {
        calls.push_back(std::string("setAutomaticSync ") + (on ? "on" : "off"));
        answer([this, on, done] {
            if (!refuseAutomaticSyncWith) {
                automaticSync = on;
            }
            done(refuseAutomaticSyncWith);
        });
    }

    std::vector<ProcessId> findProcessesByFileName(const std::string& fileName) override {
        calls.push_back("findProcessesByFileName [" + fileName + "]");
        const auto found = processes.find(fileName);
        return found == processes.end() ? std::vector<ProcessId>{} : found->second;
    }

    void terminateProcess(ProcessId id) override {
        calls.push_back("terminateProcess " + std::to_string(id));
    }

    Refusal launchProgram(const std::string& path, const std::string& parameters) override {
        if (refuseLaunchWith) {
            return refuseLaunchWith;
        }
        calls.push_back("launchProgram [" + path + "] [" + parameters + "]");
        return std::nullopt;
    }

    void openDocument(const std::string& target, Completion done) override {
        calls.push_back("openDocument [" + target + "]");
        done(refuseOpenWith);
    }

    std::optional<FileVersion> readFileVersion(const std::string& path) override {
        const auto found = versions.find(path);
        if (found == versions.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    const SystemConventions& conventions() const override { return answersFor; }

    std::string currentDirectory() override { return workingDirectory; }

    std::string settingsFile(const std::string& fileName) override {
        return settingsFileAt ? *settingsFileAt : inCurrentDirectory(fileName);
    }
    std::optional<std::string> installedHelpFolder() override { return installedHelpFolderAt; }
    std::string programFile() override { return programFileAt; }

    std::optional<std::string> readFile(const std::string& path) override {
        const auto found = files.find(path);
        if (unreadableFiles.contains(path)) {
            return std::nullopt;
        }
        if (found == files.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    bool fileIsMissing(const std::string& path) override {
        return !files.contains(path) && !unreadableFiles.contains(path);
    }

    void makeSettingsFolder(const std::string& path) override {
        calls.push_back("makeSettingsFolder [" + path + "]");
    }

    std::string userId() override { return user; }

    SerialPortOpening openSerialPort(const std::string& name, unsigned baudRate) override {
        calls.push_back("openSerialPort [" + name + "] " + std::to_string(baudRate));
        const auto found = serialPorts.find(name);
        if (found == serialPorts.end()) {
            return std::string("No such file or directory");
        }
        found->second.open = true;
        found->second.baudRate = baudRate;
        return std::make_unique<OpenedPort>(found->second);
    }

    Refusal replaceFile(const std::string& path, const std::string& contents) override {
        calls.push_back("replaceFile [" + path + "]");
        if (refuseReplaceWith) {
            return refuseReplaceWith;
        }
        files[path] = contents;
        return std::nullopt;
    }

    // The journal's file operations are seen in `files`, not in `calls`, so
    // that the call log stays the story of the clock and the time keepers.
    Refusal appendToFile(const std::string& path, const std::string& text) override {
        if (refuseAppendWith) {
            return refuseAppendWith;
        }
        files[path] += text;
        return std::nullopt;
    }

    std::optional<std::uint64_t> fileSize(const std::string& path) override {
        const auto found = files.find(path);
        if (found == files.end()) {
            return std::nullopt;
        }
        return found->second.size();
    }

    Refusal renameReplacing(const std::string& from, const std::string& to) override {
        if (refuseRenameWith) {
            return refuseRenameWith;
        }
        const auto found = files.find(from);
        if (found == files.end()) {
            return "No such file or directory";
        }
        files[to] = std::move(found->second);
        files.erase(from);
        return std::nullopt;
    }

  private:
    class OpenedPort final : public SerialPort {
      public:
        explicit OpenedPort(StandInSerialPort& port) : m_port(port) {}
        ~OpenedPort() override { m_port.open = false; }
        OpenedPort(const OpenedPort&) = delete;
        OpenedPort& operator=(const OpenedPort&) = delete;

        Refusal readArrived(std::string& bytes) override {
            if (m_port.failWith) {
                return std::exchange(m_port.failWith, std::nullopt);
            }
            bytes += std::exchange(m_port.arrived, {});
            return std::nullopt;
        }
        // Asked at intervals, as a port on Windows is.
        std::optional<int> arrivalDescriptor() const override { return std::nullopt; }

      private:
        StandInSerialPort& m_port;
    };

    void answer(std::function<void()> answering) {
        if (holdAnswers) {
            heldAnswers.push_back(std::move(answering));
        } else {
            answering();
        }
    }
};

}  // namespace quarnel::testing
