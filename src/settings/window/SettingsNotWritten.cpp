#include "settings/window/SettingsNotWritten.h"

#include "platform/FileRules.h"

namespace {

// The platform's reason as a sentence of its own: the refusals the platform
// makes itself explained, the system's texts as the system words them, with
// a capital first letter. The box adds the full stop.
std::string reasonSentence(const std::string& reason) {
    if (reason == quarnel::kForeignLinkRefusal) {
        return "The settings file is a link that another user made in a folder others may write "
               "to, so Quarnel neither reads nor writes the file it points to; remove the link or "
               "start Quarnel in another folder";
    }
    if (reason == quarnel::kReadOnlyFileRefusal) {
        return "The file is read-only; allow writing to it to keep the settings";
    }
    std::string sentence = reason;
    if (!sentence.empty() && sentence.front() >= 'a' && sentence.front() <= 'z') {
        sentence.front() = static_cast<char>(sentence.front() - 'a' + 'A');
    }
    return sentence;
}

std::string message(const std::string& path, const std::string& reason) {
    const std::string question = "In " + path + " kann nicht geschrieben werden.";
    return reason.empty() ? question : question + "\n" + reasonSentence(reason);
}

}  // namespace

SettingsNotWritten::SettingsNotWritten(const std::string& path, const std::string& reason)
    : std::runtime_error(message(path, reason)) {}

SettingsLeftAsFound::SettingsLeftAsFound(const std::string& path)
    : std::runtime_error(path + " could not be read at start; it was left as it was") {}
