#include "decodes/DecodeSender.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace quarnel {
namespace {

struct Case {
    std::string message;
    std::optional<std::string> sender;
};

// Messages as the decoding programs print them.
TEST(DecodeSender, MessageShapes) {
    const std::vector<Case> cases = {
        // Calling CQ, with and without a modifier or a grid.
        {"CQ K1ABC FN42", "K1ABC"},
        {"CQ K1ABC", "K1ABC"},
        {"CQ DX C6ABC EL84", "C6ABC"},
        {"CQ NA W9XYZ EN37", "W9XYZ"},
        {"CQ POTA N1ABC FN31", "N1ABC"},
        {"CQ 290 K1ABC FN42", "K1ABC"},
        {"CQ E DL1ABC JO62", "DL1ABC"},
        {"QRZ K1ABC FN42", "K1ABC"},
        {"DE K1ABC FN42", "K1ABC"},
        // A reply: the second call sent it, whatever follows.
        {"K1ABC W9XYZ EN37", "W9XYZ"},
        {"K1ABC W9XYZ -12", "W9XYZ"},
        {"W9XYZ K1ABC R-09", "K1ABC"},
        {"K1ABC W9XYZ RRR", "W9XYZ"},
        {"W9XYZ K1ABC RR73", "K1ABC"},
        {"K1ABC W9XYZ 73", "W9XYZ"},
        {"K1ABC W9XYZ", "W9XYZ"},
        {"K1ABC 3DA0RU R EN37", "3DA0RU"},
        // Hashed calls, resolved or not.
        {"<PJ4/K1ABC> W9XYZ -11", "W9XYZ"},
        {"W9XYZ <PJ4/K1ABC> RR73", "PJ4/K1ABC"},
        {"CQ <YW18FIFA>", "YW18FIFA"},
        {"<...> W9XYZ R-15", "W9XYZ"},
        {"W9XYZ <...> -10", std::nullopt},
        // Compound calls.
        {"CQ K1ABC/P FN42", "K1ABC/P"},
        {"CQ DX VP2E/K1ABC", "VP2E/K1ABC"},
        {"K1ABC DL/PA0ABC/P 73", "DL/PA0ABC/P"},
        {"PA3XYZ/P GM4ABC/P R 590003 IO91NP", "GM4ABC/P"},
        // Contest forms.
        {"TU; K1ABC W9XYZ R 579 0013", "W9XYZ"},
        {"K1ABC W9XYZ 6A WI", "W9XYZ"},
        {"W9XYZ K1ABC R 589 MA", "K1ABC"},
        // No station: free text, telemetry, no plausible call where one belongs.
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"CQ", std::nullopt},
        {"CQ DX", std::nullopt},
        {"CQ CQ CQ", std::nullopt},
        {"TNX BOB 73 GL", std::nullopt},
        {"HELLO K1ABC", std::nullopt},
        {"K1ABC TNX 73", std::nullopt},
        {"123456789ABCDEF012", std::nullopt},
        {"K1ABC FN42", std::nullopt},
        {"K1ABC RR73", std::nullopt},
        {"K1ABC k2def -10", std::nullopt},
        {"K1ABC K1ABCDEFGHIJ -10", std::nullopt},
        {"K1ABC K1/ -10", std::nullopt},
        {"K1ABC K1//AB -10", std::nullopt},
        {"K1ABC K1-ABC -10", std::nullopt},
        {"TU; CQ", std::nullopt},
        {"K1ABC <> -10", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(senderOf(c.message), c.sender) << '"' << c.message << '"';
    }
}

TEST(DecodeSender, PlausibleCalls) {
    for (const char* call : {"K1A", "9A1AA", "4U1UN", "E51AB", "W100AW", "KH6/K1ABCD", "A1/B"}) {
        EXPECT_TRUE(isPlausibleCall(call)) << call;
    }
    for (const char* token : {"K1", "ABC", "123", "FN42", "IO91NP", "RR73", "/K1ABC", "K1ABC/",
                              "KH6/K1ABC/MM", "K1ÄBC"}) {
        EXPECT_FALSE(isPlausibleCall(token)) << token;
    }
}

}  // namespace
}  // namespace quarnel
