// The window driven from the keyboard alone: the Tab order of every tab, the
// keys of the shift field, the mnemonics and Return on the focused button,
// and the clip list's keys.
#include <gmock/gmock.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest/QTest>

#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using ::testing::ElementsAre;

class KeyboardTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        setDeleteClipQuestionHandler([this](const QString& clip) {
            deleteQuestions.append(clip);
            return deleteAnswer;
        });
        build();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        form->swPauseActive->click();  // active: the clock buttons are enabled
    }

    void TearDown() override {
        setDeleteClipQuestionHandler({});
        WindowTest::TearDown();
    }

    // The controls of `page` that Tab reaches, in the order it reaches them,
    // starting from the tab bar.
    QList<QWidget*> tabStops(QWidget* page) {
        form->TabControl1->setCurrentWidget(page);
        form->TabControl1->tabBar()->setFocus(Qt::OtherFocusReason);
        QList<QWidget*> stops;
        for (int presses = 0; presses < 60; ++presses) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            if (focused == form->TabControl1->tabBar()) {
                break;
            }
            if (page->isAncestorOf(focused) && !stops.contains(focused)) {
                stops.append(focused);
            }
        }
        return stops;
    }

    static QString names(const QList<QWidget*>& widgets) {
        QStringList list;
        for (const QWidget* widget : widgets) {
            list << widget->objectName();
        }
        return list.join(u' ');
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    QStringList deleteQuestions;
    bool deleteAnswer = false;
};

// Reading order: down the tab, and left to right along a row (controls whose
// middles are less than a line apart).
TEST_F(KeyboardTest, TabFollowsTheReadingOrderAndReachesEveryControlOnEveryTab) {
    for (QWidget* page : {form->tabItemTimeshift, form->tabItemClips, form->tabItemSetup,
                          form->tabItemGps, form->tabItemInfo}) {
        const QList<QWidget*> stops = tabStops(page);
        SCOPED_TRACE(page->objectName().toStdString() + ": " + names(stops).toStdString());
        for (qsizetype i = 1; i < stops.size(); ++i) {
            const QPoint before = stops[i - 1]->mapTo(form.get(), stops[i - 1]->rect().center());
            const QPoint after = stops[i]->mapTo(form.get(), stops[i]->rect().center());
            const bool sameRow = std::abs(after.y() - before.y()) < 12;
            EXPECT_TRUE(sameRow ? after.x() > before.x() : after.y() > before.y())
                << names({stops[i - 1], stops[i]}).toStdString() << " out of reading order";
        }
        for (QWidget* widget : page->findChildren<QWidget*>()) {
            const bool wanted = widget->isVisible() && widget->isEnabled() &&
                                (widget->focusPolicy() & Qt::TabFocus) != 0 &&
                                widget->focusProxy() == nullptr;
            EXPECT_EQ(stops.contains(widget), wanted) << widget->objectName().toStdString();
        }
    }
}

TEST_F(KeyboardTest, ReadOnlyDisplaysAndHiddenControlsAreNoTabStops) {
    const QList<QWidget*> stops = tabStops(form->tabItemTimeshift) + tabStops(form->tabItemInfo);
    for (QWidget* display :
         std::initializer_list<QWidget*>{form->edCurrent, form->edNew, form->edCurRunShift,
                                         form->spBtnDonate, referenceLine(u"Decodes"_s),
                                         referenceLine(u"TimeServer"_s), referenceLine(u"Gps"_s)}) {
        EXPECT_FALSE(stops.contains(display)) << display->objectName().toStdString();
    }
    EXPECT_TRUE(stops.contains(form->imgDonateButton)) << "the donation picture is a button";
    EXPECT_FALSE(stops.contains(form->Image1)) << "the QR code does nothing";
}

TEST_F(KeyboardTest, ShiftFieldStepsWithArrowsAndSignsAsTheButtonsDo) {
    form->edAlign->setFocus();
    struct Case {
        Qt::Key key;
        QString shown;
    } const cases[] = {
        {Qt::Key_Up, u"0,1"_s},     {Qt::Key_Plus, u"0,2"_s},
        {Qt::Key_Down, u"0,1"_s},   {Qt::Key_Minus, u"0,0"_s},
        {Qt::Key_Minus, u"-0,1"_s}, {Qt::Key_5, u"-0,1"_s}};  // read-only: nothing is typed
    for (const Case& step : cases) {
        press(step.key);
        EXPECT_EQ(form->edAlign->text(), step.shown) << QTest::toString(step.key);
    }
    EXPECT_EQ(unit.AlignSource, u"buttons"_s);
}

// The mnemonics themselves are pressed in the end-to-end test: the offscreen
// platform does not deliver them.
TEST_F(KeyboardTest, ReturnAndEnterPressTheFocusedButton) {
    const TimeCount start = os.now;
    form->edAlign->setFocus();
    press(Qt::Key_Up);
    form->btnSet->setFocus();
    press(Qt::Key_Return);
    form->Timer1Timer();  // SET moves the clock at the next tick
    EXPECT_THAT(os.appliedShifts, ElementsAre(1'000'000)) << "Return presses SET";

    form->btnSetOrigin->setFocus();
    press(Qt::Key_Enter);
    EXPECT_EQ(os.now, start) << "Enter presses RESET";

    press(Qt::Key_Plus);  // on a button, not the shift field: nothing
    form->btnSet->setFocus();
    press(Qt::Key_Return);
    form->Timer1Timer();
    form->btnAcceptTimeShift->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(unit.RunningShift, 0) << "Return presses ACCEPT";
    EXPECT_EQ(os.now - start, 1'000'000) << "ACCEPT leaves the clock";
    EXPECT_THAT(errorBoxes, ::testing::IsEmpty());
}

TEST_F(KeyboardTest, ClipListCopiesWithReturnAndDeletesWithDeleteAfterAsking) {
    form->TabControl1->setCurrentWidget(form->tabItemClips);
    form->ListBox1->clear();
    form->ListBox1->addItems({u"CQ DX"_s, u"73"_s});
    form->ListBox1->setFocus();
    press(Qt::Key_Down);  // the first entry becomes current and selected
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"73"_s);
    EXPECT_EQ(form->edSnippet->text(), u"73"_s);

    press(Qt::Key_Delete);
    EXPECT_EQ(deleteQuestions, QStringList({u"73"_s}));
    EXPECT_EQ(form->ListBox1->count(), 2) << "kept when the answer is no";

    deleteAnswer = true;
    press(Qt::Key_Delete);
    ASSERT_EQ(form->ListBox1->count(), 1);
    EXPECT_EQ(form->ListBox1->item(0)->text(), u"CQ DX"_s);

    form->ListBox1->clearSelection();
    press(Qt::Key_Delete);
    EXPECT_EQ(deleteQuestions.size(), 2) << "nothing selected: nothing to ask about";
}

}  // namespace
}  // namespace quarnel::testing
