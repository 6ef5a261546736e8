#include <gtest/gtest.h>

#include "WindowsTestSupport.h"
#include "platform/SystemPlatform.h"

namespace quarnel {
namespace {

using testing::helperProgram;
using testing::utf8;

// The fixture's product version and version texts say otherwise: only the
// fixed file version counts.
TEST(WindowsVersionTest, ReadsTheFixedFileVersion) {
    SystemPlatform system;
    EXPECT_EQ(system.readFileVersion(utf8(helperProgram(L"VersionFixture"))),
              (FileVersion{2, 1, 0, 15}));
}

TEST(WindowsVersionTest, AProgramWithoutAVersionResourceHasNoVersion) {
    SystemPlatform system;
    EXPECT_EQ(system.readFileVersion(utf8(helperProgram(L"Sleeper"))), std::nullopt);
}

TEST(WindowsVersionTest, AMissingFileHasNoVersion) {
    SystemPlatform system;
    EXPECT_EQ(system.readFileVersion(utf8(helperProgram(L"NoSuchProgram"))), std::nullopt);
}

TEST(WindowsVersionTest, AVersionBlockAbove4096BytesCountsAsUnreadable) {
    const auto fixture = helperProgram(L"LargeVersionFixture");
    DWORD unused = 0;
    ASSERT_GT(GetFileVersionInfoSizeW(fixture.c_str(), &unused), 4096u)
        << "the fixture must be larger than the reader's buffer";

    SystemPlatform system;
    EXPECT_EQ(system.readFileVersion(utf8(fixture)), std::nullopt);
}

}  // namespace
}  // namespace quarnel
