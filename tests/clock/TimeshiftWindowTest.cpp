#include <gmock/gmock.h>

#include <QWheelEvent>
#include <QtTest/QTest>
#include <functional>

#include "clock/TimeCount.h"
#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;

QRgb textColour(const QLineEdit* edit) {
    return edit->palette().color(QPalette::Text).rgba();
}

void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

void turnWheel(QWidget* widget, int delta) {
    const QPointF centre = QRectF(widget->rect()).center();
    QWheelEvent event(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

class TimeshiftTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        os.now = toTimeCount({2021, 12, 0, 31, 23, 59, 59, 950});
        build();
        // The tick writes the displays where they can be seen: on the
        // Timeshift tab, which the first activation opens.
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        ASSERT_TRUE(form->tabItemTimeshift->isVisible());
        form->swPauseActive->click();  // active: the clock buttons are enabled
    }

    static inline const QString kDesignTime = u"10.01.2020 13:52:45,123"_s;

    // The journal beside the settings file, in the double's current directory.
    std::string journal() { return os.files[fileInDirectory(os.workingDirectory, "Quarnel.log")]; }

    void setNow() {
        click(form->btnSet);
        form->Timer1Timer();
    }
};

TEST_F(TimeshiftTest, StepButtonsAndWheelShowTheShiftAtOnce) {
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
        click(form->btnPlus);
        shown << form->edAlign->text();
    }
    EXPECT_EQ(shown, QStringList({u"0,1"_s, u"0,2"_s, u"0,3"_s}));

    click(form->btnResetAlign);
    shown.clear();
    for (int i = 0; i < 6; ++i) {
        turnWheel(form->edAlign, 120);
        shown << form->edAlign->text();
    }
    EXPECT_EQ(shown, QStringList({u"0,05"_s, u"0,1"_s, u"0,15"_s, u"0,2"_s, u"0,25"_s, u"0,3"_s}));
    EXPECT_EQ(unit.AlignShift, 3'000'000);

    turnWheel(form->edAlign, -15);  // any size of step counts as one
    EXPECT_EQ(unit.AlignShift, 2'500'000);
    turnWheel(form->edAlign, 0);
    EXPECT_EQ(unit.AlignShift, 2'500'000);
}

TEST_F(TimeshiftTest, TwoStepsAndOneWheelStepMakeAQuarterShownWhole) {
    click(form->btnPlus);
    click(form->btnPlus);
    turnWheel(form->edAlign, 120);
    EXPECT_EQ(unit.AlignShift, 2'500'000);
    EXPECT_EQ(form->edAlign->text(), u"0,25"_s);
}

TEST_F(TimeshiftTest, TheShiftsColourFollowsAtTheNextTick) {
    form->Timer1Timer();
    EXPECT_EQ(textColour(form->edAlign), kBlue);

    click(form->btnMinus);
    EXPECT_EQ(form->edAlign->text(), u"-0,1"_s);
    EXPECT_EQ(textColour(form->edAlign), kBlue) << "the colour waits for the tick";
    form->Timer1Timer();
    EXPECT_EQ(textColour(form->edAlign), kRed);

    click(form->btnResetAlign);
    EXPECT_EQ(form->edAlign->text(), u"0,0"_s);
    form->Timer1Timer();
    EXPECT_EQ(textColour(form->edAlign), kBlue);
}

TEST_F(TimeshiftTest, ThreeDownThreeUpIsExactlyZeroAndBlue) {
    for (QAbstractButton* b : {form->btnMinus, form->btnMinus, form->btnMinus, form->btnPlus,
                               form->btnPlus, form->btnPlus}) {
        click(b);
    }
    form->Timer1Timer();
    EXPECT_EQ(unit.AlignShift, 0);
    EXPECT_EQ(form->edAlign->text(), u"0,0"_s);
    EXPECT_EQ(textColour(form->edAlign), kBlue);
    EXPECT_EQ(form->edNew->text(), form->edCurrent->text());
}

TEST_F(TimeshiftTest, TheTickShowsCurrentAndNewTimeAndTheTotal) {
    click(form->btnPlus);
    form->Timer1Timer();
    EXPECT_EQ(form->edCurrent->text(), u"31.12.2021 23.59.59,950"_s);
    EXPECT_EQ(form->edNew->text(), u"01.01.2022 00.00.00,050"_s);
    EXPECT_EQ(form->edCurRunShift->text(), u"0,0"_s);
    EXPECT_EQ(textColour(form->edCurRunShift), kBlue);
    EXPECT_THAT(os.calls, IsEmpty()) << "no set without a request";
}

