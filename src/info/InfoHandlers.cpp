// The Info tab and the header bar's Help button: the program file's version,
// the help page and the two web addresses, all opened by the desktop.
#include "app/Tabbedtemplate.h"
#include "info/VersionText.h"
#include "platform/Platform.h"

namespace {

const std::string kHelpFileName = "QuarnelHelp.html";

// Files are looked for in the current directory, not beside the program.
std::string fileInCurrentDirectory(const std::string& fileName) {
    return quarnel::fileInDirectory(quarnel::platform().currentDirectory(), fileName);
}

}  // namespace

// An unreadable version leaves the text as it was: empty at start-up.
void TTabbedForm::ShowVersion() {
    const std::optional<quarnel::FileVersion> version =
        quarnel::platform().readFileVersion(fileInCurrentDirectory(ExeFileName.toStdString()));
    if (version) {
        unit.VersionText = QString::fromStdString(quarnel::formatVersionText(
            {version->major, version->minor, version->release, version->build}));
    }
}

void TTabbedForm::btnHelpTimeAdjustClick() {
    quarnel::platform().openDocument(fileInCurrentDirectory(kHelpFileName));
}

// The button shows the address and opens whatever it shows.
void TTabbedForm::btnURLClick() {
    quarnel::platform().openDocument(btnURL->text().toStdString());
}

void TTabbedForm::imgDonateButtonClick() {
    quarnel::platform().openDocument(DonationAddress.toStdString());
}
