// The Clips tab's handlers: a list of text snippets, edited through
// edSnippet and copied from there to the clipboard. The list itself is the
// data; the settings file stores it when the window closes.
#include <QClipboard>
#include <QGuiApplication>
#include <QShortcut>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"

namespace {

// The row of the selected entry, or -1 when no entry is selected. The current
// row is not used: it stays set after the user deselects an entry.
int selectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

}  // namespace

void TTabbedForm::btnAddEntryClick() {
    ListBox1->addItem(edSnippet->text());
}

// A click that leaves no entry selected (a click beside the entries, or one
// that deselects) keeps what the user typed.
void TTabbedForm::ListBox1Click() {
    const int row = selectedRow(ListBox1);
    if (row >= 0) {
        edSnippet->setText(ListBox1->item(row)->text());
    }
}

// Without a selected entry there is nothing to replace; the text is appended
// instead, so that nothing typed is lost.
void TTabbedForm::btnSaveClick() {
    const int row = selectedRow(ListBox1);
    if (row < 0) {
        btnAddEntryClick();
        return;
    }
    ListBox1->item(row)->setText(edSnippet->text());
}

void TTabbedForm::btnDelEntryClick() {
    const int row = selectedRow(ListBox1);
    if (row >= 0) {
        delete ListBox1->takeItem(row);
    }
}

void TTabbedForm::btnCopyClick() {
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        clipboard->setText(edSnippet->text());
    }
}

// The list's own keys, active while it has the focus: Return or Enter copies
// the selected clip, Delete deletes it.
void TTabbedForm::setUpClipKeys() {
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* copy = new QShortcut(key, ListBox1);
        copy->setContext(Qt::WidgetShortcut);
        connect(copy, &QShortcut::activated, this, &TTabbedForm::copySelectedClip);
    }
    auto* remove = new QShortcut(QKeySequence(QKeySequence::Delete), ListBox1);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &TTabbedForm::deleteSelectedClip);
}

// As a click on the entry and then Copy: the edit shows what was copied.
void TTabbedForm::copySelectedClip() {
    if (selectedRow(ListBox1) < 0) {
        return;
    }
    ListBox1Click();
    btnCopyClick();
}

// There is no undo, so the key asks first (the Del button deletes at once:
// it is pressed on purpose, a key may be hit by mistake).
void TTabbedForm::deleteSelectedClip() {
    const int row = selectedRow(ListBox1);
    if (row >= 0 && askDeleteClip(ListBox1->item(row)->text())) {
        btnDelEntryClick();
    }
}
