// The Clips tab's handlers: a list of text snippets, edited through
// edSnippet and copied from there to the clipboard. The list itself is the
// data; the settings file stores it when the window closes.
#include <QClipboard>
#include <QGuiApplication>

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
