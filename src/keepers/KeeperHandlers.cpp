// The run state and the stopping and starting of the time keepers: the
// configured service and program that would otherwise correct the clock, or,
// when no service is named, the system's own network time synchronization.
#include <QPointer>
#include <stdexcept>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "clock/RefusalAdvice.h"
#include "keepers/FileNamePart.h"

using quarnel::TKeeperAction;

namespace {

using Next = std::function<void(std::optional<QString>)>;

QString failureOf(const QString& what, TKeeperAction action, const std::string& reason) {
    const QString verb =
        action == TKeeperAction::Stop ? QStringLiteral("stopped") : QStringLiteral("started again");
    return QStringLiteral("%1 could not be %2: %3")
        .arg(what, verb, QString::fromStdString(quarnel::advisedReason(reason, "the switch")));
}

// The system's reason as it stands; a parameter text the port could not take
// apart is quoted back to the user.
std::string launchRefusalText(const std::string& reason, const std::string& parameters) {
    if (reason == quarnel::kQuoteLeftOpen) {
        return "The program parameters leave a quote open: " + parameters;
    }
    return reason;
}

void showText(QLabel* label, const char* property) {
    label->setText(label->property(property).toString());
}

}  // namespace

// Pausing only locks the buttons that change the clock; a set already
// requested is still carried out by the next tick.
void TTabbedForm::ShowRunState(bool active) {
    showText(lbPauseActive, active ? "activeText" : "pausedText");
    btnSet->setEnabled(active);
    btnSetOrigin->setEnabled(active);
    btnAcceptTimeShift->setEnabled(active);
}

// The switch reads "Active/Ready" only once the keepers are held; a keeper
// that could not be stopped leaves it off and says why. While the system
// answers, the switch waits.
void TTabbedForm::swPauseActiveClick() {
    reportingErrors([&] {
        const bool active = swPauseActive->isChecked();
        ShowRunState(false);
        // Disabled, the switch hands the keyboard focus on to the next
        // control; it takes it back when it is enabled again, unless the user
        // has moved the focus elsewhere meanwhile.
        const bool hadFocus = swPauseActive->hasFocus();
        swPauseActive->setEnabled(false);
        const QPointer<QWidget> focusWhileWaiting = hadFocus ? focusWidget() : nullptr;
        const QPointer<TTabbedForm> form(this);
        const KeepersDone shown = [form, active, focusWhileWaiting,
                                   hadFocus](const std::optional<QString>& failure) {
            if (form.isNull()) {
                return;
            }
            form->swPauseActive->setEnabled(true);
            if (hadFocus && form->focusWidget() == focusWhileWaiting) {
                form->swPauseActive->setFocus(Qt::OtherFocusReason);
            }
            const bool nowActive = active && !failure;
            form->swPauseActive->setChecked(nowActive);
            form->ShowRunState(nowActive);
            if (failure) {
                showErrorBox(*failure);
            }
        };
        if (active) {
            showText(lbPauseActive, "stoppingText");
            StopTimeKeepers(shown);
        } else {
            showText(lbPauseActive, "startingText");
            StartTimeKeepers(shown);
        }
    });
}

void TTabbedForm::swVerboseModeClick() {
    unit.VerboseFlag = swVerboseMode->isChecked();
}

void TTabbedForm::StopTimeKeepers(const KeepersDone& done) {
    controlTimeKeepers(TKeeperAction::Stop, done);
}

void TTabbedForm::StartTimeKeepers(const KeepersDone& done) {
    controlTimeKeepers(TKeeperAction::Start, done);
}

// The texts are read as they stand when each half begins: nothing is
// remembered from the stop for the start. The service goes first; an empty
// name hands its half to the system's own synchronization. A stop ends at
// the first failure, so nothing more is stopped than the user is told of; a
// start starts everything it can and tells the first failure.
void TTabbedForm::controlTimeKeepers(TKeeperAction action, const KeepersDone& done) {
    unit.KeepersChanging = true;
    const QPointer<TTabbedForm> form(this);
    const auto finish = [form, done](const std::optional<QString>& failure) {
        if (form.isNull()) {
            return;
        }
        unit.KeepersChanging = false;
        if (done) {
            done(failure);
        }
        form->keepersSettled();
    };
    const Next program = [form, action, finish](std::optional<QString> failure) {
        if (form.isNull()) {
            return;
        }
        const QString filePath = form->edProgFilePath->text();
        if ((!failure || action == TKeeperAction::Start) && !filePath.isEmpty()) {
            try {
                form->ControlProgram(action, filePath, form->edProgParams->text());
            } catch (const std::exception& error) {
                failure = failure.value_or(QString::fromUtf8(error.what()));
            }
        }
        finish(failure);
    };

    const QString serviceName = edServiceName->text();
    if (serviceName.isEmpty()) {
        controlAutomaticSync(action, program);
        return;
    }
    ControlService(action, unit.VerboseFlag, serviceName,
                   [serviceName, action, program](const quarnel::Refusal& refusal) {
                       program(refusal ? std::optional(failureOf(
                                             QStringLiteral("The time service %1").arg(serviceName),
                                             action, *refusal))
                                       : std::nullopt);
                   });
}

// Held only when it was on, and given back only when Quarnel held it.
void TTabbedForm::controlAutomaticSync(TKeeperAction action, const Next& next) {
    const QString what = QStringLiteral("Network time synchronization");
    const QPointer<TTabbedForm> form(this);
    const auto switched = [form, action, what, next](const quarnel::Refusal& refusal) {
        if (form.isNull()) {
            return;
        }
        form->Journal.recordKeeper(QStringLiteral("network time synchronization"), action, refusal);
        if (!refusal) {
            unit.HoldingAutomaticSync = action == TKeeperAction::Stop;
            form->showHolding();
        }
        next(refusal ? std::optional(failureOf(what, action, *refusal)) : std::nullopt);
    };
    quarnel::Platform& system = quarnel::platform();
    if (action == TKeeperAction::Start) {
        if (unit.HoldingAutomaticSync) {
            system.setAutomaticSync(true, switched);
        } else {
            next(std::nullopt);
        }
        return;
    }
    system.readAutomaticSync([&system, switched, next](std::optional<bool> on) {
        if (on.value_or(false)) {
            system.setAutomaticSync(false, switched);
        } else {
            next(std::nullopt);
        }
    });
}

void TTabbedForm::showHolding() {
    lblHolding->setText(
        unit.HoldingAutomaticSync ? lblHolding->property("holdingSyncText").toString() : QString());
}

// The journal records the outcome when it comes.
void TTabbedForm::ControlService(TKeeperAction action, bool verbose, const QString& serviceName,
                                 quarnel::Completion done) {
    const QPointer<TTabbedForm> form(this);
    quarnel::platform().controlService(
        action, verbose, serviceName.toStdString(),
        [form, action, serviceName, done](const quarnel::Refusal& refusal) {
            if (!form.isNull()) {
                form->Journal.recordKeeper(QStringLiteral("service ") + serviceName, action,
                                           refusal);
            }
            done(refusal);
        });
}

// Stopping ends every running copy of the program; starting launches the path
// as typed, without looking for a copy that still runs. A refused launch is
// journalled and thrown for the caller to show, in the same words.
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
        const std::string parameterText = parameters.toStdString();
        const quarnel::Refusal refusal =
            quarnel::platform().launchProgram(filePath.toStdString(), parameterText);
        const quarnel::Refusal told =
            refusal ? std::optional(launchRefusalText(*refusal, parameterText)) : std::nullopt;
        Journal.recordKeeper(what, action, told);
        if (told) {
            throw std::runtime_error(*told);
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
