#include <gtest/gtest.h>

#include "WindowsTestSupport.h"
#include "platform/SystemPlatform.h"

// ResourceProbe carries the resource script of Quarnel.exe, which cannot be
// built here without Qt for Windows.
namespace quarnel {
namespace {

using testing::helperProgram;

class WindowsResourcesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        probe = LoadLibraryExW(helperProgram(L"ResourceProbe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(probe, nullptr);
    }
    void TearDown() override {
        if (probe != nullptr) {
            FreeLibrary(probe);
        }
    }

    std::string manifest() const {
        const HRSRC found = FindResourceW(probe, MAKEINTRESOURCEW(1), RT_MANIFEST);
        if (found == nullptr) {
            return {};
        }
        const auto* text = static_cast<const char*>(LockResource(LoadResource(probe, found)));
        return std::string(text, SizeofResource(probe, found));
    }

    HMODULE probe = nullptr;
};

TEST_F(WindowsResourcesTest, TheManifestAsksForAdministratorRights) {
    EXPECT_NE(manifest().find(R"(<requestedExecutionLevel level="requireAdministrator")"),
              std::string::npos)
        << manifest();
}

// Windows treats a program as written for the newest system its manifest
// names; one GUID stands for both Windows 10 and Windows 11.
TEST_F(WindowsResourcesTest, TheManifestNamesVistaUpToWindows10And11AsSupported) {
    const std::string text = manifest();
    const auto begin = text.find("<compatibility ");
    const auto end = text.find("</compatibility>");
    ASSERT_NE(begin, std::string::npos) << text;
    ASSERT_NE(end, std::string::npos) << text;
    const std::string compatibility = text.substr(begin, end - begin);
    for (const char* system : {
             "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
         }) {
        EXPECT_NE(compatibility.find(R"(<supportedOS Id=")" + std::string(system) + R"("/>)"),
                  std::string::npos)
            << system;
    }
}

TEST_F(WindowsResourcesTest, TheManifestDeclaresPerMonitorDpiAwareness) {
    const std::string text = manifest();
    for (const char* expected :
         {">PerMonitorV2, PerMonitor</dpiAwareness>", ">true/pm</dpiAware>"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
}

TEST_F(WindowsResourcesTest, CarriesTheProgramIcon) {
    EXPECT_NE(FindResourceW(probe, L"IDI_QUARNEL", RT_GROUP_ICON), nullptr);
}

TEST(WindowsResourcesVersionTest, TheFixedFileVersionIsTheProjectVersion) {
    SystemPlatform system;
    const auto version = system.readFileVersion(testing::utf8(helperProgram(L"ResourceProbe")));
    ASSERT_TRUE(version);
    EXPECT_EQ(std::to_string(version->major) + "." + std::to_string(version->minor) + "." +
                  std::to_string(version->release) + "." + std::to_string(version->build),
              QUARNEL_VERSION_TEXT);
}

}  // namespace
}  // namespace quarnel
