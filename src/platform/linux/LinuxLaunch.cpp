#include <unistd.h>

#include <memory>

#include "keepers/ServiceCommand.h"
#include "keepers/ShellWords.h"
#include "platform/linux/DetachedSpawn.h"
#include "platform/linux/LinuxState.h"
#include "platform/linux/WatchedCommand.h"

namespace quarnel {
namespace {

// Debian's name for the user's preferred terminal.
constexpr const char* kTerminal = "x-terminal-emulator";
// How often a command is looked at when nobody lent an event loop.
constexpr useconds_t kWaitingStepMicroseconds = 10'000;

// Starts `command` as our child and hands `done` its outcome when it ends:
// from the loop, or, with no loop, before returning.
void awaitCommand(const std::vector<std::string>& command, EventLoop* loop,
                  const Completion& done) {
    std::string reason;
    std::shared_ptr<WatchedCommand> running = WatchedCommand::start(command, reason);
    if (!running) {
        done(reason);
        return;
    }
    const auto finished = [running, done]() {
        const std::optional<Refusal> outcome = running->outcome();
        if (outcome) {
            done(*outcome);
        }
        return outcome.has_value();
    };
    if (loop != nullptr) {
        loop->pollUntil(finished);
    } else {
        while (!finished()) {
            ::usleep(kWaitingStepMicroseconds);
        }
    }
}

// systemctl, for a system whose service manager is not on the bus. Shown
// in a terminal (verbose), its outcome is what the user reads there; without
// a terminal to show it in, a verbose command still has to run, and is
// awaited like any other.
void runServiceCommand(TKeeperAction action, bool verbose, const std::string& serviceName,
                       EventLoop* loop, const Completion& done) {
    const std::vector<std::string> command = serviceCommand(action, serviceName);
    if (verbose) {
        if (const std::optional<std::string> terminal = findExecutable(kTerminal)) {
            done(spawnDetached(inTerminalThatStaysOpen(*terminal, command)));
            return;
        }
    }
    awaitCommand(command, loop, done);
}

}  // namespace

// systemd is asked over the bus first, so that polkit can ask the desktop
// user for the right; systemctl could ask only on a terminal.
void SystemPlatform::controlService(TKeeperAction action, bool verbose,
                                    const std::string& serviceName, Completion done) {
    ServiceManager* manager = m_state->helpers.serviceManager;
    EventLoop* loop = m_state->helpers.loop;
    if (manager == nullptr) {
        runServiceCommand(action, verbose, serviceName, loop, done);
        return;
    }
    manager->controlUnit(action, unitName(serviceName), [=](const ServiceAnswer& answer) {
        passOn(answer, done, [&] { runServiceCommand(action, verbose, serviceName, loop, done); });
    });
}

Refusal SystemPlatform::launchProgram(const std::string& filePath, const std::string& parameters) {
    const std::optional<std::vector<std::string>> words = splitShellWords(parameters);
    if (!words) {
        return std::string(kQuoteLeftOpen);
    }
    std::vector<std::string> arguments{filePath};
    arguments.insert(arguments.end(), words->begin(), words->end());
    return spawnDetached(arguments);
}

// xdg-open ends once it has handed the target to the desktop's program for
// it, and says whether it could (no program for it, no such file).
void SystemPlatform::openDocument(const std::string& target, Completion done) {
    awaitCommand({"xdg-open", target}, m_state->helpers.loop, done);
}

}  // namespace quarnel
