#include <gtest/gtest.h>
#include <windows.h>

#include "platform/windows/SystemReason.h"

namespace quarnel {
namespace {

// The reason stands inside the program's own sentence, so it must not carry
// line breaks or a full stop of its own.
TEST(SystemReasonTest, ARefusalReadsAsOneLineWithoutTheClosingStop) {
    const std::string reason = systemReason(ERROR_PRIVILEGE_NOT_HELD);
    ASSERT_FALSE(reason.empty());
    EXPECT_EQ(reason.find_first_of("\r\n"), std::string::npos) << reason;
    EXPECT_NE(reason.back(), '.') << reason;
    EXPECT_NE(reason.back(), ' ') << reason;
}

TEST(SystemReasonTest, AnErrorWithoutSystemTextIsNamedByItsCode) {
    EXPECT_EQ(systemReason(0x2FFF'FFFF), "Windows error 805306367");
}

}  // namespace
}  // namespace quarnel
