// The run state and the stopping and starting of the time keepers: the
// configured service and program that would otherwise correct the clock.
#include <stdexcept>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "keepers/FileNamePart.h"

using quarnel::TKeeperAction;

namespace {

// The texts are read now, as they stand: nothing is remembered from the stop
// for the start. The service goes first; an empty text skips its half.
void controlTimeKeepers(TTabbedForm& form, TKeeperAction action) {
    const QString serviceName = form.edServiceName->text();
    if (!serviceName.isEmpty()) {
        form.ControlService(action, unit.VerboseFlag, serviceName);
    }
    const QString filePath = form.edProgFilePath->text();
    if (!filePath.isEmpty()) {
        form.ControlProgram(action, filePath, form.edProgParams->text());
    }
}

}  // namespace

// Pausing only locks the buttons that change the clock; a set already
// requested is still carried out by the next tick.
void TTabbedForm::ShowRunState(bool active) {
    lbPauseActive->setText(
        lbPauseActive->property(active ? "activeText" : "pausedText").toString());
    btnSet->setEnabled(active);
    btnSetOrigin->setEnabled(active);
    btnAcceptTimeShift->setEnabled(active);
}

void TTabbedForm::swPauseActiveClick() {
    reportingErrors([&] {
        const bool active = swPauseActive->isChecked();
        ShowRunState(active);
        if (active) {
            StopTimeKeepers();
        } else {
            StartTimeKeepers();
        }
    });
}

void TTabbedForm::swVerboseModeClick() {
    unit.VerboseFlag = swVerboseMode->isChecked();
}

void TTabbedForm::StopTimeKeepers() {
    controlTimeKeepers(*this, TKeeperAction::Stop);
}

void TTabbedForm::StartTimeKeepers() {
    controlTimeKeepers(*this, TKeeperAction::Start);
}

// The service command's outcome is not reported: the journal's "done" says
// that it was given.
void TTabbedForm::ControlService(TKeeperAction action, bool verbose, const QString& serviceName) {
    quarnel::platform().controlService(action, verbose, serviceName.toStdString());
    Journal.recordKeeper(QStringLiteral("service ") + serviceName, action, std::nullopt);
}

// Stopping ends every running copy of the program; starting launches the path
// as typed, without looking for a copy that still runs. A refused launch is
// thrown for the handler to show.
void TTabbedForm::ControlProgram(TKeeperAction action, const QString& filePath,
                                 const QString& parameters) {
    const QString what = QStringLiteral("program ") + filePath;
    if (action == TKeeperAction::Stop) {
        const QString fileName = QString::fromStdString(quarnel::fileNamePart(
            filePath.toStdString(), quarnel::platform().conventions().programPathSeparators));
        for (const quarnel::ProcessId id : FindProcessByFileName(fileName)) {
            KillProcessById(id);
        }
        Journal.recordKeeper(what, action, std::nullopt);
    } else {
        const quarnel::Refusal refusal =
            quarnel::platform().launchProgram(filePath.toStdString(), parameters.toStdString());
        Journal.recordKeeper(what, action, refusal);
        if (refusal) {
            throw std::runtime_error(*refusal);
        }
    }
}

// A path that ends in a separator names no file, and so no program.
std::vector<quarnel::ProcessId> TTabbedForm::FindProcessByFileName(const QString& fileName) {
    if (fileName.isEmpty()) {
        return {};
    }
    return quarnel::platform().findProcessesByFileName(fileName.toStdString());
}

void TTabbedForm::KillProcessById(quarnel::ProcessId processId) {
    quarnel::platform().terminateProcess(processId);
}
