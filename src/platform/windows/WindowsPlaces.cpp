// Where the program finds its files on Windows: in the current directory, as
// Quarnel has always done.
#include "platform/SystemPlatform.h"

namespace quarnel {

std::string SystemPlatform::settingsFile(const std::string& fileName) {
    return inCurrentDirectory(fileName);
}

std::string SystemPlatform::helpPage(const std::string& fileName) {
    return inCurrentDirectory(fileName);
}

// The current directory exists, and a save makes no folders on Windows.
void SystemPlatform::makeSettingsFolder(const std::string&) {}

std::string SystemPlatform::programFile(const std::string& fileName) {
    return inCurrentDirectory(fileName);
}

}  // namespace quarnel
