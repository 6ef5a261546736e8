// The window's keys beyond the mnemonics in the form: the focused button
// takes Return and Enter as it takes Space, and F1 opens the help page.
#include <QPushButton>
#include <QShortcut>

#include "app/Tabbedtemplate.h"

// Called after the reference rows exist, so that their buttons are included.
// Outside a dialog a button ignores Return unless it is an auto-default one;
// no button here is the default, so Return never presses an unfocused one.
void TTabbedForm::setUpKeyboard() {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        button->setAutoDefault(true);
    }
    auto* help = new QShortcut(QKeySequence(QKeySequence::HelpContents), this);
    connect(help, &QShortcut::activated, this, &TTabbedForm::btnHelpTimeAdjustClick);
}
