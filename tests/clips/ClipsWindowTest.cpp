// The Clips tab driven as the user drives it: real clicks on the shown window
// and the real Qt clipboard of the offscreen platform.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest/QTest>

#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

class ClipsWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        TTabbedForm& window = build();
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.TabControl1->setCurrentWidget(window.tabItemClips);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    void setEntries(const QStringList& texts) {
        form->ListBox1->clear();
        form->ListBox1->addItems(texts);
    }

    QStringList entries() const {
        QStringList texts;
        for (int row = 0; row < form->ListBox1->count(); ++row) {
            texts << form->ListBox1->item(row)->text();
        }
        return texts;
    }

    int selectedRow() const {
        const QList<QListWidgetItem*> selected = form->ListBox1->selectedItems();
        return selected.isEmpty() ? -1 : form->ListBox1->row(selected.first());
    }

    void clickAt(const QPoint& point, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(form->ListBox1->viewport(), Qt::LeftButton, modifiers, point);
    }

    void clickEntry(int row, Qt::KeyboardModifiers modifiers = {}) {
        const QListWidgetItem* item = form->ListBox1->item(row);
        clickAt(form->ListBox1->visualItemRect(item).center(), modifiers);
    }

    void press(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Typed while the focus is in the edit, as the user would. The button
    // shows itself pressed for a moment and then clicks.
    void pressAccessKey(Qt::Key letter, QPushButton* button) {
        QSignalSpy clicked(button, &QPushButton::clicked);
        form->edSnippet->setFocus();
        QTest::keyClick(form->edSnippet, letter, Qt::AltModifier);
        ASSERT_TRUE(!clicked.isEmpty() || clicked.wait(1000)) << button->text().toStdString();
    }

    void type(const QString& text) {
        form->edSnippet->clear();
        QTest::keyClicks(form->edSnippet, text);
    }

    static QString clipboardText() { return QGuiApplication::clipboard()->text(); }
};

TEST_F(ClipsWindowTest, TheListStartsEmptyAndShowsItsEntriesOneAtATimeUnsortedInRowsOf32) {
    EXPECT_EQ(entries(), QStringList()) << "the form's sample entries never show";
    setEntries({"TU 73", "CQ DX", "DL1ABC"});
    EXPECT_EQ(form->ListBox1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(form->ListBox1->isSortingEnabled());
    for (int row = 0; row < form->ListBox1->count(); ++row) {
        EXPECT_EQ(form->ListBox1->visualItemRect(form->ListBox1->item(row)).height(), 32) << row;
    }
    EXPECT_EQ(form->edSnippet->text(), "");
    EXPECT_EQ(form->btnAddEntry->text(), "&Add");
    EXPECT_EQ(form->btnDelEntry->text(), "&Del");
    EXPECT_EQ(form->btnSave->text(), "&Save");
    EXPECT_EQ(form->btnCopy->text(), "Copy to clipboard");
}

TEST_F(ClipsWindowTest, AddAppendsTheEditTextAndKeepsEditAndSelection) {
    setEntries({"CQ DX", "TU 73"});
    clickEntry(0);

    form->edSnippet->clear();
    press(form->btnAddEntry);
    EXPECT_EQ(entries(), QStringList({"CQ DX", "TU 73", ""}))
        << "an empty edit adds an empty entry";

    type("DL1ABC JO62");
    press(form->btnAddEntry);
    press(form->btnAddEntry);
    EXPECT_EQ(entries(), QStringList({"CQ DX", "TU 73", "", "DL1ABC JO62", "DL1ABC JO62"}));
    EXPECT_EQ(form->edSnippet->text(), "DL1ABC JO62");
    EXPECT_EQ(selectedRow(), 0);
}

TEST_F(ClipsWindowTest, ClickingAnEntryPutsItsTextIntoTheEdit) {
    setEntries({"one", "two", "three"});
    clickEntry(1);
    EXPECT_EQ(form->edSnippet->text(), "two");
    clickEntry(2);
    EXPECT_EQ(form->edSnippet->text(), "three");
}

TEST_F(ClipsWindowTest, AClickThatSelectsNothingKeepsWhatWasTyped) {
    setEntries({"one", "two"});
    clickEntry(0);
    type("typed");

    clickAt(QPoint(20, form->ListBox1->viewport()->height() - 5));  // below the last entry
    EXPECT_EQ(form->edSnippet->text(), "typed");

    clickEntry(0);
    type("typed");
    clickEntry(0, Qt::ControlModifier);  // deselects the selected entry
    ASSERT_EQ(selectedRow(), -1);
    EXPECT_EQ(form->edSnippet->text(), "typed");
}

TEST_F(ClipsWindowTest, SaveReplacesTheSelectedEntryInPlace) {
    setEntries({"a", "b", "c", "d", "e"});
    clickEntry(1);
    type("B!");
    press(form->btnSave);
    EXPECT_EQ(entries(), QStringList({"a", "B!", "c", "d", "e"}));
    EXPECT_EQ(form->edSnippet->text(), "B!");
}

TEST_F(ClipsWindowTest, SaveWithoutASelectedEntryAppendsLikeAdd) {
    setEntries({});
    type("first");
    press(form->btnSave);
    EXPECT_EQ(entries(), QStringList({"first"})) << "an empty list";

    setEntries({"a", "b"});
    type("not lost");
    press(form->btnSave);
    EXPECT_EQ(entries(), QStringList({"a", "b", "not lost"})) << "entries, none selected";
}

TEST_F(ClipsWindowTest, DelRemovesOnlyTheSelectedEntryAndKeepsTheEdit) {
    setEntries({"a", "b", "c"});
    type("kept");
    press(form->btnDelEntry);
    EXPECT_EQ(entries(), QStringList({"a", "b", "c"})) << "nothing selected";

    clickEntry(1);
    type("kept");
    press(form->btnDelEntry);
    EXPECT_EQ(entries(), QStringList({"a", "c"}));
    EXPECT_EQ(form->edSnippet->text(), "kept");
}

TEST_F(ClipsWindowTest, CopyPutsTheEditTextNotTheEntryOnTheClipboard) {
    setEntries({"CQ CQ de DL1ABC", "RR73"});
    clickEntry(0);
    press(form->btnCopy);
    EXPECT_EQ(clipboardText(), "CQ CQ de DL1ABC");

    clickEntry(1);
    QTest::keyClicks(form->edSnippet, " GL");
    press(form->btnCopy);
    EXPECT_EQ(clipboardText(), "RR73 GL");
    EXPECT_EQ(entries(), QStringList({"CQ CQ de DL1ABC", "RR73"})) << "unchanged until Save";
}

TEST_F(ClipsWindowTest, CopyingAnEmptyEditLeavesAnEmptyPlainText) {
    form->edSnippet->clear();
    press(form->btnCopy);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->formats(), QStringList({"text/plain"}));
    EXPECT_EQ(copied->text(), "");
}

TEST_F(ClipsWindowTest, AltWithTheMarkedLetterPressesTheButton) {
    setEntries({"a", "b"});
    clickEntry(0);
    type("x");

    pressAccessKey(Qt::Key_A, form->btnAddEntry);
    EXPECT_EQ(entries(), QStringList({"a", "b", "x"}));
    pressAccessKey(Qt::Key_S, form->btnSave);
    EXPECT_EQ(entries(), QStringList({"x", "b", "x"}));
    pressAccessKey(Qt::Key_D, form->btnDelEntry);
    EXPECT_EQ(entries(), QStringList({"b", "x"}));
}

}  // namespace
}  // namespace quarnel::testing
