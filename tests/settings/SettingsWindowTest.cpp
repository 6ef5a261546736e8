#include <gmock/gmock.h>

#include <QGuiApplication>
#include <QScreen>
#include <QtTest/QTest>

#include "platform/FileRules.h"
#include "settings/IniDocument.h"
#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// What closing the window writes after a first start without a file, nothing
// changed, the window not moved and no clips.
constexpr std::string_view kFirstStartFile =
    "[Program]\n"
    "ActiveTAB=0\n"
    "Active=0\n"
    "[Setup]\n"
    "Service=\n"
    "Program=\n"
    "Parameter=\n"
    "Verbose=0\n"
    "[Timing]\n"
    "Refresh=1000\n"
    "ResetAlignToZero=0\n"
    "[Screen]\n"
    "Left=0\n"
    "Top=0\n"
    "Height=540\n"
    "Width=400\n"
    "[Clips]\n"
    "NumOfClips=0\n"
    "[Decodes]\n"
    "Listen=0\n"
    "Address=127.0.0.1\n"
    "Port=2237\n"
    "[TimeServer]\n"
    "Ask=0\n"
    "Server=pool.ntp.org\n"
    "[Gps]\n"
    "Listen=0\n"
    "Source=gpsd\n"
    "DelayMs=0\n";

class SettingsWindowTest : public WindowTest {
  protected:
    // Closes the window as the user would and returns the file it left.
    std::string closeAndReadBack() {
        EXPECT_TRUE(form->close()) << errorBoxes.join(u'\n').toStdString();
        return withNewlines(os.files[settingsPath()]);
    }

    // The next start of the program, on the same files.
    TTabbedForm& restart() {
        form.reset();
        unit = UnitState{};
        return build();
    }

    QStringList clips() const {
        QStringList items;
        for (int i = 0; i < form->ListBox1->count(); ++i) {
            items << form->ListBox1->item(i)->text();
        }
        return items;
    }

    std::string clipSection() {
        const std::string file = withNewlines(os.files[settingsPath()]);
        const std::size_t start = file.find("[Clips]");
        const std::size_t next = file.find("\n[", start);
        return file.substr(start, next == std::string::npos ? next : next + 1 - start);
    }
};

TEST_F(SettingsWindowTest, WithoutAFileEverySettingHasItsDefault) {
    TTabbedForm& window = build();
    window.FormActivate();

    EXPECT_EQ(window.TabControl1->currentIndex(), 0);
    EXPECT_FALSE(window.swPauseActive->isChecked());
    EXPECT_FALSE(window.swVerboseMode->isChecked());
    EXPECT_FALSE(unit.VerboseFlag);
    EXPECT_FALSE(window.cbResetAfterEachSet->isChecked());
    EXPECT_EQ(window.edServiceName->text(), u""_s);
    EXPECT_EQ(window.edProgFilePath->text(), u""_s);
    EXPECT_EQ(window.edProgParams->text(), u""_s);
    EXPECT_EQ(window.edRefreshTime->text(), u"1000"_s);
    EXPECT_EQ(window.Timer1.interval(), 1000) << "the form's 500 is replaced";
    EXPECT_EQ(window.pos(), QPoint(0, 0));
    EXPECT_EQ(window.size(), QSize(400, 540));
    EXPECT_THAT(clips(), ElementsAre()) << "the form's sample lines are removed";
    EXPECT_THAT(errorBoxes, ElementsAre());
}

TEST_F(SettingsWindowTest, AFirstStartWithNothingChangedWritesTheDocumentedFile) {
    build().show();
    EXPECT_EQ(closeAndReadBack(), kFirstStartFile);
    EXPECT_THAT(os.calls, ElementsAre(replaceSettingsCall()));
}

