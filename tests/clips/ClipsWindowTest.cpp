// The Clips tab driven as the user drives it: real clicks on the shown window
// and the real Qt clipboard of the offscreen platform.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QtTest/QTest>

#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

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
    setEntries({u"TU 73"_s, u"CQ DX"_s, u"DL1ABC"_s});
    EXPECT_EQ(form->ListBox1->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(form->ListBox1->isSortingEnabled());
    for (int row = 0; row < form->ListBox1->count(); ++row) {
        EXPECT_EQ(form->ListBox1->visualItemRect(form->ListBox1->item(row)).height(), 32) << row;
    }
    EXPECT_EQ(form->edSnippet->text(), u""_s);
    EXPECT_EQ(form->btnAddEntry->text(), u"&Add"_s);
    EXPECT_EQ(form->btnDelEntry->text(), u"&Del"_s);
    EXPECT_EQ(form->btnSave->text(), u"&Save"_s);
    EXPECT_EQ(form->btnCopy->text(), u"&Copy to clipboard"_s);
}

TEST_F(ClipsWindowTest, AddAppendsTheEditTextAndKeepsEditAndSelection) {
    setEntries({u"CQ DX"_s, u"TU 73"_s});
    clickEntry(0);

    form->edSnippet->clear();
    press(form->btnAddEntry);
    EXPECT_EQ(entries(), QStringList({u"CQ DX"_s, u"TU 73"_s, u""_s}))
        << "an empty edit adds an empty entry";

    type(u"DL1ABC JO62"_s);
    press(form->btnAddEntry);
    press(form->btnAddEntry);
    EXPECT_EQ(entries(),
              QStringList({u"CQ DX"_s, u"TU 73"_s, u""_s, u"DL1ABC JO62"_s, u"DL1ABC JO62"_s}));
    EXPECT_EQ(form->edSnippet->text(), u"DL1ABC JO62"_s);
    EXPECT_EQ(selectedRow(), 0);
}

TEST_F(ClipsWindowTest, ClickingAnEntryPutsItsTextIntoTheEdit) {
    setEntries({u"one"_s, u"two"_s, u"three"_s});
    clickEntry(1);
    EXPECT_EQ(form->edSnippet->text(), u"two"_s);
    clickEntry(2);
    EXPECT_EQ(form->edSnippet->text(), u"three"_s);
}

TEST_F(ClipsWindowTest, AClickThatSelectsNothingKeepsWhatWasTyped) {
    setEntries({u"one"_s, u"two"_s});
    clickEntry(0);
    type(u"typed"_s);

    clickAt(QPoint(20, form->ListBox1->viewport()->height() - 5));  // below the last entry
    EXPECT_EQ(form->edSnippet->text(), u"typed"_s);

    clickEntry(0);
    type(u"typed"_s);
    clickEntry(0, Qt::ControlModifier);  // deselects the selected entry
    ASSERT_EQ(selectedRow(), -1);
    EXPECT_EQ(form->edSnippet->text(), u"typed"_s);
}

TEST_F(ClipsWindowTest, SaveReplacesTheSelectedEntryInPlace) {
    setEntries({u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s});
    clickEntry(1);
    type(u"B!"_s);
    press(form->btnSave);
    EXPECT_EQ(entries(), QStringList({u"a"_s, u"B!"_s, u"c"_s, u"d"_s, u"e"_s}));
    EXPECT_EQ(form->edSnippet->text(), u"B!"_s);
}

TEST_F(ClipsWindowTest, SaveWithoutASelectedEntryAppendsLikeAdd) {
    setEntries({});
    type(u"first"_s);
    press(form->btnSave);
    EXPECT_EQ(entries(), QStringList({u"first"_s})) << "an empty list";

    setEntries({u"a"_s, u"b"_s});
    type(u"not lost"_s);
    press(form->btnSave);
    EXPECT_EQ(entries(), QStringList({u"a"_s, u"b"_s, u"not lost"_s})) << "entries, none selected";
}

TEST_F(ClipsWindowTest, DelRemovesOnlyTheSelectedEntryAndKeepsTheEdit) {
    setEntries({u"a"_s, u"b"_s, u"c"_s});
    type(u"kept"_s);
    press(form->btnDelEntry);
    EXPECT_EQ(entries(), QStringList({u"a"_s, u"b"_s, u"c"_s})) << "nothing selected";

    clickEntry(1);
    type(u"kept"_s);
    press(form->btnDelEntry);
    EXPECT_EQ(entries(), QStringList({u"a"_s, u"c"_s}));
    EXPECT_EQ(form->edSnippet->text(), u"kept"_s);
}

TEST_F(ClipsWindowTest, CopyPutsTheEditTextNotTheEntryOnTheClipboard) {
    setEntries({u"CQ CQ de DL1ABC"_s, u"RR73"_s});
    clickEntry(0);
    press(form->btnCopy);
    EXPECT_EQ(clipboardText(), u"CQ CQ de DL1ABC"_s);

    clickEntry(1);
    QTest::keyClicks(form->edSnippet, u" GL"_s);
    press(form->btnCopy);
    EXPECT_EQ(clipboardText(), u"RR73 GL"_s);
    EXPECT_EQ(entries(), QStringList({u"CQ CQ de DL1ABC"_s, u"RR73"_s})) << "unchanged until Save";
}

TEST_F(ClipsWindowTest, CopyingAnEmptyEditLeavesAnEmptyPlainText) {
    form->edSnippet->clear();
    press(form->btnCopy);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->formats(), QStringList({u"text/plain"_s}));
    EXPECT_EQ(copied->text(), u""_s);
}

TEST_F(ClipsWindowTest, AltWithTheMarkedLetterPressesTheButton) {
    setEntries({u"a"_s, u"b"_s});
    clickEntry(0);
    type(u"x"_s);

    pressAccessKey(Qt::Key_A, form->btnAddEntry);
    EXPECT_EQ(entries(), QStringList({u"a"_s, u"b"_s, u"x"_s}));
    pressAccessKey(Qt::Key_S, form->btnSave);
    EXPECT_EQ(entries(), QStringList({u"x"_s, u"b"_s, u"x"_s}));
    pressAccessKey(Qt::Key_D, form->btnDelEntry);
    EXPECT_EQ(entries(), QStringList({u"b"_s, u"x"_s}));
}

}  // namespace
}  // namespace quarnel::testing
