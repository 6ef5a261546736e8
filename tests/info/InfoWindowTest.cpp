// The Info tab and the Help button on the platform double: which version file
// is read, and exactly what is handed to the desktop to open.
#include <gtest/gtest.h>

#include <QtTest/QTest>

#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(WindowTest, TheVersionOfTheProgramFileInTheCurrentDirectoryIsShown) {
    const struct {
        FileVersion version;
        QString text;
    } cases[] = {
        {{2, 1, 0, 15}, u"2.1.0.15"_s},
        {{65535, 65535, 65535, 65535}, u"65535.65535.65535.65535"_s},
    };
    for (const auto& [version, text] : cases) {
        unit = UnitState{};
        os.workingDirectory = "/home/op/radio";
        os.versions = {{programFileIn(os.workingDirectory), version}};
        TTabbedForm& window = build();
        EXPECT_EQ(unit.VersionText, text);
        EXPECT_EQ(window.lblVersionNumber->text(), text);
    }
}

TEST_F(WindowTest, WithoutAReadableVersionTheLabelStaysEmpty) {
    os.versions = {{"/home/op/other/quarnel", {2, 1, 0, 15}},
                   {"/home/op/Quarnel.exe", {1, 0, 0, 0}}};
    TTabbedForm& window = build();
    EXPECT_EQ(unit.VersionText, u""_s);
    EXPECT_EQ(window.lblVersionNumber->text(), u""_s);
}

TEST_F(WindowTest, AnUnreadableVersionLeavesTheVersionTextAsItWas) {
    os.versions = {{programFileIn(os.workingDirectory), {2, 1, 0, 15}}};
    TTabbedForm& window = build();
    os.versions.clear();
    window.ShowVersion();
    EXPECT_EQ(unit.VersionText, u"2.1.0.15"_s);
}

TEST_F(WindowTest, InTheRootDirectoryThePathsKeepTheDoubledSeparator) {
    os.workingDirectory = kRootDirectory;
    os.versions = {
        {kRootDirectory + std::string(kBuiltForConventions.programFileName), {9, 9, 9, 9}},
        {programFileIn(kRootDirectory), {2, 1, 0, 15}}};
    TTabbedForm& window = build();
    EXPECT_EQ(window.lblVersionNumber->text(), u"2.1.0.15"_s);

    QTest::mouseClick(window.btnHelpTimeAdjust, Qt::LeftButton);
    EXPECT_THAT(os.calls, ElementsAre("openDocument [" +
                                      fileInDirectory(kRootDirectory, "QuarnelHelp.html") + "]"));
}

// The platform's answers decide the file name and the separator, so each
// system's are tried on every build.
TEST_F(WindowTest, TheVersionIsAskedOfTheProgramFileOfTheSystemThePlatformAnswersFor) {
    const struct {
        SystemConventions system;
        std::string directory;
        std::string programFile;
    } cases[] = {
        {kWindowsConventions, R"(C:\Radio)", R"(C:\Radio\Quarnel.exe)"},
        {kLinuxConventions, "/home/op/radio", "/home/op/radio/quarnel"},
    };
    for (const auto& [system, directory, programFile] : cases) {
        unit = UnitState{};
        os.answersFor = system;
        os.workingDirectory = directory;
        os.versions = {{programFile, {2, 1, 0, 15}}};
        TTabbedForm& window = build();
        EXPECT_EQ(window.lblVersionNumber->text(), u"2.1.0.15"_s) << programFile;
    }
}

TEST_F(WindowTest, HelpOpensTheHelpPageOfTheCurrentDirectory) {
    os.workingDirectory = "/home/op/radio";
    TTabbedForm& window = build();
    QTest::mouseClick(window.btnHelpTimeAdjust, Qt::LeftButton);
    EXPECT_THAT(os.calls, ElementsAre("openDocument [" +
                                      fileInDirectory("/home/op/radio", "QuarnelHelp.html") + "]"));
}

// An installed program on Linux: its own file, and the installed help page.
TEST_F(WindowTest, TheVersionAndTheHelpPageAreWhereThePlatformFindsThem) {
    os.workingDirectory = "/home/op/empty";
    os.programFileAt = "/proc/self/exe";
    os.helpPageAt = "/usr/share/doc/quarnel/QuarnelHelp.html";
    os.versions = {{"/proc/self/exe", {1, 0, 0, 0}}, {"/home/op/empty/quarnel", {9, 9, 9, 9}}};
    TTabbedForm& window = build();
    EXPECT_EQ(window.lblVersionNumber->text(), u"1.0.0.0"_s);

    QTest::mouseClick(window.btnHelpTimeAdjust, Qt::LeftButton);
    EXPECT_THAT(os.calls, ElementsAre("openDocument [/usr/share/doc/quarnel/QuarnelHelp.html]"));
}

TEST_F(WindowTest, TheHomePageButtonOpensWhatItShows) {
    TTabbedForm& window = build();
    EXPECT_EQ(window.btnURL->text(), QStringLiteral(QUARNEL_HOME_PAGE));
    QTest::mouseClick(window.btnURL, Qt::LeftButton);

    window.btnURL->setText(u"https://example.net/73"_s);
    QTest::mouseClick(window.btnURL, Qt::LeftButton);
    EXPECT_THAT(os.calls, ElementsAre("openDocument [" QUARNEL_HOME_PAGE "]",
                                      "openDocument [https://example.net/73]"));
}

TEST_F(WindowTest, TheDonatePictureOpensTheDonationAddress) {
    TTabbedForm& window = build();
    EXPECT_EQ(DonationAddress, QStringLiteral(QUARNEL_DONATION_ADDRESS));
    QTest::mouseClick(window.imgDonateButton, Qt::LeftButton);
    EXPECT_THAT(os.calls, ElementsAre("openDocument [" QUARNEL_DONATION_ADDRESS "]"));
}

TEST_F(WindowTest, TheSpeedButtonAndTheQrCodeOpenNothing) {
    TTabbedForm& window = build();
    QTest::mouseClick(window.spBtnDonate, Qt::LeftButton);
    QTest::mouseClick(window.Image1, Qt::LeftButton);
    EXPECT_THAT(os.calls, IsEmpty());
}

TEST_F(WindowTest, TheInfoPicturesHaveTheirSizes) {
    TTabbedForm& window = build();
    EXPECT_EQ(window.imgDonateButton->pixmap().size(), QSize(92, 47));
    EXPECT_EQ(window.Image1->pixmap().size(), QSize(128, 128));
    EXPECT_TRUE(window.Image1->isFitted()) << "fitted into its 137 x 127 control, kept square";
}

}  // namespace
}  // namespace quarnel::testing