TEST_F(TimeshiftTest, TwentyThreeStepsMoveTheClockByExactly2_3Seconds) {
    os.now = toTimeCount({2021, 6, 0, 1, 12, 0, 10, 0});
    for (int i = 0; i < 23; ++i) {
        click(form->btnPlus);
    }
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(form->edNew->text(), u"01.06.2021 12.00.12,300"_s);
    EXPECT_EQ(form->edAlign->text(), u"2,3"_s);
    EXPECT_THAT(os.appliedShifts, ElementsAre(23'000'000));
}

TEST_F(TimeshiftTest, TwoSetRequestsBeforeATickMakeOneSet) {
    click(form->btnPlus);
    click(form->btnSet);
    click(form->btnSet);
    EXPECT_THAT(os.calls, IsEmpty()) << "the set waits for the tick";

    form->Timer1Timer();
    form->Timer1Timer();
    EXPECT_THAT(os.calls, ElementsAre("shiftLocalTime 1000000"));
    EXPECT_EQ(unit.RunningShift, -1'000'000);
    EXPECT_EQ(form->edCurRunShift->text(), u"0,1"_s);
}

TEST_F(TimeshiftTest, ASetShowsTheTimeBeforeItAndTheNextTickTheMovedClock) {
    click(form->btnPlus);
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(form->edCurrent->text(), u"31.12.2021 23.59.59,950"_s);
    form->Timer1Timer();
    EXPECT_EQ(form->edCurrent->text(), u"01.01.2022 00.00.00,050"_s);
}

TEST_F(TimeshiftTest, ResetAfterEachSetClearsTheShiftOnlyWhenChecked) {
    click(form->btnPlus);
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(unit.AlignShift, 1'000'000);

    form->cbResetAfterEachSet->setChecked(true);
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(unit.AlignShift, 0);
    EXPECT_EQ(form->edAlign->text(), u"0,0"_s);
    EXPECT_THAT(os.appliedShifts, ElementsAre(1'000'000, 1'000'000));
}

TEST_F(TimeshiftTest, ResetUndoesTheAppliedTotalAndAcceptKeepsIt) {
    const TimeCount start = os.now;
    unit.AlignShift = 5'000'000;
    click(form->btnSet);
    form->Timer1Timer();
    unit.AlignShift = -2'000'000;
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(form->edCurRunShift->text(), u"0,3"_s);
    EXPECT_EQ(textColour(form->edCurRunShift), kBlue);

    click(form->btnSetOrigin);
    EXPECT_EQ(os.now, start) << "RESET moves back by exactly 300 ms";
    EXPECT_EQ(unit.RunningShift, 0);
    EXPECT_EQ(form->edCurRunShift->text(), u"0,0"_s) << "the total shows the move at once";
    os.calls.clear();
    click(form->btnSetOrigin);
    EXPECT_THAT(os.calls, IsEmpty()) << "nothing to undo moves nothing";

    unit.AlignShift = -5'000'000;
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(form->edCurRunShift->text(), u"-0,5"_s);
    EXPECT_EQ(textColour(form->edCurRunShift), kRed);
    click(form->btnAcceptTimeShift);
    EXPECT_EQ(os.now, start - 5'000'000) << "ACCEPT leaves the clock where it is";
    EXPECT_EQ(unit.RunningShift, 0);
    EXPECT_EQ(unit.AlignShift, -5'000'000);
    EXPECT_EQ(os.calls.back(), "shiftLocalTime -5000000") << "ACCEPT never moves the clock";
    EXPECT_EQ(form->edCurRunShift->text(), u"0,0"_s);
}

TEST_F(TimeshiftTest, ResetBeforeThePendingSetIsCarriedOutLeavesTheRequest) {
    unit.AlignShift = 5'000'000;
    click(form->btnSet);
    form->Timer1Timer();
    unit.AlignShift = 1'000'000;
    click(form->btnSet);
    click(form->btnSetOrigin);
    EXPECT_TRUE(unit.SetPending);
    form->Timer1Timer();
    EXPECT_THAT(os.calls, ElementsAre("shiftLocalTime 5000000", "shiftLocalTime -5000000",
                                      "shiftLocalTime 1000000"));
    EXPECT_EQ(unit.RunningShift, -1'000'000);
}

