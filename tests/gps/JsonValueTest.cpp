#include "gps/JsonValue.h"

#include <gmock/gmock.h>

#include <string>

namespace quarnel {
namespace {

TEST(JsonValue, ReadsObjectsAsGpsdWritesThem) {
    const auto value = readJson(
        R"( {"class":"TPV","mode":3,"ept":0.005,"big":-12345678901234,"ok":true,"no":false,)"
        R"("none":null,"list":[1,{"a":"b"},[]],"text":"\"\\\/\b\f\n\r\t\u00e9\ud83d\ude00\ud800x"} )");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->member("class")->string(), "TPV");
    EXPECT_EQ(value->member("mode")->integer(), 3);
    EXPECT_EQ(value->member("ept")->integer(), std::nullopt);
    EXPECT_EQ(value->member("ept")->text, "0.005");
    EXPECT_EQ(value->member("big")->integer(), -12345678901234);
    EXPECT_EQ(value->member("ok")->boolValue(), true);
    EXPECT_EQ(value->member("no")->boolValue(), false);
    EXPECT_EQ(value->member("none")->kind, JsonValue::Kind::Null);
    EXPECT_EQ(value->member("mode")->string(), std::nullopt);
    EXPECT_EQ(value->member("missing"), nullptr);
    const auto& list = *value->member("list");
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_EQ(list.items[1].member("a")->string(), "b");
    EXPECT_EQ(value->member("text")->string(), "\"\\/\b\f\n\r\t\u00e9\U0001F600\uFFFDx");
}

TEST(JsonValue, RefusesWhatIsNotJson) {
    const char* const texts[] = {
        "",
        "   ",
        R"({"class":"TPV")",
        R"({"class":"TPV",})",
        R"({"class" "TPV"})",
        R"({class:"TPV"})",
        R"({"a":1} {"b":2})",
        R"({"a":01})",
        R"({"a":1.})",
        R"({"a":-})",
        R"({"a":1e})",
        R"({"a":tru})",
        R"({"a":"\x"})",
        R"({"a":"\u12"})",
        "{\"a\":\"line\nbreak\"}",
        R"([1,2,])",
        R"("unterminated)",
    };
    for (const char* text : texts) {
        EXPECT_FALSE(readJson(text).has_value()) << text;
    }
}

TEST(JsonValue, NestingHasALimit) {
    EXPECT_TRUE(readJson(std::string(32, '[') + std::string(32, ']')));
    EXPECT_FALSE(readJson(std::string(33, '[') + std::string(33, ']')));
    EXPECT_FALSE(readJson(std::string(100'000, '[')));
}

}  // namespace
}  // namespace quarnel