// The line ends are the platform's: CR LF where it answers for Windows.
TEST_F(SettingsWindowTest, TheFileIsWrittenWithTheLineEndsOfTheSystem) {
    const struct {
        SystemConventions system;
        std::string start;
    } cases[] = {
        {kWindowsConventions, "[Program]\r\nActiveTAB=0\r\n"},
        {kLinuxConventions, "[Program]\nActiveTAB=0\n"},
    };
    for (const auto& [system, start] : cases) {
        unit = UnitState{};
        os.answersFor = system;
        os.workingDirectory = "/home/op";
        const std::string path = os.settingsFile("Quarnel.ini");
        os.files.erase(path);
        build();
        EXPECT_TRUE(form->close()) << errorBoxes.join(u'\n').toStdString();
        EXPECT_EQ(os.files[path].rfind(start, 0), 0U) << os.files[path];
    }
}

// As an installed program on Linux keeps them, under ~/.config.
TEST_F(SettingsWindowTest, TheSettingsAreReadAndWrittenWhereThePlatformKeepsThem) {
    const std::string kept = "/home/op/.config/quarnel/Quarnel.ini";
    os.settingsFileAt = kept;
    os.files[kept] = "[Setup]\nService=chrony\n";
    TTabbedForm& window = build();
    EXPECT_EQ(window.edServiceName->text(), u"chrony"_s);

    window.edServiceName->setText(u"systemd-timesyncd"_s);
    EXPECT_TRUE(form->close()) << errorBoxes.join(u'\n').toStdString();
    EXPECT_THAT(withNewlines(os.files[kept]), HasSubstr("[Setup]\nService=systemd-timesyncd\n"));
    EXPECT_FALSE(os.files.contains(settingsPath())) << "nothing in the current directory";
}

TEST_F(SettingsWindowTest, ClipsAreStoredAsACountAndOneKeyEach) {
    TTabbedForm& window = build();
    window.ListBox1->addItems({u"CQ CQ de DL1ABC"_s, u"73"_s});
    closeAndReadBack();
    EXPECT_EQ(clipSection(), "[Clips]\nNumOfClips=2\nClip0=CQ CQ de DL1ABC\nClip1=73\n");
}

TEST_F(SettingsWindowTest, EveryStoredValueIsLoadedAndWrittenBackUnchanged) {
    const std::string file =
        "[Program]\nActiveTAB=2\nActive=1\n"
        "[Setup]\nService=W32Time\nProgram=C:\\Tools\\sync.exe\nParameter=/quiet /x=1\nVerbose=1\n"
        "[Timing]\nRefresh=250\nResetAlignToZero=1\n"
        "[Screen]\nLeft=120\nTop=80\nHeight=540\nWidth=400\n"
        "[Clips]\nNumOfClips=2\nClip0=CQ DL1ABC\nClip1=\n"
        "[Decodes]\nListen=0\nAddress=239.255.0.1\nPort=2238\n"
        "[TimeServer]\nAsk=0\nServer=[2001:db8::123]:1123\n"
        "[Gps]\nListen=0\nSource=/dev/ttyACM0:9600\nDelayMs=85\n";
    givenSettingsFile(file);
    TTabbedForm& window = build();

    EXPECT_TRUE(window.swPauseActive->isChecked());
    EXPECT_EQ(window.edServiceName->text(), u"W32Time"_s);
    EXPECT_EQ(window.edProgFilePath->text(), u"C:\\Tools\\sync.exe"_s);
    EXPECT_EQ(window.edProgParams->text(), u"/quiet /x=1"_s);
    EXPECT_TRUE(window.swVerboseMode->isChecked());
    EXPECT_TRUE(unit.VerboseFlag);
    EXPECT_EQ(window.edRefreshTime->text(), u"250"_s);
    EXPECT_EQ(window.Timer1.interval(), 250);
    EXPECT_TRUE(window.cbResetAfterEachSet->isChecked());
    EXPECT_EQ(window.pos(), QPoint(120, 80));
    EXPECT_THAT(clips(), ElementsAre(u"CQ DL1ABC"_s, u""_s));
    window.FormActivate();
    EXPECT_EQ(window.TabControl1->currentIndex(), 2);

    EXPECT_EQ(closeAndReadBack(), file);
}

