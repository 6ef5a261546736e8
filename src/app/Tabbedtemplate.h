#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "app/UnitState.h"
#include "journal/window/ClockJournal.h"
#include "keepers/KeeperAction.h"
#include "platform/Platform.h"
#include "references/ReferenceList.h"
#include "ui_Tabbedtemplate.h"
#include "widgets/IntervalTimer.h"
#include "widgets/OpenFileDialog.h"

namespace quarnel {
class IniDocument;
}

// The main window. Its widgets come from Tabbedtemplate.ui, which also binds
// the handlers below to them by name; each tab's handlers are defined in the
// folder of the subsystem that owns the tab.
class TTabbedForm : public QWidget, public Ui::TTabbedForm {
    Q_OBJECT

  public:
    explicit TTabbedForm(QWidget* parent = nullptr);

    IntervalTimer Timer1{500};
    // The rows of the Timeshift tab that tell where the clock should be.
    ReferenceList* References = nullptr;
    ClockJournal Journal;
    // The filter and what it shows are the platform's (the window is built
    // after the platform is set).
    OpenFileDialog OpenDialog1{
        this, QString::fromUtf8(quarnel::platform().conventions().programFileFilter),
        quarnel::platform().conventions().programDialogShowsExecutablesOnly};

  public slots:
    // Window (app/)
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormClose();
    void TabControl1Change();
    // Shows the window normal if it is minimised, raised and active: another
    // start of Quarnel with these settings asks for it.
    void BringToFront();

    // Timeshift tab and clock engine (clock/)
    void Timer1Timer();
    void btnPlusClick();
    void btnMinusClick();
    void btnResetAlignClick();
    void edAlignMouseWheel(int delta);
    void btnSetClick();
    void edRefreshTimeChange();
    void btnSetOriginClick();
    void btnAcceptTimeShiftClick();
    // Use on a clock reference's row: its suggestion becomes the shift to set.
    void useReferenceShift(std::int64_t shift, const QString& origin);

    // Pause switch and Setup tab (keepers/)
    void swPauseActiveClick();
    void swVerboseModeClick();
    void btnClearServiceNameClick();
    void btnClearProgFilePathClick();
    void btnClearProgParamsClick();
    void btnOpenFileDialogClick();

    // Clips tab (clips/)
    void btnAddEntryClick();
    void ListBox1Click();
    void btnSaveClick();
    void btnDelEntryClick();
    void btnCopyClick();
    void copySelectedClip();
    void deleteSelectedClip();

    // Help button and Info tab (info/)
    void btnHelpTimeAdjustClick();
    void btnURLClick();
    void imgDonateButtonClick();

  public:
    // Clock engine (clock/)
    void RevertRunningShift();

    // Time-keeper control (keepers/). Stopping and starting end later, when
    // the system has answered; `done` then gets the sentence that says what
    // failed, or nothing.
    using KeepersDone = std::function<void(const std::optional<QString>& failure)>;
    void ShowRunState(bool active);
    void StopTimeKeepers(const KeepersDone& done = {});
    void StartTimeKeepers(const KeepersDone& done = {});
    void ControlService(quarnel::TKeeperAction action, bool verbose, const QString& serviceName,
                        quarnel::Completion done);
    void ControlProgram(quarnel::TKeeperAction action, const QString& filePath,
                        const QString& parameters);
    std::vector<quarnel::ProcessId> FindProcessByFileName(const QString& fileName);
    void KillProcessById(quarnel::ProcessId processId);

    // Settings file (settings/)
    void LoadSettings();
    void LoadWindowPosition();
    void SaveSettings();

    // Info tab (info/)
    void ShowVersion();

  signals:
    // The clock engine moved the clock by `shift` (a set or RESET), as the
    // system confirmed.
    void clockMoved(std::int64_t shift);

  protected:
    // Every toolkit event the window handles itself (app/).
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void EnterSavedRunState();
    // Keys that are not the form's mnemonics (app/, clips/).
    void setUpKeyboard();
    void setUpClipKeys();
    // Closing waits for the clock and the keepers to settle (app/).
    void finishClose(const std::optional<QString>& keepersFailure);
    void clockChangeSettled(bool succeeded);
    void keepersSettled();
    bool someKeeperWillCorrectTheClock() const;

    // The + and - buttons (clock/).
    void stepByButton(std::int64_t step);
    // Clock engine (clock/): moves the clock by `shift` and books it when the
    // system says it moved; `source` is what proposed it, for the journal.
    void moveClock(std::int64_t shift, quarnel::ClockChange kind, const QString& source,
                   std::function<void()> afterMove);

    // Time keepers (keepers/)
    void controlTimeKeepers(quarnel::TKeeperAction action, const KeepersDone& done);
    void controlAutomaticSync(quarnel::TKeeperAction action,
                              const std::function<void(std::optional<QString>)>& next);
    void showHolding();

    // Clock displays (clock/)
    static QString shiftText(std::int64_t shift);
    void showAlignShift();
    bool clockDisplaysSeen() const;
    void showClockReading();
    // Brings the clock displays up to date when their tab comes into view.
    void catchUpClockDisplays();

    // The close the user asked for, held until what it waits for settles.
    bool m_closeWaits = false;
    // Everything the close needed is done: the next close event ends it.
    bool m_closeAllowed = false;
};
