#include "app/Tabbedtemplate.h"

#include <QEvent>

TTabbedForm* TabbedForm = nullptr;

namespace {
constexpr int kTabCount = 4;
}

TTabbedForm::TTabbedForm(QWidget* parent) : QWidget(parent) {
    TabbedForm = this;
    setupUi(this);
    // The home page is a build setting, so it cannot be part of the form.
    btnURL->setText(QStringLiteral(QUARNEL_HOME_PAGE));
    connect(&Timer1, &IntervalTimer::timeout, this, &TTabbedForm::Timer1Timer);

    ShowVersion();
    lblVersionNumber->setText(unit.VersionText);

    FormCreate();
}

bool TTabbedForm::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) {
        FormActivate();
    }
    return handled;
}

void TTabbedForm::FormCreate() {
    TabControl1->setCurrentWidget(tabItemSetup);
    showAlignShift();
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