TEST_F(SettingsWindowTest, TheTabTheUserChoseLastIsSaved) {
    givenSettingsFile("[Program]\nActiveTAB=2\n");
    TTabbedForm& window = build();
    window.FormActivate();
    window.TabControl1->setCurrentIndex(1);
    EXPECT_THAT(closeAndReadBack(), HasSubstr("[Program]\nActiveTAB=1\n"));
}

TEST_F(SettingsWindowTest, VerboseIsOnForEveryNonZeroInteger) {
    const std::pair<const char*, bool> cases[] = {{"abc", false}, {"2", true},  {"0x1", true},
                                                  {"-1", true},   {"0", false}, {"", false}};
    for (const auto& [stored, on] : cases) {
        unit = UnitState{};
        givenSettingsFile(std::string("[Setup]\nVerbose=") + stored + "\n");
        TTabbedForm& window = build();
        EXPECT_EQ(window.swVerboseMode->isChecked(), on) << stored;
        EXPECT_EQ(unit.VerboseFlag, on) << stored;
    }
}

TEST_F(SettingsWindowTest, TheClipCountDecidesHowManyItemsAreRead) {
    const std::pair<const char*, QStringList> cases[] = {
        {"NumOfClips=3\nClip0=a\n", {u"a"_s}}, {"NumOfClips=3\nClip1=b\n", {u""_s, u"b"_s}},
        {"NumOfClips=-1\nClip0=a\n", {}},      {"NumOfClips=1\nClip0=a\nClip1=b\n", {u"a"_s}},
        {"NumOfClips=abc\nClip0=a\n", {}},     {"Clip0=a\n", {}},
    };
    for (const auto& [section, items] : cases) {
        givenSettingsFile(std::string("[Clips]\n") + section);
        build();
        EXPECT_EQ(clips(), items) << section;
    }
}

// The count reaches only as far as the clip keys behind it: a huge count
// without keys costs nothing, and keys in another spelling of the number are
// not the loader's.
TEST_F(SettingsWindowTest, AHugeClipCountReadsOnlyAsFarAsTheClipKeysGo) {
    const std::pair<const char*, QStringList> cases[] = {
        {"NumOfClips=2147483647\n", {}},
        {"NumOfClips=2147483647\nClip2=c\nClip0=a\n", {u"a"_s, u""_s, u"c"_s}},
        {"NumOfClips=2\nClip5=beyond\nClip0=a\n", {u"a"_s}},
        {"NumOfClips=9\nclip1=b\nClip01=x\nClip+2=x\nClip 3=x\n", {u""_s, u"b"_s}},
    };
    for (const auto& [section, items] : cases) {
        givenSettingsFile(std::string("[Clips]\n") + section);
        build();
        EXPECT_EQ(clips(), items) << section;
    }
}

TEST_F(SettingsWindowTest, EveryClipOfALongListSurvivesALoadAndASave) {
    constexpr int kClips = 100'000;
    std::string file = "[Clips]\nNumOfClips=" + std::to_string(kClips) + "\n";
    for (int i = 0; i < kClips; ++i) {
        file += "Clip" + std::to_string(i) + "=c" + std::to_string(i) + "\n";
    }
    givenSettingsFile(file);
    TTabbedForm& window = build();
    ASSERT_EQ(window.ListBox1->count(), kClips);
    EXPECT_EQ(window.ListBox1->item(kClips - 1)->text(), u"c99999"_s);
    EXPECT_EQ(clipSection(), file) << "before the close";
    closeAndReadBack();
    EXPECT_EQ(clipSection(), file);
}

TEST_F(SettingsWindowTest, FiveClipsSavedAfterEightLeaveOnlyFiveKeys) {
    std::string clipKeys = "[Clips]\nNumOfClips=8\n";
    for (int i = 0; i < 8; ++i) {
        clipKeys += "Clip" + std::to_string(i) + "=c" + std::to_string(i) + "\n";
    }
    givenSettingsFile(clipKeys);
    TTabbedForm& window = build();
    for (int i = 0; i < 3; ++i) {
        delete window.ListBox1->takeItem(window.ListBox1->count() - 1);
    }
    closeAndReadBack();
    EXPECT_EQ(clipSection(),
              "[Clips]\nNumOfClips=5\nClip0=c0\nClip1=c1\nClip2=c2\nClip3=c3\nClip4=c4\n");
}

