// The Info tab and the header bar's Help button: the program file's version,
// the help page and the two web addresses, all opened by the desktop.
#include "app/Tabbedtemplate.h"
#include "info/VersionText.h"
#include "platform/Platform.h"

namespace {

const std::string kHelpFileName = "QuarnelHelp.html";

}  // namespace

// An unreadable version leaves the text as it was: empty at start-up.
void TTabbedForm::ShowVersion() {
    quarnel::Platform& system = quarnel::platform();
    const std::optional<quarnel::FileVersion> version = system.readFileVersion(
        system.programFile(std::string(system.conventions().programFileName)));
    if (version) {
        unit.VersionText = QString::fromStdString(quarnel::formatVersionText(
            {version->major, version->minor, version->release, version->build}));
    }
}

void TTabbedForm::btnHelpTimeAdjustClick() {
    quarnel::Platform& system = quarnel::platform();
    system.openDocument(system.helpPage(kHelpFileName));
}

// The button shows the address and opens whatever it shows.
void TTabbedForm::btnURLClick() {
    quarnel::platform().openDocument(btnURL->text().toStdString());
}

void TTabbedForm::imgDonateButtonClick() {
    quarnel::platform().openDocument(DonationAddress.toStdString());
}
