#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <memory>

#include "WindowsTestSupport.h"
#include "platform/SystemPlatform.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using testing::ScratchDirectory;
using testing::StartedProgram;
using ::testing::UnorderedElementsAre;

// Two copies of a time keeper under a name of this test run's own, and a
// program whose name contains that name and must be spared.
class WindowsProcessesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::wstring name = testing::uniqueName(L"qkeeper");
        keeperName = name + L".exe";
        const auto sleeper = testing::helperProgram(L"Sleeper");
        fs::copy_file(sleeper, scratch.path() / keeperName);
        fs::copy_file(sleeper, scratch.path() / (L"x" + keeperName));
        first = std::make_unique<StartedProgram>(scratch.path() / keeperName);
        second = std::make_unique<StartedProgram>(scratch.path() / keeperName);
        spared = std::make_unique<StartedProgram>(scratch.path() / (L"x" + keeperName));
    }

    std::string keeper() const { return toUtf8(keeperName); }

    ScratchDirectory scratch;
    std::wstring keeperName;
    std::unique_ptr<StartedProgram> first, second, spared;
    SystemPlatform system;
};

TEST_F(WindowsProcessesTest, FindsEveryCopyByItsExactFileName) {
    EXPECT_THAT(system.findProcessesByFileName(keeper()),
                UnorderedElementsAre(first->id(), second->id()));
    EXPECT_THAT(system.findProcessesByFileName("x" + keeper()), ElementsAre(spared->id()));
}

TEST_F(WindowsProcessesTest, MatchesTheFileNameWithoutRegardToCase) {
    std::wstring upper = keeperName;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    EXPECT_THAT(system.findProcessesByFileName(toUtf8(upper)),
                UnorderedElementsAre(first->id(), second->id()));
}

TEST_F(WindowsProcessesTest, APartOfTheNameOrANameAroundItFindsNothing) {
    EXPECT_THAT(system.findProcessesByFileName(keeper().substr(1)), IsEmpty());
    EXPECT_THAT(system.findProcessesByFileName(keeper() + "x"), IsEmpty());
}

TEST_F(WindowsProcessesTest, TerminatesTheFoundCopiesWithExitCodeZeroAndSparesTheRest) {
    for (const ProcessId id : system.findProcessesByFileName(keeper())) {
        system.terminateProcess(id);
    }
    EXPECT_EQ(first->exitCodeWithin(10s), 0u);
    EXPECT_EQ(second->exitCodeWithin(10s), 0u);
    EXPECT_TRUE(spared->running());
}

TEST(WindowsProcessesOwnTest, NeverFindsItsOwnProcess) {
    SystemPlatform system;
    const std::wstring self = testing::testProgram().filename().wstring();
    EXPECT_THAT(system.findProcessesByFileName(toUtf8(self)),
                Not(::testing::Contains(GetCurrentProcessId())));
}

TEST(WindowsProcessesOwnTest, AnEmptyFileNameFindsNothing) {
    SystemPlatform system;
    EXPECT_THAT(system.findProcessesByFileName(""), IsEmpty());
}

}  // namespace
}  // namespace quarnel
