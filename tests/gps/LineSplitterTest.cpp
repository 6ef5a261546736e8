#include "gps/LineSplitter.h"

#include <gmock/gmock.h>

namespace quarnel {
namespace {

using ::testing::ElementsAre;

TEST(LineSplitter, ALineKeepsTheStampOfTheReadItsFirstByteCameIn) {
    LineSplitter splitter(16);
    EXPECT_THAT(splitter.take("$GPRMC,1", 100), ElementsAre());
    EXPECT_THAT(splitter.take("23\r\n$GP", 200), ElementsAre(StampedLine{"$GPRMC,123", 100}));
    // LF alone, CR alone and empty lines.
    EXPECT_THAT(splitter.take("GGA\n\n\r\n$GPZDA\r$X", 300),
                ElementsAre(StampedLine{"$GPGGA", 200}, StampedLine{"$GPZDA", 300}));
    EXPECT_THAT(splitter.take("\n", 400), ElementsAre(StampedLine{"$X", 300}));
}

TEST(LineSplitter, ALongLineComesInPieces) {
    LineSplitter splitter(4);
    EXPECT_THAT(splitter.take("abcd", 1), ElementsAre());
    EXPECT_THAT(splitter.take("efghij", 2),
                ElementsAre(StampedLine{"abcd", 1, true}, StampedLine{"efgh", 2, true}));
    EXPECT_THAT(splitter.take("\nklmn\n", 3),
                ElementsAre(StampedLine{"ij", 2, true}, StampedLine{"klmn", 3, false}));
}

}  // namespace
}  // namespace quarnel
