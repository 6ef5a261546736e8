#include "timeserver/ServerAddress.h"

#include <gmock/gmock.h>

namespace quarnel {
namespace {

TEST(ServerAddress, ReadsTheServerField) {
    const struct {
        const char* text;
        std::variant<ServerAddress, std::string> expected;
    } cases[] = {
        {"pool.ntp.org", ServerAddress{"pool.ntp.org", 123}},
        {"pool.ntp.org:1234", ServerAddress{"pool.ntp.org", 1234}},
        {"  pool.ntp.org\t", ServerAddress{"pool.ntp.org", 123}},
        {"192.0.2.1", ServerAddress{"192.0.2.1", 123}},
        {"192.0.2.1:123", ServerAddress{"192.0.2.1", 123}},
        {"[2001:db8::1]", ServerAddress{"2001:db8::1", 123}},
        {"[2001:db8::1]:123", ServerAddress{"2001:db8::1", 123}},
        {"[::ffff:192.0.2.1]:65535", ServerAddress{"::ffff:192.0.2.1", 65535}},
        {"[fe80::1%eth0]", ServerAddress{"fe80::1%eth0", 123}},
        // More than one colon without brackets: an IPv6 address, no port.
        {"2001:db8::1", ServerAddress{"2001:db8::1", 123}},
        {"2001:db8::123", ServerAddress{"2001:db8::123", 123}},
        {"", std::string("no server given")},
        {"   ", std::string("no server given")},
        {"host:0", std::string("the port 0 is not a number from 1 to 65535")},
        {"host:70000", std::string("the port 70000 is not a number from 1 to 65535")},
        {"host:000123", std::string("the port 000123 is not a number from 1 to 65535")},
        {"host:12a", std::string("the port 12a is not a number from 1 to 65535")},
        {"host:-1", std::string("the port -1 is not a number from 1 to 65535")},
        {"host:", std::string("no port after the colon")},
        {":123", std::string("no server name before the colon")},
        {"[::1", std::string("the closing bracket of the IPv6 address is missing")},
        {"[::1]123", std::string("only a port may follow the IPv6 address")},
        {"[::1]:", std::string("no port after the colon")},
        {"[pool.ntp.org]", std::string("only an IPv6 address goes in brackets")},
        {"[]", std::string("only an IPv6 address goes in brackets")},
        {"pool.ntp.org:123:4", std::string("the server name has more than one colon")},
        {"pool ntp org", std::string("the server name holds a space or a character no name has")},
        {"ntp://pool.ntp.org",
         std::string("the port //pool.ntp.org is not a number from 1 to 65535")},
        {"http//x", std::string("the server name holds a space or a character no name has")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseServerAddress(c.text), c.expected) << '"' << c.text << '"';
    }
}

}  // namespace
}  // namespace quarnel
