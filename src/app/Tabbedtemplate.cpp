#include "app/Tabbedtemplate.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <exception>

#include "app/QuarnelApplication.h"
#include "settings/SettingsNotWritten.h"

TTabbedForm* TabbedForm = nullptr;

TTabbedForm::TTabbedForm(QWidget* parent) : QWidget(parent) {
    TabbedForm = this;
    // Also when construction fails: no reference outlives the window.
    connect(this, &QObject::destroyed, [] { TabbedForm = nullptr; });
    setupUi(this);
    // The home page is a build setting, so it cannot be part of the form.
    btnURL->setText(QStringLiteral(QUARNEL_HOME_PAGE));
    connect(&Timer1, &IntervalTimer::timeout, this, &TTabbedForm::Timer1Timer);
    connect(&Decodes, &DecodeListener::changed, this, &TTabbedForm::ShowDecodes);
    tabItemTimeshift->installEventFilter(this);
    LoadSettings();
    EnterSavedRunState();
    ShowVersion();
    lblVersionNumber->setText(unit.VersionText);

    FormCreate();
}

// The toolkit's window events, mapped to the Form handlers. Spontaneous shows
// come from the window system (a restore from the task bar); the saved
// position is for the program's own show only.
void TTabbedForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TTabbedForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
}

// The window closes only after FormClose has run to its end: when it fails,
// the error box shows why and the window stays open. Settings that cannot be
// written must not trap the user: the user chooses.
void TTabbedForm::closeEvent(QCloseEvent* event) {
    event->ignore();
    try {
        FormClose();
    } catch (const SettingsNotWritten& failure) {
        if (!askCloseWithoutSaving(QString::fromStdString(failure.what()))) {
            return;
        }
    } catch (...) {
        showErrorBoxFor(std::current_exception());
        return;
    }
    event->accept();
}

// The Timeshift tab is shown when it is chosen, with the window, and again
// when the window is restored from its minimised state.
bool TTabbedForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabItemTimeshift && event->type() == QEvent::Show) {
        catchUpClockDisplays();
    }
    return QWidget::eventFilter(watched, event);
}

// A tool that was left active holds the time keepers stopped again.
void TTabbedForm::EnterSavedRunState() {
    ShowRunState(swPauseActive->isChecked());
    if (swPauseActive->isChecked()) {
        StopTimeKeepers();
    }
}

void TTabbedForm::FormCreate() {
    TabControl1->setCurrentWidget(tabItemSetup);
    showAlignShift();
}

void TTabbedForm::FormShow() {
    LoadWindowPosition();
}

void TTabbedForm::FormActivate() {
    if (!unit.FirstActivation) {
        return;
    }
    // A hand-edited index that names no tab opens the Timeshift tab.
    const bool valid = unit.ActiveTabIndex >= 0 && unit.ActiveTabIndex < TabControl1->count();
    TabControl1->setCurrentIndex(valid ? unit.ActiveTabIndex : 0);
    unit.FirstActivation = false;
}

// The tab changes made while the window is built and first activated are the
// program's own; only the user's choices afterwards are remembered.
void TTabbedForm::TabControl1Change() {
    if (unit.FirstActivation) {
        return;
    }
    unit.ActiveTabIndex = TabControl1->currentIndex();
}

// A maximised window stays maximised: only the minimised state is left.
void TTabbedForm::BringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

// An active tool hands the clock back to the time keepers before it ends;
// the settings are written after that, in every case. When the keepers
// cannot be started, the settings are still saved before the window reports
// it and stays open, so nothing the user entered is lost. When the save fails
// too, the keepers' failure is shown before the user is asked about the save.
void TTabbedForm::FormClose() {
    std::exception_ptr keepersFailure;
    if (swPauseActive->isChecked()) {
        try {
            StartTimeKeepers();
        } catch (...) {
            keepersFailure = std::current_exception();
        }
    }
    try {
        SaveSettings();
    } catch (const SettingsNotWritten&) {
        if (keepersFailure) {
            showErrorBoxFor(keepersFailure);
        }
        throw;
    }
    if (keepersFailure) {
        std::rethrow_exception(keepersFailure);
    }
}
