#include "platform/linux/LaunchEnvironment.h"

#include <gmock/gmock.h>

namespace quarnel {
namespace {

using ::testing::ElementsAre;

TEST(LaunchEnvironmentTest, LeavesOutTheLoadersAndQuarnelsOwnVariables) {
    EXPECT_THAT(
        launchEnvironment({"HOME=/home/op", "LD_PRELOAD=/opt/shim.so", "LD_LIBRARY_PATH=/opt/lib",
                           "LD_AUDIT=/opt/audit.so", "LD_BIND_NOW=1",
                           "GLIBC_TUNABLES=glibc.malloc.check=3", "QUARNEL_CLOCKSHIM_LOG=/tmp/log",
                           "PATH=/usr/bin:/bin", "OLD_PRELOAD=kept", "LD=kept", "LANG=de_DE.UTF-8",
                           "EMPTY=", "XLD_PRELOAD=kept", "LD_PRELOAD"}),
        ElementsAre("HOME=/home/op", "PATH=/usr/bin:/bin", "OLD_PRELOAD=kept", "LD=kept",
                    "LANG=de_DE.UTF-8", "EMPTY=", "XLD_PRELOAD=kept"));
}

}  // namespace
}  // namespace quarnel
