#include "settings/ClipKeys.h"

#include <gmock/gmock.h>

#include <numeric>

namespace quarnel {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::vector<std::int32_t> indicesFor(const std::string& section) {
    return clipIndicesToRead(IniDocument::parse("[Clips]\n" + section));
}

std::vector<std::int32_t> upTo(std::int32_t count) {
    std::vector<std::int32_t> indices(static_cast<std::size_t>(count));
    std::iota(indices.begin(), indices.end(), 0);
    return indices;
}

TEST(ClipKeysTest, ReadsAsFarAsTheHighestClipKeyBelowTheCount) {
    EXPECT_THAT(indicesFor("NumOfClips=3\nClip0=a\nClip1=b\nClip2=c\n"), ElementsAre(0, 1, 2));
    EXPECT_THAT(indicesFor("NumOfClips=3\nClip0=a\n"), ElementsAre(0));
    EXPECT_THAT(indicesFor("NumOfClips=3\nClip1=b\n"), ElementsAre(0, 1)) << "a gap stays";
    EXPECT_THAT(indicesFor("NumOfClips=2\nClip7=x\nClip0=a\n"), ElementsAre(0));
    EXPECT_THAT(indicesFor("NumOfClips=9\nCLIP4=x\nclip4=y\n"), ElementsAre(0, 1, 2, 3, 4));
}

TEST(ClipKeysTest, NoCountOrNoKeysReadNothing) {
    EXPECT_THAT(indicesFor("NumOfClips=2147483647\n"), IsEmpty());
    EXPECT_THAT(indicesFor("NumOfClips=-1\nClip0=x\n"), IsEmpty());
    EXPECT_THAT(indicesFor("NumOfClips=abc\nClip0=x\n"), IsEmpty());
    EXPECT_THAT(indicesFor("Clip0=x\n"), IsEmpty());
    EXPECT_THAT(indicesFor("NumOfClips=9\nClip04=x\nClip-1=x\nClip=x\nClipx=x\nClip 1=x\n"),
                IsEmpty())
        << "keys the loader would never ask for";
    EXPECT_THAT(indicesFor("NumOfClips=99\nClip99999999999=x\n"), IsEmpty());
}

TEST(ClipKeysTest, GapsAddAtMostALimitedNumberOfEmptyClips) {
    EXPECT_THAT(indicesFor("NumOfClips=20000\nClip0=a\nClip10001=x\n"),
                ElementsAreArray(upTo(10'002)));
    EXPECT_THAT(indicesFor("NumOfClips=20000\nClip0=a\nClip10002=x\n"), ElementsAre(0, 10'002))
        << "beyond the limit only the clips present are read";
    EXPECT_THAT(indicesFor("NumOfClips=2147483647\nClip2147483646=x\nClip5=y\n"),
                ElementsAre(5, 2147483646));
}

}  // namespace
}  // namespace quarnel
