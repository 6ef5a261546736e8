#include <gmock/gmock.h>

#include <QApplication>
#include <QLabel>
#include <QtTest/QTest>

#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class TimeKeepersWindowTest : public WindowTest {
  protected:
    // A window whose Setup tab names a service and a program.
    TTabbedForm& buildConfigured() {
        TTabbedForm& window = build();
        window.edServiceName->setText(u"time keeper"_s);
        window.edProgFilePath->setText(u"/opt/keepers/MyClock"_s);
        window.edProgParams->setText(u"--sync 'every minute'"_s);
        return window;
    }

    static bool clockButtonsEnabled(TTabbedForm& window) {
        const bool set = window.btnSet->isEnabled();
        EXPECT_EQ(window.btnSetOrigin->isEnabled(), set);
        EXPECT_EQ(window.btnAcceptTimeShift->isEnabled(), set);
        return set;
    }
};

TEST_F(TimeKeepersWindowTest, StartsPausedWithTheClockButtonsLocked) {
    TTabbedForm& window = build();
    EXPECT_FALSE(window.swPauseActive->isChecked());
    EXPECT_EQ(window.lbPauseActive->text(), u"Paused"_s);
    EXPECT_FALSE(clockButtonsEnabled(window));
    EXPECT_THAT(os.calls, IsEmpty());
}

TEST_F(TimeKeepersWindowTest, ActivatingStopsServiceThenEveryCopyOfTheProgram) {
    os.processes["MyClock"] = {311, 312};
    os.processes["Clock"] = {320};
    TTabbedForm& window = buildConfigured();

    window.swPauseActive->click();

    EXPECT_EQ(window.lbPauseActive->text(), u"Active/Ready"_s);
    EXPECT_TRUE(clockButtonsEnabled(window));
    EXPECT_THAT(os.calls, ElementsAre("controlService stop [time keeper]",
                                      "findProcessesByFileName [MyClock]", "terminateProcess 311",
                                      "terminateProcess 312"));
}

// The program's file name is taken with the separators of the system the
// platform answers for: on Windows "\\" ends a folder, on Linux it is part of
// the name.
TEST_F(TimeKeepersWindowTest, TheProgramIsLookedForByTheFileNameOfItsSystem) {
    const struct {
        SystemConventions system;
        std::string fileName;
    } cases[] = {
        {kWindowsConventions, "keeper.exe"},
        {kLinuxConventions, R"(C:\bin\keeper.exe)"},
    };
    for (const auto& [system, fileName] : cases) {
        unit = UnitState{};
        os.answersFor = system;
        os.calls.clear();
        TTabbedForm& window = build();
        window.edProgFilePath->setText(uR"(C:\bin\keeper.exe)"_s);
        window.swPauseActive->click();
        EXPECT_THAT(os.calls, ElementsAre("findProcessesByFileName [" + fileName + "]"));
    }
}

TEST_F(TimeKeepersWindowTest, PausingStartsServiceThenLaunchesTheProgram) {
    TTabbedForm& window = buildConfigured();
    window.swPauseActive->click();
    os.calls.clear();

    window.swPauseActive->click();

    EXPECT_EQ(window.lbPauseActive->text(), u"Paused"_s);
    EXPECT_FALSE(clockButtonsEnabled(window));
    EXPECT_THAT(os.calls,
                ElementsAre("controlService start [time keeper]",
                            "launchProgram [/opt/keepers/MyClock] [--sync 'every minute']"));
}

TEST_F(TimeKeepersWindowTest, EmptyTextsSkipTheirHalfAndBlanksDoNot) {
    struct Case {
        const char* service;
        const char* path;
        std::vector<std::string> stopCalls;
    };
    const std::vector<Case> cases{
        {"", "", {}},
        {"   ", "", {"controlService stop [   ]"}},
        {"", "keeper", {"findProcessesByFileName [keeper]"}},
        // A path ending in the separator names no file: no program is searched.
        {"w32time", "/opt/keepers/", {"controlService stop [w32time]"}},
    };
    for (const Case& c : cases) {
        unit = UnitState{};
        os.calls.clear();
        TTabbedForm& window = build();
        window.edServiceName->setText(QString::fromUtf8(c.service));
        window.edProgFilePath->setText(QString::fromUtf8(c.path));

        window.swPauseActive->click();
        EXPECT_EQ(os.calls, c.stopCalls) << c.service << "|" << c.path;
        EXPECT_EQ(window.lbPauseActive->text(), u"Active/Ready"_s);
        EXPECT_TRUE(clockButtonsEnabled(window));
    }
}

