#include "app/Tabbedtemplate.h"

#include <QEvent>

TTabbedForm* TabbedForm = nullptr;

namespace {
constexpr int kTabCount = 4;
}

TTabbedForm::TTabbedForm(QWidget* parent) : QWidget(parent) {
    TabbedForm = this;
    setupUi(this);
    connect(&Timer1, &IntervalTimer::timeout, this, &TTabbedForm::Timer1Timer);
    LoadSettings();

    FormCreate();
}

bool TTabbedForm::event(QEvent* event) {
    if (event->type() == QEvent::Close) {
        // The window closes only once FormClose has finished: when it throws
        // (a settings file that cannot be written) the event stays refused.
        event->ignore();
        FormClose();
        return QWidget::event(event);
    }
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    } else if (event->type() == QEvent::Show && !event->spontaneous()) {
        // Spontaneous shows come from the window system (a restore from the
        // task bar); the saved position is for the program's own show only.
        FormShow();
    }
    return handled;
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
    const bool valid = unit.ActiveTabIndex >= 0 && unit.ActiveTabIndex < kTabCount;
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

void TTabbedForm::FormClose() {
    SaveSettings();
}
