#include "gps/GpsSource.h"

#include <gmock/gmock.h>

#include "gps/GpsText.h"

namespace quarnel {
namespace {

TEST(GpsSource, ReadsTheSourceField) {
    const struct {
        const char* text;
        std::variant<GpsdSource, SerialSource, std::string> expected;
    } cases[] = {
        {"gpsd", GpsdSource{"localhost", 2947}},
        {" GPSD ", GpsdSource{"localhost", 2947}},
        {"gpsd:gps.local", GpsdSource{"gps.local", 2947}},
        {"gpsd:192.0.2.7:3000", GpsdSource{"192.0.2.7", 3000}},
        {"gpsd:[::1]", GpsdSource{"::1", 2947}},
        {"gpsd:[::1]:2948", GpsdSource{"::1", 2948}},
        {"gpsd:", std::string("no host after \"gpsd:\"")},
        {"gpsd:host:0", std::string("the port 0 is not a number from 1 to 65535")},
        {"COM4", SerialSource{"COM4", 4800}},
        {"com12:9600", SerialSource{"COM12", 9600}},
        {"COM256:115200", SerialSource{"COM256", 115200}},
        {"COM0", std::string("the serial port COM0 is not COM1 to COM256")},
        {"COM257", std::string("the serial port COM257 is not COM1 to COM256")},
        {"COM", std::string("the serial port COM is not COM1 to COM256")},
        {"COMX", std::string("the serial port COMX is not COM1 to COM256")},
        {"COM4:", std::string("no baud rate after the colon")},
        {"COM4:9601",
         std::string("the baud rate 9601 is not one a serial port runs at (4800, 9600, ...)")},
        {"COM4:09600",
         std::string("the baud rate 09600 is not one a serial port runs at (4800, 9600, ...)")},
        {"COM4:fast",
         std::string("the baud rate fast is not one a serial port runs at (4800, 9600, ...)")},
        {"/dev/ttyUSB0", SerialSource{"/dev/ttyUSB0", 4800}},
        {"/dev/ttyACM0:9600", SerialSource{"/dev/ttyACM0", 9600}},
        {"/dev/serial/by-id/usb-u-blox_GNSS:receiver-if00:38400",
         SerialSource{"/dev/serial/by-id/usb-u-blox_GNSS:receiver-if00", 38400}},
        {"/dev/", std::string("no device after /dev/")},
        {"/dev/:4800", std::string("no device after /dev/")},
        {"", std::string("no source given")},
        {"ttyUSB0",
         std::string("the source ttyUSB0 is neither gpsd, a COM port nor a device under /dev/")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(readGpsSource(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(GpsLine, SaysWhatTheListeningFound) {
    GpsStatus status;
    EXPECT_EQ(formatGpsLine(status, "COM4", ","), "GPS: not listening");
    status.state = GpsStatus::State::Measured;
    status.offset = {-2'140'000, 500'000, GpsTiming::BurstStart};
    EXPECT_EQ(formatGpsLine(status, "/dev/ttyUSB0", "."),
              "GPS: -0.214 s \u00b10.050 (/dev/ttyUSB0)");
    status.offset = {0, 10'000, GpsTiming::Pulse};
    status.satellites = 12;
    EXPECT_EQ(formatGpsLine(status, "gpsd", ","),
              "GPS: +0,000 s \u00b10,001 (gpsd, PPS, 12 satellites)");
}

}  // namespace
}  // namespace quarnel