TEST_F(TimeKeepersWindowTest, BothTextsEmptyOnlyChangesLabelAndButtons) {
    TTabbedForm& window = build();
    window.swPauseActive->click();
    window.swPauseActive->click();
    EXPECT_THAT(os.calls, IsEmpty());
    EXPECT_EQ(window.lbPauseActive->text(), u"Paused"_s);
}

TEST_F(TimeKeepersWindowTest, EveryStopAndStartLeavesALineInTheJournal) {
    os.processes["MyClock"] = {311};
    TTabbedForm& window = buildConfigured();
    window.swPauseActive->click();
    window.swPauseActive->click();
    os.refuseLaunchWith = "Permission denied";
    window.swPauseActive->click();
    window.swPauseActive->click();

    const std::string at = "2021-03-05 09:07:03.042 UTC  ";
    EXPECT_EQ(os.files[fileInDirectory(os.workingDirectory, "Quarnel.log")],
              at + "STOP    service time keeper: done\n" +  //
                  at + "STOP    program /opt/keepers/MyClock: done\n" + at +
                  "START   service time keeper: done\n" + at +
                  "START   program /opt/keepers/MyClock: done\n" + at +
                  "STOP    service time keeper: done\n" + at +
                  "STOP    program /opt/keepers/MyClock: done\n" + at +
                  "START   service time keeper: done\n" + at +
                  "START   program /opt/keepers/MyClock: failed: Permission denied\n");
}

TEST_F(TimeKeepersWindowTest, TheVerboseSwitchLaunchesNothingAndRulesTheNextCommand) {
    TTabbedForm& window = buildConfigured();
    window.edProgFilePath->clear();

    window.swVerboseMode->click();
    EXPECT_TRUE(unit.VerboseFlag);
    window.swVerboseMode->click();
    EXPECT_FALSE(unit.VerboseFlag);
    EXPECT_THAT(os.calls, IsEmpty());

    window.swPauseActive->click();
    window.swVerboseMode->click();
    window.swPauseActive->click();
    EXPECT_THAT(os.calls, ElementsAre("controlService stop [time keeper]",
                                      "controlService start verbose [time keeper]"));
}

TEST_F(TimeKeepersWindowTest, TheStartUsesTheTextsAsTheyAreThen) {
    os.processes["MyClock"] = {311};
    TTabbedForm& window = buildConfigured();
    window.swPauseActive->click();
    os.calls.clear();

    window.edServiceName->setText(u"other service"_s);
    window.edProgFilePath->setText(u"/usr/bin/other keeper"_s);
    window.edProgParams->clear();
    window.swPauseActive->click();

    EXPECT_THAT(os.calls, ElementsAre("controlService start [other service]",
                                      "launchProgram [/usr/bin/other keeper] []"));
}

TEST_F(TimeKeepersWindowTest, PausingLocksOnlyTheThreeButtonsAndAPendingSetStillHappens) {
    TTabbedForm& window = build();
    window.swPauseActive->click();
    window.btnPlus->click();
    window.btnSet->click();
    const auto disabledWidgets = [&window] {
        QStringList disabled;
        for (QWidget* widget : window.tabItemTimeshift->findChildren<QWidget*>()) {
            if (!widget->isEnabled()) {
                disabled << widget->objectName();
            }
        }
        disabled.sort();
        return disabled;
    };
    // Use waits for a reference's suggestion, paused or not.
    EXPECT_EQ(disabledWidgets(),
              QStringList({u"btnUseDecodes"_s, u"btnUseGps"_s, u"btnUseTimeServer"_s}));

    window.swPauseActive->click();

    EXPECT_EQ(disabledWidgets(),
              QStringList({u"btnAcceptTimeShift"_s, u"btnSet"_s, u"btnSetOrigin"_s,
                           u"btnUseDecodes"_s, u"btnUseGps"_s, u"btnUseTimeServer"_s}));

    window.Timer1Timer();
    EXPECT_THAT(os.appliedShifts, ElementsAre(kShiftStep));
}

