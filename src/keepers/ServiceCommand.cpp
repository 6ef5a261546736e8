#include "keepers/ServiceCommand.h"

#include <array>
#include <string_view>

namespace quarnel {
namespace {

constexpr std::array<std::string_view, 11> kUnitKinds = {
    ".service", ".socket", ".target", ".device", ".mount", ".automount",
    ".swap",    ".timer",  ".path",   ".slice",  ".scope"};

}  // namespace

std::string unitName(const std::string& serviceName) {
    for (const std::string_view kind : kUnitKinds) {
        if (serviceName.size() > kind.size() && serviceName.ends_with(kind)) {
            return serviceName;
        }
    }
    return serviceName + ".service";
}

std::vector<std::string> serviceCommand(TKeeperAction action, const std::string& serviceName) {
    // "--" ends the options: a name that starts with "-" is still a name.
    return {"systemctl", action == TKeeperAction::Stop ? "stop" : "start", "--", serviceName};
}

std::vector<std::string> inTerminalThatStaysOpen(const std::string& terminal,
                                                 const std::vector<std::string>& command) {
    // "sh" after the script is the script's $0; the command follows as $1...
    std::vector<std::string> arguments{terminal, "-e", "sh", "-c", std::string(kStayOpenScript),
                                       "sh"};
    arguments.insert(arguments.end(), command.begin(), command.end());
    return arguments;
}

std::string serviceParameters(TKeeperAction action, bool verbose, const std::string& serviceName) {
    std::string text = "\"";
    text += verbose ? "/K" : "/C";
    text += " net.exe ";
    text += action == TKeeperAction::Stop ? "stop" : "start";
    text += ' ';
    text += serviceName;
    text += '"';
    return text;
}

}  // namespace quarnel
