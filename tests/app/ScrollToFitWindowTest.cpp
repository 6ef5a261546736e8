// The window on screens too low for it (a large display scale on a small
// screen): it fits the screen's free area and every control can be scrolled
// into view, by the program and by the keyboard's focus. On a screen that
// has room, the window keeps its size and has no scroll area. Sizes are in
// the toolkit's pixels, the screen's divided by the display scale.
#include <gmock/gmock.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QtTest/QTest>
#include <algorithm>
#include <ostream>

#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

struct ScreenCase {
    const char* name;
    QRect available;  // in the toolkit's (scaled) pixels, less a task bar
};

std::ostream& operator<<(std::ostream& out, const ScreenCase& row) {
    return out << row.name;
}

int titleBarHeight(const QWidget& window) {
    return window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
}

TEST_F(WindowTest, OnAScreenWithRoomTheWindowStaysAsDrawn) {
    setDesktopScreensHandler([] { return QList<QRect>{QRect(0, 0, 1920, 1040)}; });
    build();
    EXPECT_EQ(form->size(), QSize(400, 540));
    EXPECT_EQ(form->findChild<QScrollArea*>(), nullptr);
    EXPECT_EQ(form->TabControl1->parentWidget(), form.get());
}

class ScrollToFitTest : public WindowTest, public ::testing::WithParamInterface<ScreenCase> {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        setDesktopScreensHandler([] { return QList<QRect>{GetParam().available}; });
        build();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        scroll = form->findChild<QScrollArea*>();
        ASSERT_NE(scroll, nullptr);
    }

    // The controls the user reads or works on, shown on the current tab or
    // in the header.
    QList<QWidget*> shownControls() const {
        QList<QWidget*> controls;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            const bool control =
                qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractItemView*>(widget);
            if (control && widget->isVisible()) {
                controls.append(widget);
            }
        }
        return controls;
    }

    // Whether `widget` is in the scroll area's view, as much of it as the
    // view can hold; a widget that reaches beyond one of its parents is seen
    // only within it.
    static ::testing::AssertionResult inView(const QScrollArea& scroll, const QWidget* widget) {
        const QRect view = scroll.viewport()->rect();
        QRect area(widget->mapTo(scroll.viewport(), QPoint()), widget->size());
        for (const QWidget* parent = widget->parentWidget(); parent != scroll.widget();
             parent = parent->parentWidget()) {
            area &= QRect(parent->mapTo(scroll.viewport(), QPoint()), parent->size());
        }
        const QRect shown = area & view;
        if (shown.width() == area.width() &&
            shown.height() == std::min(area.height(), view.height())) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << widget->objectName().toStdString() << " at " << area.x() << ", " << area.y()
               << " to " << area.right() << ", " << area.bottom() << "; the view shows 0, 0 to "
               << view.right() << ", " << view.bottom();
    }

    QScrollArea* scroll = nullptr;
};

TEST_P(ScrollToFitTest, TheWindowFitsTheScreensFreeArea) {
    const QRect free = GetParam().available;
    EXPECT_EQ(form->height() + titleBarHeight(*form), free.height());
    EXPECT_LE(form->width(), free.width());
    EXPECT_EQ(scroll->widget()->size(), QSize(400, 540)) << "the form as it is drawn, scrolled";
}

TEST_P(ScrollToFitTest, EveryControlCanBeScrolledIntoView) {
    for (int tab = 0; tab < form->TabControl1->count(); ++tab) {
        form->TabControl1->setCurrentIndex(tab);
        SCOPED_TRACE(form->TabControl1->tabText(tab).toStdString());
        const QList<QWidget*> controls = shownControls();
        EXPECT_GT(controls.size(), 3);
        for (QWidget* control : controls) {
            // A control that takes the focus is brought into view by it;
            // any other is scrolled to.
            if (control->isEnabled() && control->focusPolicy() != Qt::NoFocus) {
                scroll->verticalScrollBar()->setValue(0);
                control->setFocus(Qt::OtherFocusReason);
            } else {
                const QRect area(control->mapTo(scroll->widget(), QPoint()), control->size());
                scroll->ensureVisible(area.center().x(), area.center().y(), area.width() / 2 + 1,
                                      area.height() / 2 + 1);
            }
            EXPECT_TRUE(inView(*scroll, control));
        }
    }
}

// The controls at the foot of the Timeshift tab are reached with Tab alone:
// the area follows the focus.
TEST_P(ScrollToFitTest, TheFocusedControlIsScrolledIntoView) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->swPauseActive->click();  // active: the clock buttons are enabled
    form->TabControl1->setCurrentWidget(form->tabItemTimeshift);
    form->TabControl1->tabBar()->setFocus(Qt::OtherFocusReason);
    QList<QWidget*> reached;
    for (int presses = 0; presses < 40; ++presses) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        if (focused == form->TabControl1->tabBar()) {
            break;
        }
        reached.append(focused);
        EXPECT_TRUE(inView(*scroll, focused));
    }
    EXPECT_TRUE(reached.contains(form->btnAcceptTimeShift)) << "the lowest clock button";
}

INSTANTIATE_TEST_SUITE_P(Screens, ScrollToFitTest,
                         ::testing::Values(
                             // 1280 x 720 at 150 %, a task bar of 48 screen pixels.
                             ScreenCase{"small_at_150", QRect(0, 0, 853, 448)},
                             // 1366 x 768 at 200 %.
                             ScreenCase{"laptop_at_200", QRect(0, 0, 683, 360)},
                             // 1366 x 768 at 150 %.
                             ScreenCase{"laptop_at_150", QRect(0, 0, 911, 480)}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace quarnel::testing
