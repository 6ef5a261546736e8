#include "platform/windows/ServiceParameters.h"

namespace quarnel {

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