TEST_F(SettingsWindowTest, TheStoredSizeIsIgnored) {
    givenSettingsFile("[Screen]\nLeft=10\nTop=10\nHeight=100\nWidth=100\n");
    TTabbedForm& window = build();
    EXPECT_EQ(window.size(), QSize(400, 540));
    window.show();
    EXPECT_EQ(window.size(), QSize(400, 540));
    EXPECT_THAT(closeAndReadBack(), HasSubstr("Height=540\nWidth=400\n"));
}

struct RefreshCase {
    const char* stored;
    const char* shown;
    int interval;
};

// A stored text the interval cannot be taken from does not stop the start:
// the default is used, without a message.
TEST_F(SettingsWindowTest, TheStoredRefreshPassesTheDigitsFilterOrFallsBackToTheDefault) {
    const RefreshCase cases[] = {
        {"-250", "1000", 1000},
        {" -1", "1000", 1000},
        {"x-5", "1000", 1000},
        {"5-", "5", 5},
        {"0", "1000", 1000},  // it would stop the tick, and a set with it
        {"000", "1000", 1000},
        {" 2 5 0 ms", "250", 250},
        {"1000", "1000", 1000},
        {"abc", "1000", 1000},
        {"", "1000", 1000},
        {"2147483648", "1000", 1000},
        {"2147483647", "2147483647", 2147483647},
    };
    for (const RefreshCase& c : cases) {
        givenSettingsFile(std::string("[Timing]\nRefresh=") + c.stored + "\n");
        TTabbedForm& window = build();
        EXPECT_EQ(window.edRefreshTime->text(), QString::fromUtf8(c.shown)) << c.stored;
        EXPECT_EQ(window.Timer1.interval(), c.interval) << c.stored;
        EXPECT_EQ(timerOf(window.Timer1).isActive(), c.interval != 0) << c.stored;
    }
    EXPECT_THAT(errorBoxes, ElementsAre());
}

TEST_F(SettingsWindowTest, ConfirmingAnUnusableRefreshWhileRunningStillShowsTheError) {
    givenSettingsFile("[Timing]\nRefresh=abc\n");
    TTabbedForm& window = build();
    QTest::keyClick(window.edRefreshTime, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window.edRefreshTime, Qt::Key_Backspace);
    QTest::keyClick(window.edRefreshTime, Qt::Key_Return);

    EXPECT_THAT(errorBoxes, ElementsAre(u"'' ist kein gültiger Integerwert."_s));
    EXPECT_EQ(window.Timer1.interval(), 1000);
    EXPECT_THAT(closeAndReadBack(), HasSubstr("[Timing]\nRefresh=\n")) << "stored as typed";
    EXPECT_EQ(restart().Timer1.interval(), 1000);
}

// The user is asked whether to stay and mend the cause or to close without
// the settings; either way the old file is untouched.
TEST_F(SettingsWindowTest, AFailedSaveKeepsTheOldFileAndLetsTheUserChoose) {
    const std::string old =
        "[Program]\r\nActiveTAB=3\r\n[Clips]\r\nNumOfClips=1\r\nClip0=keep me\r\n";
    givenSettingsFile(old);
    TTabbedForm& window = build();
    window.show();
    window.ListBox1->clear();
    os.refuseReplaceWith = "Permission denied";
    const QString question = QString::fromStdString(
        "In " + settingsPath() + " kann nicht geschrieben werden.\nPermission denied.");

    EXPECT_FALSE(window.close()) << "stay open";
    EXPECT_TRUE(window.isVisible());
    EXPECT_THAT(closeQuestions, ElementsAre(question));
    EXPECT_THAT(errorBoxes, ElementsAre());
    EXPECT_EQ(os.files[settingsPath()], old);

    closeWithoutSaving = true;
    EXPECT_TRUE(window.close()) << "close anyway";
    EXPECT_FALSE(window.isVisible());
    EXPECT_THAT(closeQuestions, ElementsAre(question, question));
    EXPECT_EQ(os.files[settingsPath()], old);
}

