#include "keepers/ServiceCommand.h"

namespace quarnel {

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
