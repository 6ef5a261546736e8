#include <gtest/gtest.h>

#include <string>

#include "platform/linux/ProcessIdentity.h"

namespace quarnel {
namespace {

TEST(ProcessIdentityTest, TheExecutableIsNamedByItsFileEvenAfterItWasReplaced) {
    EXPECT_EQ(executableFileName("/usr/sbin/chronyd", false), "chronyd");
    EXPECT_EQ(executableFileName("/usr/sbin/chronyd (deleted)", true), "chronyd");
    EXPECT_EQ(executableFileName("/opt/My Clock/keeper", false), "keeper");
    EXPECT_EQ(executableFileName("/opt/keeper (deleted) (deleted)", true), "keeper (deleted)");
}

// A file may carry the mark in its own name; only a deleted one loses it.
TEST(ProcessIdentityTest, TheDeletedMarkOfAFileThatStillExistsIsPartOfItsName) {
    EXPECT_EQ(executableFileName("/opt/keeper (deleted)", false), "keeper (deleted)");
    EXPECT_EQ(executableFileName("/opt/keeper", true), "keeper");
}

TEST(ProcessIdentityTest, OnlyIdsOfSingleProcessesAreSignalled) {
    EXPECT_EQ(signalTarget(1234), 1234);
    EXPECT_EQ(signalTarget(0), std::nullopt) << "0 signals our own process group";
    EXPECT_EQ(signalTarget(0xFFFFFFFF), std::nullopt) << "-1 signals every process";
    EXPECT_EQ(signalTarget(0x80000000), std::nullopt) << "negative ids signal groups";
    EXPECT_EQ(signalTarget(0x7FFFFFFF), 0x7FFFFFFF);
}

}  // namespace
}  // namespace quarnel
