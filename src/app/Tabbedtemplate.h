#pragma once

#include <QWidget>

#include "app/UnitState.h"
#include "ui_Tabbedtemplate.h"
#include "widgets/IntervalTimer.h"

// The main window. Its widgets come from Tabbedtemplate.ui, which also binds
// the handlers below to them by name; each tab's handlers are defined in the
// folder of the subsystem that owns the tab.
class TTabbedForm : public QWidget, public Ui::TTabbedForm {
    Q_OBJECT

  public:
    explicit TTabbedForm(QWidget* parent = nullptr);

    IntervalTimer Timer1{500};

  public slots:
    // Window (app/)
    void FormCreate();
    void FormActivate();
    void TabControl1Change();

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

    // Clips tab (clips/)
    void btnAddEntryClick();
    void ListBox1Click();
    void btnSaveClick();
    void btnDelEntryClick();
    void btnCopyClick();

    // Help button and Info tab (info/)
    void btnHelpTimeAdjustClick();
    void btnURLClick();
    void imgDonateButtonClick();

  public:
    // Clock engine (clock/)
    void RevertRunningShift();

    // Info tab (info/)
    void ShowVersion();

  protected:
    // Maps the toolkit's window events to the Form handlers.
    bool event(QEvent* event) override;

  private:
    void showAlignShift();
};

// The one window, reachable while its constructor runs.
extern TTabbedForm* TabbedForm;
