// The settings file on the real Linux file system, in a directory of the
// test's own that becomes the current directory and holds the configuration
// folder (XDG_CONFIG_HOME) too.
#include <gmock/gmock.h>
#include <unistd.h>

#include <QGuiApplication>
#include <filesystem>
#include <fstream>

#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/ScratchSupport.h"
#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

class SettingsOnLinuxTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        setPlatform(system);
        QGuiApplication::setQuitOnLastWindowClosed(false);
        char pattern[] = "/tmp/quarnel-settings-XXXXXX";
        directory = ::mkdtemp(pattern);
        previous = fs::current_path();
        fs::current_path(directory);
        configHome.emplace("XDG_CONFIG_HOME", (directory / "config").string());
    }
    void TearDown() override {
        WindowTest::TearDown();
        QGuiApplication::setQuitOnLastWindowClosed(true);
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

    LinuxPlatform system;
    fs::path directory;
    fs::path previous;
    std::optional<ScopedVariable> configHome;
};

TEST_F(SettingsOnLinuxTest, WhatOneRunSavesTheNextRunLoads) {
    TTabbedForm& window = build();
    window.edServiceName->setText("chrony");
    window.ListBox1->addItems({"Grüße ", " \"73\""});
    ASSERT_TRUE(window.close());
    EXPECT_THAT(entries(directory / "config" / "quarnel"), ElementsAre("Quarnel.ini"))
        << "no temporary file left";

    form.reset();
    unit = UnitState{};
    TTabbedForm& next = build();
    EXPECT_EQ(next.edServiceName->text(), "chrony");
    ASSERT_EQ(next.ListBox1->count(), 2);
    EXPECT_EQ(next.ListBox1->item(0)->text(), "Grüße ");
    EXPECT_EQ(next.ListBox1->item(1)->text(), " \"73\"");
}

// A directory in the file's place cannot be replaced, not even by root.
TEST_F(SettingsOnLinuxTest, AFileThatCannotBeWrittenIsNamedInFullAndTheWindowStaysOpen) {
    fs::create_directory(directory / "Quarnel.ini");
    TTabbedForm& window = build();
    window.show();

    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    const std::string path = (directory / "Quarnel.ini").string();
    EXPECT_THAT(errorBoxes, ElementsAre(QString::fromStdString("In " + path +
                                                               " kann nicht geschrieben werden.")));
    EXPECT_THAT(entries(directory), ElementsAre("Quarnel.ini"));
    EXPECT_TRUE(fs::is_empty(directory / "Quarnel.ini"));
}

}  // namespace
}  // namespace quarnel::testing
