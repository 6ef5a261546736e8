#include <gtest/gtest.h>

#include "keepers/FileNamePart.h"
#include "platform/SystemConventions.h"

namespace quarnel {
namespace {

struct FileNamePartCase {
    const char* path;
    const char* onWindows;
    const char* onLinux;
};

class FileNamePartTest : public ::testing::TestWithParam<FileNamePartCase> {};

TEST_P(FileNamePartTest, IsTheTextAfterTheLastSeparator) {
    const FileNamePartCase& c = GetParam();
    EXPECT_EQ(fileNamePart(c.path, kWindowsPathSeparators), c.onWindows) << c.path;
    EXPECT_EQ(fileNamePart(c.path, kLinuxPathSeparators), c.onLinux) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileNamePartTest,
    ::testing::Values(
        FileNamePartCase{R"(C:\Tools\Clock\MyClock.exe)", "MyClock.exe",
                         R"(C:\Tools\Clock\MyClock.exe)"},
        FileNamePartCase{"C:MyClock.exe", "MyClock.exe", "C:MyClock.exe"},
        FileNamePartCase{R"(\\server\share\sync.exe)", "sync.exe", R"(\\server\share\sync.exe)"},
        // Windows takes "/" too: Qt's file dialog writes it.
        FileNamePartCase{"C:/Tools/MyClock.exe", "MyClock.exe", "MyClock.exe"},
        FileNamePartCase{"/usr/local/bin/clock-keeper", "clock-keeper", "clock-keeper"},
        FileNamePartCase{"/opt/odd:name/keeper", "keeper", "keeper"},
        FileNamePartCase{R"(/home/op/a\b)", R"(b)", R"(a\b)"},
        FileNamePartCase{"prog.exe", "prog.exe", "prog.exe"},
        FileNamePartCase{"My Clock.exe", "My Clock.exe", "My Clock.exe"},
        FileNamePartCase{R"(C:\Tools\)", "", R"(C:\Tools\)"}, FileNamePartCase{"/usr/bin/", "", ""},
        FileNamePartCase{"C:", "", "C:"}, FileNamePartCase{"", "", ""}));

TEST(FileNamePartTest, ThisBuildUsesItsOwnSystemsSeparators) {
    const std::string_view separators = kBuiltForConventions.programPathSeparators;
#ifdef _WIN32
    EXPECT_EQ(fileNamePart(R"(C:\bin\keeper.exe)", separators), "keeper.exe");
#else
    EXPECT_EQ(fileNamePart("/usr/bin/keeper", separators), "keeper");
    EXPECT_EQ(fileNamePart(R"(C:\bin\keeper.exe)", separators), R"(C:\bin\keeper.exe)");
#endif
}

}  // namespace
}  // namespace quarnel