// The system's reason follows the question's first line on a line of its
// own, as a sentence; the refusals the platform makes itself are explained.
TEST_F(SettingsWindowTest, TheQuestionAfterAFailedSaveGivesTheSystemsReason) {
    const std::pair<std::string, std::string> cases[] = {
        {"Permission denied", "Permission denied."},
        {"No such file or directory", "No such file or directory."},
        {"No space left on device", "No space left on device."},
        {"Access is denied", "Access is denied."},
        {"the disk is full", "The disk is full."},
        {std::string(kReadOnlyFileRefusal),
         "The file is read-only; allow writing to it to keep the settings."},
        {std::string(kForeignLinkRefusal),
         "The settings file is a link that another user made in a folder others may write to, so "
         "Quarnel neither reads nor writes the file it points to; remove the link or start "
         "Quarnel in another folder."},
    };
    for (const auto& [reason, line] : cases) {
        closeQuestions.clear();
        TTabbedForm& window = build();
        window.show();
        os.refuseReplaceWith = reason;
        EXPECT_FALSE(window.close()) << reason;
        EXPECT_THAT(closeQuestions,
                    ElementsAre(QString::fromStdString(
                        "In " + settingsPath() + " kann nicht geschrieben werden.\n" + line)));
        os.refuseReplaceWith.reset();
    }
}

TEST_F(SettingsWindowTest, AfterStayingOpenTheNextCloseCanSave) {
    TTabbedForm& window = build();
    window.show();
    os.refuseReplaceWith = "No space left on device";
    EXPECT_FALSE(window.close());

    os.refuseReplaceWith.reset();
    EXPECT_THAT(closeAndReadBack(), HasSubstr("NumOfClips=0\n"));
    EXPECT_FALSE(window.isVisible());
}

// A failure of the keepers is not lost behind the question about the save.
TEST_F(SettingsWindowTest, WhenKeepersAndSaveBothFailBothAreShown) {
    os.refuseLaunchWith = std::string(kQuoteLeftOpen);
    os.files[settingsPath()] =
        "[Program]\nActive=1\n[Setup]\nProgram=/opt/keeper\nParameter='open\n";
    TTabbedForm& window = build();
    window.show();
    os.refuseReplaceWith = "Read-only file system";
    closeWithoutSaving = true;

    EXPECT_TRUE(window.close());
    EXPECT_THAT(errorBoxes, ElementsAre(u"The program parameters leave a quote open: 'open."_s));
    EXPECT_THAT(closeQuestions,
                ElementsAre(QString::fromStdString("In " + settingsPath() +
                                                   " kann nicht geschrieben werden.\n"
                                                   "Read-only file system.")));
}

// A file that exists but cannot be read may hold everything the user wrote:
// the run starts with the defaults and leaves the file alone at close.
TEST_F(SettingsWindowTest, AFileThatCouldNotBeReadIsNeverOverwritten) {
    os.files[settingsPath()] = "[Clips]\nNumOfClips=1\nClip0=precious\n";
    os.unreadableFiles.insert(settingsPath());
    TTabbedForm& window = build();
    EXPECT_THAT(clips(), ElementsAre());
    window.ListBox1->addItem(u"typed in this run"_s);
    window.show();

    EXPECT_TRUE(window.close());
    EXPECT_THAT(os.calls, Not(Contains(HasSubstr("replaceFile"))));
    EXPECT_EQ(os.files[settingsPath()], "[Clips]\nNumOfClips=1\nClip0=precious\n");
    EXPECT_THAT(errorBoxes,
                ElementsAre(QString::fromStdString(
                    settingsPath() + " could not be read at start; it was left as it was.")));
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(errorBoxes.size(), 1) << "said once";
}

