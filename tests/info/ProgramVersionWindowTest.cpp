// The version note that the build puts into the quarnel program file reads
// back as the project's version.
#include <gtest/gtest.h>

#include "info/VersionText.h"
#include "platform/SystemPlatform.h"

namespace quarnel {
namespace {

TEST(ProgramVersionTest, TheProgramFileCarriesTheProjectVersion) {
    SystemPlatform system;
    const std::optional<FileVersion> version = system.readFileVersion(QUARNEL_PROGRAM_FILE);
    ASSERT_TRUE(version);
    EXPECT_EQ(formatVersionText({version->major, version->minor, version->release, version->build}),
              QUARNEL_PROJECT_VERSION);
}

}  // namespace
}  // namespace quarnel