TEST_F(TimeshiftTest, ARefusedSetIsReportedAndNotBooked) {
    os.refuseSetWith = "Operation not permitted";
    form->cbResetAfterEachSet->setChecked(true);
    click(form->btnPlus);
    click(form->btnSet);

    // A real tick comes through the event loop, where the application object
    // turns the exception into the error box.
    form->Timer1.setInterval(1);
    QTRY_COMPARE(errorBoxes.size(), 1);
    form->Timer1.setInterval(0);
    EXPECT_EQ(errorBoxes.front(), u"The clock could not be set: Operation not permitted."_s);
    EXPECT_EQ(unit.RunningShift, 0);
    EXPECT_EQ(unit.AlignShift, 1'000'000) << "the shift is kept for another try";
    EXPECT_FALSE(unit.SetPending);
    EXPECT_EQ(form->edCurrent->text(), u"31.12.2021 23.59.59,950"_s)
        << "the displays still refresh";

    unit.RunningShift = -3'000'000;
    click(form->btnSetOrigin);
    EXPECT_EQ(unit.RunningShift, -3'000'000);
    EXPECT_EQ(errorBoxes.size(), 2);
    click(form->btnAcceptTimeShift);
    EXPECT_EQ(unit.RunningShift, 0) << "ACCEPT asks nothing of the clock";
    EXPECT_EQ(errorBoxes.size(), 2);
}

TEST_F(TimeshiftTest, AStepBeyondAHundredDaysIsRefusedWithAMessage) {
    const QString refused = u"The shift cannot go beyond 100 days either way."_s;
    const struct {
        std::int64_t start;
        std::function<void()> press;
    } cases[] = {
        {kLargestShift, [&] { click(form->btnPlus); }},
        {-kLargestShift, [&] { click(form->btnMinus); }},
        {kLargestShift, [&] { turnWheel(form->edAlign, 120); }},
        {-kLargestShift + kWheelStep / 2, [&] { turnWheel(form->edAlign, -120); }},
    };
    for (const auto& c : cases) {
        errorBoxes.clear();
        unit.AlignShift = c.start;
        c.press();
        EXPECT_EQ(unit.AlignShift, c.start);
        EXPECT_THAT(errorBoxes, ElementsAre(refused));
    }
    unit.AlignShift = kLargestShift - kShiftStep;
    click(form->btnPlus);
    EXPECT_EQ(unit.AlignShift, kLargestShift) << "the bound itself is reached";
}

TEST_F(TimeshiftTest, ASetThatWouldTakeTheTotalBeyondAHundredDaysIsRefused) {
    const QString refused =
        "The running total of the shifts cannot go beyond 100 days either way; press RESET or "
        u"ACCEPT first."_s;
    unit.RunningShift = -kLargestShift + kShiftStep;
    unit.AlignShift = 2 * kShiftStep;
    click(form->btnSet);
    EXPECT_FALSE(unit.SetPending);
    EXPECT_THAT(errorBoxes, ElementsAre(refused));

    // A set asked for in bounds, whose shift grows beyond them before the tick.
    unit.AlignShift = kShiftStep;
    click(form->btnSet);
    ASSERT_TRUE(unit.SetPending);
    unit.AlignShift = 2 * kShiftStep;
    form->Timer1Timer();
    EXPECT_THAT(errorBoxes, ElementsAre(refused, refused));
    EXPECT_FALSE(unit.SetPending);
    EXPECT_THAT(os.appliedShifts, IsEmpty());
    EXPECT_EQ(unit.RunningShift, -kLargestShift + kShiftStep);

    unit.AlignShift = kShiftStep;
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(unit.RunningShift, -kLargestShift) << "the bound itself is reached";
}