// Text the reader cannot make sense of (a NUL is in no settings text) may
// be the user's file in an encoding Quarnel does not know: it is treated as
// a file that cannot be read, and left as it was.
TEST_F(SettingsWindowTest, AFileInNoEncodingTheReaderKnowsIsNeverOverwritten) {
    const std::pair<const char*, std::string> cases[] = {
        {"UTF-32", std::string("\xFF\xFE\0\0[\0\0\0S\0\0\0]\0\0\0", 16)},
        {"UTF-32 without a mark", std::string("[\0\0\0S\0\0\0]\0\0\0\n\0\0\0", 16)},
        {"8-bit text with a NUL", std::string("[Clips]\nNumOfClips=1\nClip0=a\0b\n", 31)},
    };
    for (const auto& [what, file] : cases) {
        unit = UnitState{};
        errorBoxes.clear();
        givenSettingsFile(file);
        TTabbedForm& window = build();
        window.ListBox1->addItem(u"typed in this run"_s);
        window.show();

        EXPECT_TRUE(window.close()) << what;
        EXPECT_EQ(os.files[settingsPath()], file) << what;
        EXPECT_THAT(errorBoxes,
                    ElementsAre(QString::fromStdString(
                        settingsPath() + " could not be read at start; it was left as it was.")))
            << what;
    }
}

TEST_F(SettingsWindowTest, TextsComeBackExactlyAsTheyWereWritten) {
    const QString longClip = QString(u"0123456789"_s).repeated(300);
    const QStringList written = {longClip,           u"  blanks on both sides  "_s,
                                 u"\"in quotes\""_s, u"Grüße Привет 日本 🙂"_s,
                                 u"a=b;c"_s,         u""_s};
    TTabbedForm& window = build();
    window.edServiceName->setText(u" W32Time "_s);
    window.edProgFilePath->setText(u"\"C:\\Program Files\\Sync\\sync.exe\""_s);
    window.edProgParams->setText(u"-server=\"ptb.de\" "_s);
    window.ListBox1->addItems(written);
    EXPECT_THAT(closeAndReadBack(), HasSubstr("Clip3=Grüße Привет 日本 🙂\n"))
        << "UTF-8 text";

    TTabbedForm& next = restart();
    EXPECT_EQ(next.edServiceName->text(), u" W32Time "_s);
    EXPECT_EQ(next.edProgFilePath->text(), u"\"C:\\Program Files\\Sync\\sync.exe\""_s);
    EXPECT_EQ(next.edProgParams->text(), u"-server=\"ptb.de\" "_s);
    EXPECT_EQ(clips(), written);
}

// A carriage return at the end of a value (a CR LF file edited with a stray
// CR, or one left at the end of the file) costs no other character.
TEST_F(SettingsWindowTest, AValueEndingInACarriageReturnKeepsItsOtherCharacters) {
    const std::pair<std::string, QString> cases[] = {
        {"Clip0=CQ DX\r\r\n", u"CQ DX\r"_s}, {"Clip0=CQ DX\r\n", u"CQ DX"_s},
        {"Clip0=CQ DX\r", u"CQ DX"_s},       {"Clip0=CQ\rDX\r\r\n", u"CQ\rDX\r"_s},
        {"Clip0=\r\r\n", u"\r"_s},
    };
    for (const auto& [line, loaded] : cases) {
        givenSettingsFile("[Clips]\r\nNumOfClips=1\r\n" + line);
        build();
        EXPECT_EQ(clips(), QStringList(loaded)) << line;
        closeAndReadBack();
        QString saved = loaded;
        saved.replace(u'\r', u' ');
        EXPECT_EQ(restart().ListBox1->item(0)->text(), saved) << line;
    }
}

