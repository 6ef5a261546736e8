// The settings file on the real Linux file system, in a directory of the
// test's own that becomes the current directory and holds the configuration
// folder (XDG_CONFIG_HOME) too.
#include <gmock/gmock.h>
#include <unistd.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/SystemPlatform.h"
#include "platform/linux/ScratchSupport.h"
#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class SettingsOnLinuxTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        setPlatform(system);
        char pattern[] = "/tmp/quarnel-settings-XXXXXX";
        directory = ::mkdtemp(pattern);
        previous = fs::current_path();
        fs::current_path(directory);
        configHome.emplace("XDG_CONFIG_HOME", (directory / "config").string());
    }
    void TearDown() override {
        WindowTest::TearDown();
        configHome.reset();
        fs::current_path(previous);
        fs::remove_all(directory);
    }

    std::vector<std::string> entries(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename());
        }
        return names;
    }

    SystemPlatform system;
    fs::path directory;
    fs::path previous;
    std::optional<ScopedVariable> configHome;
};

TEST_F(SettingsOnLinuxTest, WhatOneRunSavesTheNextRunLoads) {
    TTabbedForm& window = build();
    window.edServiceName->setText(u"chrony"_s);
    window.ListBox1->addItems({u"Grüße "_s, u" \"73\""_s});
    ASSERT_TRUE(window.close());
    EXPECT_THAT(entries(directory / "config" / "quarnel"), ElementsAre("Quarnel.ini"))
        << "no temporary file left";

    form.reset();
    unit = UnitState{};
    TTabbedForm& next = build();
    EXPECT_EQ(next.edServiceName->text(), u"chrony"_s);
    ASSERT_EQ(next.ListBox1->count(), 2);
    EXPECT_EQ(next.ListBox1->item(0)->text(), u"Grüße "_s);
    EXPECT_EQ(next.ListBox1->item(1)->text(), u" \"73\""_s);
}

// A link into a directory that does not exist reads as a missing file, and
// cannot be written, not even by root.
TEST_F(SettingsOnLinuxTest, AFileThatCannotBeWrittenIsNamedInFullAndTheUserChooses) {
    fs::create_symlink("gone/Quarnel.ini", directory / "Quarnel.ini");
    TTabbedForm& window = build();
    window.show();
    const QString question = QString::fromStdString("In " + (directory / "Quarnel.ini").string() +
                                                    " kann nicht geschrieben werden.\n"
                                                    "No such file or directory.");

    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_THAT(closeQuestions, ElementsAre(question));

    closeWithoutSaving = true;
    EXPECT_TRUE(window.close());
    EXPECT_THAT(closeQuestions, ElementsAre(question, question));
    EXPECT_THAT(entries(directory), ElementsAre("Quarnel.ini"));
    EXPECT_THAT(errorBoxes, ElementsAre());
}

// A link another user put into a working folder everyone may write to is not
// followed: the file it aims at is neither read nor made, and the question
// says why.
TEST_F(SettingsOnLinuxTest, APlantedLinkIsNotFollowedAndTheQuestionSaysWhy) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a link to another user needs root";
    }
    ::chmod(directory.c_str(), 0777);
    const fs::path aimedAt = directory / "notes.txt";
    const fs::path link = directory / "Quarnel.ini";
    fs::create_symlink(aimedAt, link);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    TTabbedForm& window = build();
    window.show();

    EXPECT_FALSE(window.close());
    EXPECT_THAT(closeQuestions,
                ElementsAre(QString::fromStdString(
                    "In " + link.string() +
                    " kann nicht geschrieben werden.\nThe settings file is a link that another "
                    "user made in a folder others may write to, so Quarnel neither reads nor "
                    "writes the file it points to; remove the link or start Quarnel in another "
                    "folder.")));
    EXPECT_FALSE(fs::exists(aimedAt));
    EXPECT_TRUE(fs::is_symlink(link));
}

// Root reads files whatever their permissions; these cannot be read by
// anyone. Each is left exactly as it was, and the user is told.
TEST_F(SettingsOnLinuxTest, AnExistingFileThatCannotBeReadIsLeftAsItWas) {
    const fs::path file = directory / "Quarnel.ini";
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"larger than any settings file",
         [&] {
             std::ofstream(file) << "[Clips]\nNumOfClips=1\nClip0=precious\n";
             fs::resize_file(file, 65 * 1024 * 1024);
         }},
        {"a directory", [&] { fs::create_directory(file); }},
        {"a FIFO", [&] { ::mkfifo(file.c_str(), 0600); }},
    };
    for (const auto& [what, make] : cases) {
        errorBoxes.clear();
        unit = UnitState{};
        make();
        const fs::file_status before = fs::status(file);
        const auto sizeBefore = fs::is_regular_file(before) ? fs::file_size(file) : 0;

        TTabbedForm& window = build();
        EXPECT_EQ(window.ListBox1->count(), 0) << what;
        window.ListBox1->addItem(u"typed in this run"_s);
        window.show();
        EXPECT_TRUE(window.close()) << what;

        EXPECT_EQ(fs::status(file).type(), before.type()) << what;
        if (fs::is_regular_file(before)) {
            EXPECT_EQ(fs::file_size(file), sizeBefore) << what;
        }
        EXPECT_THAT(entries(directory), ElementsAre("Quarnel.ini")) << what;
        EXPECT_THAT(errorBoxes,
                    ElementsAre(QString::fromStdString(
                        file.string() + " could not be read at start; it was left as it was.")))
            << what;
        form.reset();
        fs::remove_all(file);
    }
}

// A link the user made stays a link: the file it points to is replaced, in
// its own directory; one that points nowhere is a first start.
TEST_F(SettingsOnLinuxTest, ASettingsFileReachedThroughALinkStaysALink) {
    fs::create_directory(directory / "kept");
    fs::create_symlink("kept/Quarnel.ini", directory / "Quarnel.ini");
    TTabbedForm& first = build();
    EXPECT_EQ(first.ListBox1->count(), 0);
    first.ListBox1->addItem(u"through the link"_s);
    ASSERT_TRUE(first.close());

    EXPECT_TRUE(fs::is_symlink(directory / "Quarnel.ini"));
    EXPECT_TRUE(fs::is_regular_file(directory / "kept" / "Quarnel.ini"));
    form.reset();
    unit = UnitState{};
    TTabbedForm& next = build();
    ASSERT_EQ(next.ListBox1->count(), 1);
    EXPECT_EQ(next.ListBox1->item(0)->text(), u"through the link"_s);
}

}  // namespace
}  // namespace quarnel::testing