TEST_F(TimeshiftTest, RefreshIntervalFollowsTheConfirmedText) {
    form->edRefreshTime->setText(u"250"_s);
    EXPECT_EQ(form->Timer1.interval(), 250);

    form->edRefreshTime->setText(u"-12a5"_s);  // only digits get in, from code too
    EXPECT_EQ(form->edRefreshTime->text(), u"125"_s);
    EXPECT_EQ(form->Timer1.interval(), 125);

    form->edRefreshTime->setFocus();
    form->edRefreshTime->selectAll();
    QTest::keyClicks(form->edRefreshTime, u"7x0"_s);
    EXPECT_EQ(form->edRefreshTime->text(), u"70"_s);
    EXPECT_EQ(form->Timer1.interval(), 125) << "typing alone changes nothing";
    QTest::keyClick(form->edRefreshTime, Qt::Key_Return);
    EXPECT_EQ(form->Timer1.interval(), 70);
}

TEST_F(TimeshiftTest, ConfirmingAnEmptyOrTooLargeRefreshShowsTheErrorAndKeepsTheInterval) {
    form->edRefreshTime->setFocus();
    for (const char* typed : {"", "2147483648"}) {
        form->edRefreshTime->selectAll();
        QTest::keyClick(form->edRefreshTime, Qt::Key_Backspace);
        QTest::keyClicks(form->edRefreshTime, QString::fromUtf8(typed));
        QTest::keyClick(form->edRefreshTime, Qt::Key_Return);
    }
    EXPECT_EQ(errorBoxes, QStringList({u"'' ist kein gültiger Integerwert."_s,
                                       u"'2147483648' ist kein gültiger Integerwert."_s}));
    EXPECT_EQ(form->Timer1.interval(), 1000);
    EXPECT_TRUE(timerOf(form->Timer1).isActive());
}

// A refresh of 0 would stop the tick, and a SET would wait for it forever.
TEST_F(TimeshiftTest, ARefreshOfZeroIsRefusedAndTheClockTicksOn) {
    form->edRefreshTime->setText(u"5"_s);
    form->edRefreshTime->setText(u"0"_s);
    EXPECT_EQ(errorBoxes,
              QStringList(u"A refresh of 0 ms would stop the clock; it stays at 5 ms."_s));
    EXPECT_EQ(form->Timer1.interval(), 5);
    EXPECT_TRUE(timerOf(form->Timer1).isActive());
    click(form->btnPlus);
    click(form->btnSet);
    QTRY_COMPARE(os.calls.size(), std::size_t{1});
    form->Timer1.setInterval(0);
}

TEST_F(TimeshiftTest, ConfirmingTheIntervalInForceDoesNotRestartTheTimer) {
    form->edRefreshTime->setText(u"10000"_s);
    QTest::qWait(50);
    form->edRefreshTime->setText(u"010000"_s);  // another text, the same interval
    EXPECT_LE(timerOf(form->Timer1).remainingTime(), 9950)
        << "a restart would begin the period anew";
}

// Out of sight the tick still sets the clock but leaves the displays alone;
// they show that tick's reading, not a newer one, once they can be seen.
TEST_F(TimeshiftTest, DisplaysOnAHiddenTabShowTheLastTickWhenTheTabIsChosen) {
    form->TabControl1->setCurrentWidget(form->tabItemClips);
    unit.AlignShift = -kShiftStep;
    unit.SetPending = true;
    form->Timer1Timer();
    EXPECT_THAT(os.appliedShifts, ElementsAre(-kShiftStep));
    EXPECT_EQ(form->edCurrent->text(), kDesignTime);
    EXPECT_EQ(textColour(form->edAlign), kBlue);

    os.now += 5 * kUnitsPerSecond;
    form->TabControl1->setCurrentWidget(form->tabItemTimeshift);
    EXPECT_EQ(form->edCurrent->text(), u"31.12.2021 23.59.59,950"_s);
    EXPECT_EQ(form->edNew->text(), u"31.12.2021 23.59.59,850"_s);
    EXPECT_EQ(form->edCurRunShift->text(), u"-0,1"_s);
    EXPECT_EQ(textColour(form->edCurRunShift), kRed);
    EXPECT_EQ(textColour(form->edAlign), kRed);
}

TEST_F(TimeshiftTest, AMinimisedWindowShowsTheLastTickWhenRestored) {
    form->showMinimized();
    form->Timer1Timer();
    EXPECT_EQ(form->edCurrent->text(), kDesignTime);

    os.now += 5 * kUnitsPerSecond;
    form->showNormal();
    EXPECT_EQ(form->edCurrent->text(), u"31.12.2021 23.59.59,950"_s);
}

