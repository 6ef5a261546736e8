// The Info tab and the header bar's Help button: the running program's
// version, the help page and the two web addresses, all opened by the desktop.
#include <QString>
#include <stdexcept>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "info/VersionText.h"
#include "platform/Platform.h"

namespace {

const QString kHelpFileName = QStringLiteral("QuarnelHelp.html");

// Names every folder that was searched (one or two), so that the user knows
// where to put the page.
QString helpPageMissing(const std::vector<std::string>& folders) {
    const QString first = QString::fromStdString(folders.front());
    if (folders.size() == 1) {
        return QStringLiteral("The help page %1 was not found in %2").arg(kHelpFileName, first);
    }
    return QStringLiteral("The help page %1 was found neither in %2 nor in %3")
        .arg(kHelpFileName, first, QString::fromStdString(folders.back()));
}

// Opens the target through the desktop and says when it could not.
void openReporting(const std::string& target, const QString& what) {
    quarnel::platform().openDocument(target, [what](const quarnel::Refusal& refusal) {
        if (refusal) {
            showErrorBox(QStringLiteral("%1 could not be opened: %2")
                             .arg(what, QString::fromStdString(*refusal)));
        }
    });
}

}  // namespace

// An unreadable version leaves the text as it was: empty at start-up.
void TTabbedForm::ShowVersion() {
    quarnel::Platform& system = quarnel::platform();
    const std::optional<quarnel::FileVersion> version =
        system.readFileVersion(system.programFile());
    if (version) {
        unit.VersionText = QString::fromStdString(quarnel::formatVersionText(
            {version->major, version->minor, version->release, version->build}));
    }
}

void TTabbedForm::btnHelpTimeAdjustClick() {
    reportingErrors([] {
        quarnel::Platform& system = quarnel::platform();
        const std::optional<std::string> page = system.helpPage(kHelpFileName.toStdString());
        if (!page) {
            throw std::runtime_error(helpPageMissing(system.helpPageFolders()).toStdString());
        }
        openReporting(*page, QStringLiteral("The help page %1").arg(kHelpFileName));
    });
}

// The button shows the address and opens whatever it shows.
void TTabbedForm::btnURLClick() {
    openReporting(btnURL->text().toStdString(), btnURL->text());
}

void TTabbedForm::imgDonateButtonClick() {
    openReporting(DonationAddress.toStdString(), DonationAddress);
}