// UTF-16 in either byte order, with its mark or without one (an editor's
// choice), is as good as the profile functions' own.
TEST_F(SettingsWindowTest, FilesWrittenByTheWindowsProfileFunctionsAreRead) {
    const std::string utf16 = std::string("\xFF\xFE[\0s\0e\0t\0u\0p\0]\0\r\0\n\0", 20) +
                              std::string("s\0e\0r\0v\0i\0c\0e\0=\0\xE4\0\r\0\n\0", 22);
    const std::string utf16BigEndian = std::string("\xFE\xFF\0[\0s\0e\0t\0u\0p\0]\0\r\0\n", 20) +
                                       std::string("\0s\0e\0r\0v\0i\0c\0e\0=\x65\xE5\0\r\0\n", 22);
    const std::pair<std::string, QString> cases[] = {
        {utf16, u"ä"_s},
        {utf16.substr(2), u"ä"_s},
        {utf16BigEndian, u"日"_s},
        {utf16BigEndian.substr(2), u"日"_s},
        {"[Setup]\r\nService=f\xFCr\r\n", u"für"_s},
        {"\xEF\xBB\xBF[Setup]\nService=f\xC3\xBCr\n", u"für"_s},
    };
    for (const auto& [file, service] : cases) {
        givenSettingsFile(file);
        EXPECT_EQ(build().edServiceName->text(), service);
    }
}

TEST_F(SettingsWindowTest, TheFileIsAlwaysTheOneInTheCurrentDirectoryOfTheMoment) {
    givenSettingsFile("[Setup]\nService=first\n");
    os.workingDirectory = "/srv/radio";
    EXPECT_EQ(build().edServiceName->text(), u""_s) << "the first directory's file is not found";

    os.workingDirectory = "/home/op";
    EXPECT_EQ(restart().edServiceName->text(), u"first"_s);
    os.workingDirectory = "/srv/radio";
    closeAndReadBack();
    EXPECT_THAT(os.calls, ElementsAre(replaceSettingsCall()));
    EXPECT_EQ(os.files[fileInDirectory("/home/op", "Quarnel.ini")], "[Setup]\nService=first\n");
}

TEST_F(SettingsWindowTest, AWindowSavedOffEveryScreenOpensAtThePrimaryScreensCorner) {
    const QPoint corner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const std::pair<QPoint, QPoint> cases[] = {
        {{5000, 5000}, corner},
        {{-3000, 100}, corner},
        {{100, -100}, corner},
        {{-300, 200}, {-300, 200}},
        {{screen.right() - 10, screen.bottom() - 10}, {screen.right() - 10, screen.bottom() - 10}},
    };
    for (const auto& [saved, placed] : cases) {
        givenSettingsFile("[Screen]\nLeft=" + std::to_string(saved.x()) +
                          "\nTop=" + std::to_string(saved.y()) + "\n");
        TTabbedForm& window = build();
        EXPECT_EQ(window.pos(), placed) << saved.x() << "," << saved.y();
        window.show();
        EXPECT_EQ(window.pos(), placed) << "after showing " << saved.x() << "," << saved.y();
    }
}

// A title bar under a panel cannot be grabbed any more than one off every
// screen: what counts is the screens' available area.
TEST_F(SettingsWindowTest, ATitleBarUnderAPanelOpensAtTheCornerOfTheAvailableArea) {
    const QRect belowTopPanel(0, 64, 1920, 1016);  // of a 1920 x 1080 screen
    setDesktopScreensHandler([&] { return QList<QRect>{belowTopPanel}; });
    const std::pair<QPoint, QPoint> cases[] = {
        {{100, 0}, {0, 64}},       // on the screen, under the panel
        {{100, 200}, {100, 200}},  // below the panel
    };
    for (const auto& [saved, placed] : cases) {
        givenSettingsFile("[Screen]\nLeft=" + std::to_string(saved.x()) +
                          "\nTop=" + std::to_string(saved.y()) + "\n");
        TTabbedForm& window = build();
        window.show();
        EXPECT_EQ(window.pos(), placed) << saved.x() << "," << saved.y();
    }
}

TEST_F(SettingsWindowTest, ShowingTheWindowReadsTheSavedPositionAgain) {
    givenSettingsFile("[Screen]\nLeft=10\nTop=20\n");
    TTabbedForm& window = build();
    givenSettingsFile("[Screen]\nLeft=30\nTop=40\n");
    window.show();
    EXPECT_EQ(window.pos(), QPoint(30, 40));
    EXPECT_THAT(closeAndReadBack(), HasSubstr("Left=30\nTop=40\n"));
}

}  // namespace
}  // namespace quarnel::testing
