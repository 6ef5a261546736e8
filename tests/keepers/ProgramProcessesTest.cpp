#include <gmock/gmock.h>

#include "keepers/ProgramProcesses.h"

namespace quarnel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kSelf = 4242;

struct MatchCase {
    const char* what;
    const char* processName;
    const char* configuredName;
    bool matches;
};

class ProgramMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(ProgramMatchTest, OnlyTheSameNameIsTheProgram) {
    const MatchCase& c = GetParam();
    const std::vector<std::uint32_t> found =
        processesOfProgram({{7, c.processName}}, c.configuredName, kSelf);
    EXPECT_EQ(!found.empty(), c.matches) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgramMatchTest,
                         ::testing::Values(MatchCase{"equal", "MyClock.exe", "MyClock.exe", true},
                                           MatchCase{"contained in the configured name",
                                                     "Clock.exe", "MyClock.exe", false},
                                           MatchCase{"containing the configured name",
                                                     "MyClock.exe", "Clock.exe", false},
                                           MatchCase{"other case", "clock.exe", "Clock.exe", false},
                                           MatchCase{"other case", "CLOCK", "clock", false},
                                           MatchCase{"trailing blank", "clock ", "clock", false},
                                           MatchCase{"empty configured name", "", "", false},
                                           MatchCase{"empty process name", "", "clock", false}));

TEST(ProgramProcessesTest, FindsEveryCopyInListOrderButNeverItself) {
    const std::vector<RunningProcess> running{{31, "keeper"},    {32, "keeper-helper"},
                                              {kSelf, "keeper"}, {35, "mykeeper"},
                                              {36, "keeper"},    {37, "Keeper"}};
    EXPECT_THAT(processesOfProgram(running, "keeper", kSelf), ElementsAre(31, 36));
    EXPECT_THAT(processesOfProgram(running, "absent", kSelf), IsEmpty());
    EXPECT_THAT(processesOfProgram({}, "keeper", kSelf), IsEmpty());
}

}  // namespace
}  // namespace quarnel
