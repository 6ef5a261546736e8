#include "app/Tabbedtemplate.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <QStyle>
#include <exception>

#include "app/QuarnelApplication.h"
#include "decodes/window/DecodesReference.h"
#include "gps/window/GpsReference.h"
#include "settings/window/ScreenList.h"
#include "settings/window/SettingsNotWritten.h"
#include "timeserver/window/TimeServerReference.h"
#include "widgets/FormPalette.h"
#include "widgets/ScrollToFit.h"

namespace {

// The height the window's contents may take on the screen it is placed on
// (the first screen when its position is on none): the screen's free area
// less the title bar.
int freeHeightFor(const QWidget& window) {
    const QList<QRect> screens = desktopScreens();
    if (screens.isEmpty()) {
        return window.height();
    }
    QRect area = screens.front();
    for (const QRect& screen : screens) {
        if (screen.contains(window.pos())) {
            area = screen;
            break;
        }
    }
    return area.height() - window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
}

// The settings file numbers the tabs as they were before the GPS tab came
// between Setup and Info (0 Timeshift, 1 Clips, 2 Setup, 3 Info), and gives
// the GPS tab 4, so that a saved Info tab stays the Info tab. The two
// numberings differ only in swapping 3 and 4: this turns either into the
// other.
int otherTabNumbering(int number) {
    return number == 3 ? 4 : number == 4 ? 3 : number;
}

}  // namespace

TTabbedForm::TTabbedForm(QWidget* parent) : QWidget(parent) {
    setupUi(this);
    setPalette(formPalette());
    // The home page is a build setting, so it cannot be part of the form.
    btnURL->setText(QStringLiteral(QUARNEL_HOME_PAGE));
    connect(&Timer1, &IntervalTimer::timeout, this, &TTabbedForm::Timer1Timer);
    References = new ReferenceList(ReferenceRows, this);
    connect(this, &TTabbedForm::clockMoved, References, &ReferenceList::clockMoved);
    connect(References, &ReferenceList::used, this, &TTabbedForm::useReferenceShift);
    References->add(
        std::make_unique<DecodesReference>(swListenDecoders, edDecodesAddress, edDecodesPort));
    References->add(std::make_unique<TimeServerReference>(swAskTimeServer, edTimeServer));
    References->add(std::make_unique<GpsReference>(swListenGps, edGpsSource, edGpsDelay));
    setUpKeyboard();
    setUpClipKeys();
    tabItemTimeshift->installEventFilter(this);
    LoadSettings();
    scrollToFit(*this, freeHeightFor(*this));
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

// The window closes only after FormClose has run to its end: the keepers
// started again and the settings written. A close waits for a clock change
// or a keeper action that still waits for the system's answer, and shifts
// that no time keeper will correct are not left behind unasked.
void TTabbedForm::closeEvent(QCloseEvent* event) {
    if (m_closeAllowed) {
        event->accept();
        return;
    }
    event->ignore();
    if (unit.ClockChangeWaiting || unit.KeepersChanging) {
        m_closeWaits = true;
        return;
    }
    if (unit.RunningShift != 0 && !someKeeperWillCorrectTheClock()) {
        const QString total = shiftText(-unit.RunningShift);
        const QString sign = unit.RunningShift < 0 ? QStringLiteral("+") : QString();
        switch (askUndoBeforeClose(
            QStringLiteral("Undo the shift of %1%2 s before closing?").arg(sign, total))) {
            case UndoAnswer::StayOpen:
                return;
            case UndoAnswer::ResetAndClose:
                reportingErrors([&] { RevertRunningShift(); });
                if (unit.ClockChangeWaiting) {
                    m_closeWaits = true;
                    return;
                }
                if (unit.RunningShift != 0) {
                    return;  // refused: the box says why
                }
                break;
            case UndoAnswer::Close:
                break;
        }
    }
    FormClose();
    if (m_closeAllowed) {
        event->accept();
    }
}

// The keepers' start, when the tool was active, or the save alone.
void TTabbedForm::FormClose() {
    if (swPauseActive->isChecked()) {
        StartTimeKeepers([this](const std::optional<QString>& failure) { finishClose(failure); });
    } else {
        finishClose(std::nullopt);
    }
}

// The settings are written in every case. When the keepers could not be
// started, they are saved before the window reports it and stays open, so
// nothing the user entered is lost; when the save fails too, the keepers'
// failure is shown before the user is asked about the save.
void TTabbedForm::finishClose(const std::optional<QString>& keepersFailure) {
    try {
        SaveSettings();
    } catch (const SettingsNotWritten& failure) {
        if (keepersFailure) {
            showErrorBox(*keepersFailure);
        }
        if (!askCloseWithoutSaving(QString::fromStdString(failure.what()))) {
            return;
        }
        m_closeAllowed = true;
    } catch (const SettingsLeftAsFound&) {
        showErrorBoxFor(std::current_exception());
    } catch (...) {
        showErrorBoxFor(std::current_exception());
        return;
    }
    if (keepersFailure && !m_closeAllowed) {
        showErrorBox(*keepersFailure);
        return;
    }
    m_closeAllowed = true;
    // From a later answer, this closes the window; inside the close event the
    // toolkit ignores it and the event itself is accepted.
    close();
}

void TTabbedForm::clockChangeSettled(bool succeeded) {
    if (!succeeded) {
        m_closeWaits = false;
    }
    keepersSettled();
}

// A close that waited is asked again, now that nothing waits.
void TTabbedForm::keepersSettled() {
    if (m_closeWaits && !unit.ClockChangeWaiting && !unit.KeepersChanging) {
        m_closeWaits = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

// Started again, a keeper sets the clock right by itself.
bool TTabbedForm::someKeeperWillCorrectTheClock() const {
    return !edServiceName->text().isEmpty() || !edProgFilePath->text().isEmpty() ||
           unit.HoldingAutomaticSync;
}

// The Timeshift tab is shown when it is chosen, with the window, and again
// when the window is restored from its minimised state.
bool TTabbedForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tabItemTimeshift && event->type() == QEvent::Show) {
        catchUpClockDisplays();
    }
    return QWidget::eventFilter(watched, event);
}

// A tool that was left active holds the time keepers stopped again, as the
// switch does.
void TTabbedForm::EnterSavedRunState() {
    ShowRunState(swPauseActive->isChecked());
    if (swPauseActive->isChecked()) {
        swPauseActiveClick();
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
    TabControl1->setCurrentIndex(valid ? otherTabNumbering(unit.ActiveTabIndex) : 0);
    unit.FirstActivation = false;
}

// The tab changes made while the window is built and first activated are the
// program's own; only the user's choices afterwards are remembered.
void TTabbedForm::TabControl1Change() {
    if (unit.FirstActivation) {
        return;
    }
    unit.ActiveTabIndex = otherTabNumbering(TabControl1->currentIndex());
}

// A maximised window stays maximised: only the minimised state is left.
void TTabbedForm::BringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
