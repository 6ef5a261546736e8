#pragma once

#include <gtest/gtest.h>

#include <cstdint>

namespace quarnel::testing {

// EXPECT_NEAR for nanosecond counts: those of the real clock are beyond the
// range that a double holds exactly, so they are compared as integers.
inline ::testing::AssertionResult nearInteger(std::int64_t actual, std::int64_t expected,
                                              std::int64_t tolerance) {
    const std::int64_t difference = actual - expected;
    if (difference <= tolerance && -difference <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << actual << " is " << difference << " away from "
                                         << expected << " (tolerance " << tolerance << ")";
}

}  // namespace quarnel::testing