// Notes the run state that the window shows when a time keeper is touched,
// also while the window is being built.
class StateWatchingPlatform : public RecordingPlatform {
  public:
    void controlService(TKeeperAction action, bool verbose, const std::string& name,
                        Completion done) override {
        QString state;
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (const auto* label = window->findChild<QLabel*>(u"lbPauseActive"_s)) {
                state = label->text();
            }
        }
        calls.push_back("while " + state.toStdString());
        RecordingPlatform::controlService(action, verbose, name, std::move(done));
    }
};

// The switch claims "Active/Ready" only once the keepers are held.
TEST_F(TimeKeepersWindowTest, AToolLeftActiveStopsTheKeepersOnceAndThenShowsItsState) {
    StateWatchingPlatform watching;
    watching.files[fileInDirectory(watching.workingDirectory, "Quarnel.ini")] =
        "[Program]\nActive=1\n[Setup]\nService=time keeper\nProgram=/opt/keepers/MyClock\n";
    setPlatform(watching);

    TTabbedForm& window = build();

    EXPECT_THAT(watching.calls, ElementsAre("while Stopping…", "controlService stop [time keeper]",
                                            "findProcessesByFileName [MyClock]"));
    EXPECT_TRUE(window.swPauseActive->isChecked());
    EXPECT_EQ(window.lbPauseActive->text(), u"Active/Ready"_s);
    EXPECT_TRUE(clockButtonsEnabled(window));
}

// While the system answers (the desktop may ask for a password), the switch
// waits and the clock buttons stay locked.
TEST_F(TimeKeepersWindowTest, TheSwitchWaitsForTheSystemsAnswer) {
    TTabbedForm& window = buildConfigured();
    os.holdAnswers = true;

    window.swPauseActive->click();
    EXPECT_EQ(window.lbPauseActive->text(), u"Stopping…"_s);
    EXPECT_FALSE(window.swPauseActive->isEnabled());
    EXPECT_FALSE(clockButtonsEnabled(window));
    EXPECT_THAT(os.calls, ElementsAre("controlService stop [time keeper]")) << "the program waits";

    os.answerHeld();
    EXPECT_EQ(window.lbPauseActive->text(), u"Active/Ready"_s);
    EXPECT_TRUE(window.swPauseActive->isEnabled());
    EXPECT_TRUE(clockButtonsEnabled(window));

    window.swPauseActive->click();
    EXPECT_EQ(window.lbPauseActive->text(), u"Starting…"_s);
    EXPECT_FALSE(clockButtonsEnabled(window));
    os.answerHeld();
    EXPECT_EQ(window.lbPauseActive->text(), u"Paused"_s);
    EXPECT_TRUE(errorBoxes.isEmpty());
}

// A keeper that could not be stopped still runs: the switch says so by going
// back off, nothing else is stopped, and the box says why and what to do.
TEST_F(TimeKeepersWindowTest, AServiceThatCannotBeStoppedLeavesTheSwitchOff) {
    const struct {
        const char* reason;
        const char* shown;
    } cases[] = {
        {"Access denied",
         "The time service time keeper could not be stopped: Access denied. See \"Rights Quarnel "
         "needs\" on the help page, under the Help button."},
        {"Unit time keeper.service not loaded.",
         "The time service time keeper could not be stopped: Unit time keeper.service not "
         "loaded."},
    };
    for (const auto& c : cases) {
        os.refuseServiceWith = c.reason;
        os.calls.clear();
        errorBoxes.clear();
        TTabbedForm& window = buildConfigured();

        window.swPauseActive->click();

        EXPECT_FALSE(window.swPauseActive->isChecked()) << c.reason;
        EXPECT_EQ(window.lbPauseActive->text(), u"Paused"_s) << c.reason;
        EXPECT_FALSE(clockButtonsEnabled(window)) << c.reason;
        EXPECT_THAT(os.calls, ElementsAre("controlService stop [time keeper]")) << c.reason;
        EXPECT_EQ(errorBoxes.join(u'|').toStdString(), c.shown) << c.reason;
    }
}

