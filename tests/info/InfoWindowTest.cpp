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

// The running program's own file, wherever the program was started from: a
// program file of the same name in the current directory is another copy.
TEST_F(WindowTest, TheVersionOfTheRunningProgramsFileIsShown) {
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
        os.programFileAt = "/opt/quarnel/bin/quarnel";
        os.versions = {{"/opt/quarnel/bin/quarnel", version},
                       {"/home/op/radio/quarnel", {9, 9, 9, 9}},
                       {"/home/op/radio/Quarnel.exe", {9, 9, 9, 9}}};
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
    os.versions = {{os.programFileAt, {2, 1, 0, 15}}};
    TTabbedForm& window = build();
    os.versions.clear();
    window.ShowVersion();
    EXPECT_EQ(unit.VersionText, u"2.1.0.15"_s);
}

// The current directory's page wins, so a folder of the user's own can hold a
// page of its own; the installed one is the next choice. Where neither has
// it, the user is told both places, and nothing is opened.
TEST_F(WindowTest, HelpOpensThePageOfTheCurrentDirectoryElseTheInstalledOne) {
    const std::string here = fileInDirectory("/home/op/radio", "QuarnelHelp.html");
    const std::string installed = fileInDirectory("/opt/quarnel/doc", "QuarnelHelp.html");
    const struct {
        const char* what;
        std::vector<std::string> pages;
        std::optional<std::string> opened;
        std::string errorBox;
    } cases[] = {
        {"in both", {here, installed}, here, {}},
        {"in the current directory", {here}, here, {}},
        {"installed only", {installed}, installed, {}},
        {"nowhere",
         {},
         std::nullopt,
         "The help page QuarnelHelp.html was found neither in /home/op/radio nor in "
         "/opt/quarnel/doc."},
    };
    for (const auto& [what, pages, opened, errorBox] : cases) {
        SCOPED_TRACE(what);
        os.workingDirectory = "/home/op/radio";
        os.installedHelpFolderAt = "/opt/quarnel/doc";
        os.files.clear();
        for (const std::string& page : pages) {
            os.files[page] = "<html></html>";
        }
        os.calls.clear();
        errorBoxes.clear();
        TTabbedForm& window = build();
        QTest::mouseClick(window.btnHelpTimeAdjust, Qt::LeftButton);
        if (opened) {
            EXPECT_THAT(os.calls, ElementsAre("openDocument [" + *opened + "]"));
        } else {
            EXPECT_THAT(os.calls, IsEmpty());
        }
        EXPECT_EQ(errorBoxes.join(u'|').toStdString(), errorBox);
    }
}

// Started from the program's folder the two places are one; a program whose
// own file cannot be told has only the current directory to look in.
TEST_F(WindowTest, AMissingHelpPageNamesEachFolderLookedInOnce) {
    for (const std::optional<std::string>& installedFolder :
         {std::optional<std::string>("/home/op/radio"), std::optional<std::string>()}) {
        os.workingDirectory = "/home/op/radio";
        os.installedHelpFolderAt = installedFolder;
        errorBoxes.clear();
        TTabbedForm& window = build();
        QTest::mouseClick(window.btnHelpTimeAdjust, Qt::LeftButton);
        EXPECT_EQ(errorBoxes.join(u'|').toStdString(),
                  "The help page QuarnelHelp.html was not found in /home/op/radio.");
    }
}

// The platform's answers decide the separator, so each system's are tried on
// every build; a root directory keeps its separator and gets one more.
TEST_F(WindowTest, TheHelpPageIsJoinedWithTheSeparatorOfTheSystemThePlatformAnswersFor) {
    const struct {
        SystemConventions system;
        std::string directory;
        std::string page;
    } cases[] = {
        {kWindowsConventions, R"(C:\Radio)", R"(C:\Radio\QuarnelHelp.html)"},
        {kWindowsConventions, R"(C:\)", R"(C:\\QuarnelHelp.html)"},
        {kLinuxConventions, "/home/op/radio", "/home/op/radio/QuarnelHelp.html"},
        {kLinuxConventions, "/", "//QuarnelHelp.html"},
    };
    for (const auto& [system, directory, page] : cases) {
        SCOPED_TRACE(page);
        os.answersFor = system;
        os.workingDirectory = directory;
        os.files = {{page, "<html></html>"}};
        os.calls.clear();
        TTabbedForm& window = build();
        QTest::mouseClick(window.btnHelpTimeAdjust, Qt::LeftButton);
        EXPECT_THAT(os.calls, ElementsAre("openDocument [" + page + "]"));
    }
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

// The desktop may have no program for the page or the address: that is said,
// not assumed away.
TEST_F(WindowTest, WhatTheDesktopCannotOpenIsReported) {
    os.refuseOpenWith = "xdg-open: no method available for opening https://example.net/73";
    os.files = {{fileInDirectory(os.workingDirectory, "QuarnelHelp.html"), "<html></html>"}};
    TTabbedForm& window = build();
    window.btnURL->setText(u"https://example.net/73"_s);
    QTest::mouseClick(window.btnURL, Qt::LeftButton);
    QTest::mouseClick(window.btnHelpTimeAdjust, Qt::LeftButton);
    EXPECT_EQ(errorBoxes,
              QStringList({u"https://example.net/73 could not be opened: xdg-open: no method "
                           u"available for opening https://example.net/73."_s,
                           u"The help page QuarnelHelp.html could not be opened: xdg-open: no "
                           u"method available for opening https://example.net/73."_s}));
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
    // One pixel per module, the smallest code's 21 and the quiet zone's 8 at
    // least; enlarged by whole screen pixels into its 137 x 127 control.
    const QSize code = window.Image1->pixmap().size();
    EXPECT_EQ(code.width(), code.height());
    EXPECT_GE(code.width(), 21 + 8);
    EXPECT_TRUE(window.Image1->isFitted());
    EXPECT_TRUE(window.Image1->hasWholePixels());
}

}  // namespace
}  // namespace quarnel::testing
