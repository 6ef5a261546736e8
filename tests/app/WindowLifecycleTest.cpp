#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QFrame>
#include <QLabel>
#include <QtTest/QTest>

#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

TEST_F(WindowTest, HasTheFixedFrameWithFiveTabsInOrder) {
    TTabbedForm& window = build();
    EXPECT_EQ(window.windowTitle(), u"Zentrik  (((  Quarnel  )))"_s);
    EXPECT_EQ(window.size(), QSize(400, 540));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.ToolBarLabel->text(), u"Quarnel"_s);
    EXPECT_EQ(window.btnHelpTimeAdjust->text(), u"Help"_s);

    QStringList tabs;
    for (int i = 0; i < window.TabControl1->count(); ++i) {
        tabs << window.TabControl1->tabText(i);
    }
    EXPECT_EQ(tabs, QStringList({u"Timeshift"_s, u"Clips"_s, u"Setup"_s, u"GPS"_s, u"Info"_s}));
}

// The window has a fixed size: a control that reaches past its page's edge
// is cut off. (Frames may: the clip panel's reaches past the page's foot as
// drawn, its buttons do not.)
TEST_F(WindowTest, EveryControlLiesWithinItsTabPage) {
    TTabbedForm& window = build();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (int i = 0; i < window.TabControl1->count(); ++i) {
        window.TabControl1->setCurrentIndex(i);
        QWidget* page = window.TabControl1->widget(i);
        for (QWidget* control : page->findChildren<QWidget*>()) {
            const bool frame = qobject_cast<QFrame*>(control) && !qobject_cast<QLabel*>(control) &&
                               !qobject_cast<QAbstractScrollArea*>(control);
            if (!control->isVisible() || frame) {
                continue;
            }
            const QRect onPage(control->mapTo(page, QPoint(0, 0)), control->size());
            EXPECT_TRUE(page->rect().contains(onPage))
                << window.TabControl1->tabText(i).toStdString() << ": "
                << control->objectName().toStdString() << " at (" << onPage.x() << "," << onPage.y()
                << ") " << onPage.width() << "x" << onPage.height() << " on a page of "
                << page->width() << "x" << page->height();
        }
    }
}

TEST_F(WindowTest, CreationShowsSetupThenFirstActivationRestoresTheSavedTab) {
    givenSettingsFile("[Program]\nActiveTAB=3\n");
    TTabbedForm& window = build();
    EXPECT_EQ(window.TabControl1->currentWidget(), window.tabItemSetup);
    EXPECT_EQ(window.edAlign->text(), u"0,0"_s);
    EXPECT_EQ(window.Timer1.interval(), 1000);
    EXPECT_TRUE(timerOf(window.Timer1).isActive());

    window.FormActivate();
    EXPECT_EQ(window.TabControl1->currentWidget(), window.tabItemInfo);
    EXPECT_EQ(unit.ActiveTabIndex, 3) << "the program's own tab changes are not recorded";
    EXPECT_FALSE(unit.FirstActivation);
}

TEST_F(WindowTest, LaterActivationsKeepTheTabAndUserChoicesAreRecorded) {
    TTabbedForm& window = build();
    window.FormActivate();
    EXPECT_EQ(window.TabControl1->currentIndex(), 0);

    window.TabControl1->setCurrentIndex(1);
    EXPECT_EQ(unit.ActiveTabIndex, 1);
    window.FormActivate();
    EXPECT_EQ(window.TabControl1->currentIndex(), 1);
}

TEST_F(WindowTest, ASavedTabIndexThatNamesNoTabOpensTheTimeshiftTab) {
    for (const int index : {-1, 5, 99}) {
        unit = UnitState{};
        givenSettingsFile("[Program]\nActiveTAB=" + std::to_string(index) + "\n");
        TTabbedForm& window = build();
        window.FormActivate();
        EXPECT_EQ(window.TabControl1->currentIndex(), 0) << index;
    }
}

// The GPS tab came between Setup and Info; a saved Info tab (3) stays the
// Info tab, and the GPS tab is stored as 4.
TEST_F(WindowTest, TheStoredTabNumbersKeepTheirMeaning) {
    struct Case {
        int stored;
        QWidget* TTabbedForm::*tab;
    };
    const std::vector<Case> cases = {
        {0, &TTabbedForm::tabItemTimeshift}, {1, &TTabbedForm::tabItemClips},
        {2, &TTabbedForm::tabItemSetup},     {3, &TTabbedForm::tabItemInfo},
        {4, &TTabbedForm::tabItemGps},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        unit = UnitState{};
        givenSettingsFile("[Program]\nActiveTAB=" + std::to_string(c.stored) + "\n");
        TTabbedForm& window = build();
        window.FormActivate();
        EXPECT_EQ(window.TabControl1->currentWidget(), window.*c.tab);

        window.TabControl1->setCurrentWidget(window.tabItemTimeshift);
        window.TabControl1->setCurrentWidget(window.*c.tab);
        EXPECT_EQ(unit.ActiveTabIndex, c.stored) << "the user's choice is stored as read";
    }
}

TEST_F(WindowTest, ActivatingTheShownWindowRestoresTheTab) {
    givenSettingsFile("[Program]\nActiveTAB=1\n");
    TTabbedForm& window = build();
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.TabControl1->currentIndex(), 1);
}

// Asked for by a second start: a minimised window comes back as it was, and
// a window behind another one comes in front and takes the input.
TEST_F(WindowTest, BringingToTheFrontRestoresAndActivatesTheWindow) {
    TTabbedForm& window = build();
    window.show();
    QWidget other;
    other.show();

    for (const Qt::WindowStates before :
         {Qt::WindowStates(Qt::WindowMinimized), Qt::WindowMinimized | Qt::WindowMaximized}) {
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        window.setWindowState(before);
        window.BringToFront();
        EXPECT_EQ(window.windowState() & ~Qt::WindowActive, before & ~Qt::WindowMinimized);
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
}

}  // namespace
}  // namespace quarnel::testing