TEST_F(TimeshiftTest, ChoosingTheTabBeforeTheFirstTickKeepsTheDesignTexts) {
    form->TabControl1->setCurrentWidget(form->tabItemClips);
    form->TabControl1->setCurrentWidget(form->tabItemTimeshift);
    EXPECT_EQ(form->edCurrent->text(), kDesignTime);
    EXPECT_EQ(form->edCurRunShift->text(), u"0,0"_s);
}

TEST_F(TimeshiftTest, AShiftIsShownWithTheUsersDecimalSeparator) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    click(form->btnPlus);
    EXPECT_EQ(form->edAlign->text(), u"0.1"_s);
}

// The desktop may take its time (a password dialog): the clock goes on
// ticking, the move is booked when the answer comes, and nothing else moves
// the clock meanwhile.
TEST_F(TimeshiftTest, ASetWaitingForItsAnswerLetsTheClockTickOn) {
    os.holdAnswers = true;
    click(form->btnPlus);
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(unit.RunningShift, 0) << "not booked before the answer";

    os.now += 10'000'000;
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_EQ(form->edCurrent->text(), u"01.01.2022 00.00.00,950"_s) << "the display ticks on";
    EXPECT_THAT(os.calls, ElementsAre("shiftLocalTime 1000000")) << "the second set waits";
    for (QAbstractButton* button : {form->btnSetOrigin, form->btnAcceptTimeShift}) {
        errorBoxes.clear();
        unit.RunningShift = -5'000'000;
        click(button);
        EXPECT_EQ(errorBoxes, QStringList(u"The clock change before this one still waits for the "
                                          u"system's answer."_s));
        unit.RunningShift = 0;
    }

    os.answerHeld();
    EXPECT_EQ(unit.RunningShift, -1'000'000);
    EXPECT_EQ(form->edCurRunShift->text(), u"0,1"_s) << "shown with the answer";
    form->Timer1Timer();
    EXPECT_THAT(os.calls, ElementsAre("shiftLocalTime 1000000", "shiftLocalTime 1000000"));
}

// The reasons the system's services give are told with what to do.
TEST_F(TimeshiftTest, ARefusalSaysWhatToDo) {
    const struct {
        const char* reason;
        const char* shown;
    } cases[] = {
        {"Automatic time synchronization is enabled",
         "The clock could not be set: Automatic time synchronization is enabled. Switch Quarnel "
         "on to hold it, or name the time service on the Setup tab."},
        {"Method call timed out",
         "The clock could not be set: The authorization took too long; press SET again."},
        {"Permission denied",
         "The clock could not be set: Permission denied. See \"Rights Quarnel needs\" on the help "
         "page, under the Help button."},
        {"Disk quota exceeded", "The clock could not be set: Disk quota exceeded."},
    };
    for (const auto& c : cases) {
        errorBoxes.clear();
        os.refuseSetWith = c.reason;
        click(form->btnPlus);
        click(form->btnSet);
        form->Timer1Timer();
        EXPECT_EQ(errorBoxes.join(u'|').toStdString(), c.shown);
    }
    EXPECT_EQ(unit.RunningShift, 0);
}

// Shifts that no time keeper will correct are not left behind unasked.
TEST_F(TimeshiftTest, ClosingWithAShiftNoKeeperCorrectsAsksToUndoIt) {
    const struct {
        const char* name;
        UndoAnswer answer;
        bool closed;
        std::int64_t totalAfter;
    } cases[] = {
        {"RESET and close", UndoAnswer::ResetAndClose, true, 0},
        {"close", UndoAnswer::Close, true, -3'000'000},
        {"stay open", UndoAnswer::StayOpen, false, -3'000'000},
    };
    for (const auto& c : cases) {
        form.reset();
        unit = UnitState{};
        build();
        form->show();
        form->swPauseActive->click();
        undoQuestions.clear();
        undoAnswer = c.answer;
        unit.AlignShift = 3'000'000;
        form->btnSetClick();
        form->Timer1Timer();

        EXPECT_EQ(form->close(), c.closed) << c.name;
        EXPECT_EQ(undoQuestions, QStringList(u"Undo the shift of +0,3 s before closing?"_s))
            << c.name;
        EXPECT_EQ(unit.RunningShift, c.totalAfter) << c.name;
    }
}

