#include "keepers/ServiceCommand.h"
#include "keepers/ShellWords.h"
#include "platform/SystemPlatform.h"
#include "platform/linux/DetachedSpawn.h"

namespace quarnel {
namespace {

// Debian's name for the user's preferred terminal.
constexpr const char* kTerminal = "x-terminal-emulator";

}  // namespace

// Without a terminal to show it in, a verbose command still has to run.
void SystemPlatform::controlService(TKeeperAction action, bool verbose,
                                    const std::string& serviceName) {
    const std::vector<std::string> command = serviceCommand(action, serviceName);
    if (verbose) {
        if (const std::optional<std::string> terminal = findExecutable(kTerminal)) {
            spawnDetached(inTerminalThatStaysOpen(*terminal, command));
            return;
        }
    }
    spawnDetached(command);
}

Refusal SystemPlatform::launchProgram(const std::string& filePath, const std::string& parameters) {
    const std::optional<std::vector<std::string>> words = splitShellWords(parameters);
    if (!words) {
        return "The program parameters leave a quote open: " + parameters;
    }
    std::vector<std::string> arguments{filePath};
    arguments.insert(arguments.end(), words->begin(), words->end());
    spawnDetached(arguments);
    return std::nullopt;
}

void SystemPlatform::openDocument(const std::string& target) {
    spawnDetached({"xdg-open", target});
}

}  // namespace quarnel