TEST_F(TimeKeepersWindowTest, AServiceThatCannotBeStartedAgainIsReportedAndTheProgramStillRuns) {
    TTabbedForm& window = buildConfigured();
    window.swPauseActive->click();
    os.refuseServiceWith = "Job for time keeper.service failed";
    os.calls.clear();

    window.swPauseActive->click();

    EXPECT_THAT(os.calls,
                ElementsAre("controlService start [time keeper]",
                            "launchProgram [/opt/keepers/MyClock] [--sync 'every minute']"));
    EXPECT_EQ(errorBoxes, QStringList(u"The time service time keeper could not be started again: "
                                      u"Job for time keeper.service failed."_s));
    EXPECT_EQ(window.lbPauseActive->text(), u"Paused"_s);
}

// With no service named, the system's own network time synchronization is
// the keeper: held only when it was on, given back only when it was held.
TEST_F(TimeKeepersWindowTest, WithoutAServiceTheSystemsOwnSynchronizationIsHeld) {
    os.automaticSync = true;
    TTabbedForm& window = build();

    window.swPauseActive->click();
    EXPECT_THAT(os.calls, ElementsAre("setAutomaticSync off"));
    EXPECT_EQ(window.lblHolding->text(), u"Holding: network time synchronization"_s);
    EXPECT_EQ(window.lbPauseActive->text(), u"Active/Ready"_s);

    os.calls.clear();
    window.swPauseActive->click();
    EXPECT_THAT(os.calls, ElementsAre("setAutomaticSync on"));
    EXPECT_EQ(window.lblHolding->text(), QString());
    EXPECT_EQ(os.automaticSync, true);

    os.automaticSync = false;
    os.calls.clear();
    window.swPauseActive->click();
    window.swPauseActive->click();
    EXPECT_THAT(os.calls, IsEmpty()) << "off stays off";
    EXPECT_EQ(os.automaticSync, false);
}

TEST_F(TimeKeepersWindowTest, ARefusedHoldOfTheSynchronizationLeavesTheSwitchOff) {
    os.automaticSync = true;
    os.refuseAutomaticSyncWith = "Interactive authentication required.";
    TTabbedForm& window = build();

    window.swPauseActive->click();

    EXPECT_FALSE(window.swPauseActive->isChecked());
    EXPECT_EQ(window.lblHolding->text(), QString());
    EXPECT_EQ(errorBoxes.join(u'|').toStdString(),
              "Network time synchronization could not be stopped: Interactive authentication "
              "required, and no password dialog could be shown. See \"Rights Quarnel needs\" on "
              "the help page, under the Help button.");
}

TEST_F(TimeKeepersWindowTest, ClosingWhileActiveStartsTheKeepersFirst) {
    TTabbedForm& window = buildConfigured();
    window.show();
    window.swPauseActive->click();
    os.calls.clear();

    EXPECT_TRUE(window.close());

    EXPECT_THAT(os.calls,
                ElementsAre("controlService start [time keeper]",
                            "launchProgram [/opt/keepers/MyClock] [--sync 'every minute']",
                            replaceSettingsCall()));
    EXPECT_FALSE(window.isVisible());
}

// The keepers must be running again before the program ends: the close
// waits for their answer.
TEST_F(TimeKeepersWindowTest, ClosingWaitsForTheKeepersToStart) {
    TTabbedForm& window = buildConfigured();
    window.show();
    window.swPauseActive->click();
    os.holdAnswers = true;

    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_THAT(os.files, ::testing::Not(::testing::Contains(::testing::Key(settingsPath()))));

    os.answerHeld();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(os.files.count(settingsPath()));
}

TEST_F(TimeKeepersWindowTest, ClosingWhilePausedLeavesTheKeepersAlone) {
    TTabbedForm& window = buildConfigured();
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_THAT(os.calls, ElementsAre(replaceSettingsCall()));
}

TEST_F(TimeKeepersWindowTest, AFailingCloseShowsWhyAndKeepsTheWindowOpen) {
    os.refuseLaunchWith = std::string(kQuoteLeftOpen);
    TTabbedForm& window = buildConfigured();
    window.edProgParams->setText(u"'x"_s);
    window.show();
    window.swPauseActive->click();

    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(errorBoxes, QStringList(u"The program parameters leave a quote open: 'x."_s));
    EXPECT_TRUE(os.files.count(settingsPath())) << "the settings are saved all the same";

    os.refuseLaunchWith.reset();
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace quarnel::testing