TEST_F(TimeshiftTest, ClosingWithAKeeperThatCorrectsTheClockAsksNothing) {
    form->edServiceName->setText(u"chronyd"_s);
    unit.AlignShift = -3'000'000;
    click(form->btnSet);
    form->Timer1Timer();
    EXPECT_TRUE(form->close());
    EXPECT_THAT(undoQuestions, IsEmpty());
}

// The time is read after the move, in UTC: an hour behind the local time here.
TEST_F(TimeshiftTest, EverySetResetAndAcceptLeavesALineInTheJournal) {
    os.localMinusUniversal = 3600 * kUnitsPerSecond;
    for (int i = 0; i < 3; ++i) {
        click(form->btnPlus);
    }
    setNow();
    turnWheel(form->edAlign, -120);
    setNow();
    click(form->btnSetOrigin);
    setNow();
    click(form->btnAcceptTimeShift);
    click(form->btnResetAlign);
    setNow();

    EXPECT_EQ(journal(),
              "2021-12-31 23:00:00.250 UTC  SET     +0.3 s  total +0.3 s  from buttons\n"
              "2021-12-31 23:00:00.500 UTC  SET     +0.25 s  total +0.55 s  from wheel\n"
              "2021-12-31 22:59:59.950 UTC  RESET   -0.55 s  total +0.0 s  from RESET button\n"
              "2021-12-31 23:00:00.200 UTC  SET     +0.25 s  total +0.25 s  from wheel\n"
              "2021-12-31 23:00:00.200 UTC  ACCEPT  +0.0 s  total +0.0 s  from ACCEPT button\n")
        << "a set of nothing moves nothing and leaves no line";
    EXPECT_THAT(errorBoxes, IsEmpty());
}

TEST_F(TimeshiftTest, EveryRefusedChangeLeavesItsReasonInTheJournal) {
    os.refuseSetWith = "Operation not permitted";
    click(form->btnMinus);
    setNow();
    unit.RunningShift = -3'000'000;
    click(form->btnSetOrigin);
    click(form->btnAcceptTimeShift);

    os.refuseSetWith.reset();
    unit.RunningShift = -kLargestShift + kShiftStep;
    unit.AlignShift = 2 * kShiftStep;
    click(form->btnSet);  // refused at once
    unit.AlignShift = kShiftStep;
    click(form->btnSet);
    unit.AlignShift = 2 * kShiftStep;
    form->Timer1Timer();  // refused when its time comes

    const std::string beyond =
        "refused: The running total of the shifts cannot go beyond 100 days either way; press "
        "RESET or ACCEPT first\n";
    EXPECT_EQ(journal(),
              "2021-12-31 23:59:59.950 UTC  SET     -0.1 s  refused: Operation not permitted\n"
              "2021-12-31 23:59:59.950 UTC  RESET   -0.3 s  refused: Operation not permitted\n"
              "2021-12-31 23:59:59.950 UTC  ACCEPT  +0.0 s  total +0.0 s  from ACCEPT button\n"
              "2021-12-31 23:59:59.950 UTC  SET     +0.2 s  " +
                  beyond + "2021-12-31 23:59:59.950 UTC  SET     +0.2 s  " + beyond);
    EXPECT_EQ(errorBoxes.size(), 4);
}

// The journal only follows the clock: the clock moves and the total is
// booked whether or not the line can be written, and the user hears of the
// journal once.
TEST_F(TimeshiftTest, AJournalThatCannotBeWrittenIsToldOnceAndTheClockStillMoves) {
    os.refuseAppendWith = "No space left on device";
    click(form->btnPlus);
    setNow();
    setNow();
    click(form->btnSetOrigin);
    EXPECT_THAT(os.appliedShifts, ElementsAre(kShiftStep, kShiftStep, -2 * kShiftStep));
    EXPECT_EQ(unit.RunningShift, 0);
    EXPECT_EQ(errorBoxes,
              QStringList({u"The journal /home/op"_s +
                           QString::fromUtf8(kBuiltForConventions.pathSeparator) +
                           u"Quarnel.log could not be written: No space left on device."_s}));
    EXPECT_EQ(journal(), "");
}

}  // namespace
}  // namespace quarnel::testing
