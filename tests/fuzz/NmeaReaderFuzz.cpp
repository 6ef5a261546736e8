// Feeds arbitrary bytes to the NMEA reader as a serial port would deliver
// them, at once and a byte per read with the clock running on, and to the
// sentence reader as one line: nothing may read out of bounds or fail, and
// whatever the reader makes of it must give a line and a suggestion.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gps/GpsText.h"
#include "gps/NmeaReader.h"
#include "gps/NmeaSentence.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quarnel::readNmeaSentence(bytes);

    // 2026-12-11 on the clock's scale.
    constexpr quarnel::TimeCount kNow = 134'414'208'000'000'000;
    quarnel::NmeaReader whole;
    whole.setReceiverDelay(1'000'000);
    whole.take(bytes, kNow);
    quarnel::formatGpsLine(whole.status(), "COM4", ",");
    whole.suggestedShift();

    quarnel::NmeaReader piecewise;
    quarnel::TimeCount stamp = kNow;
    for (std::size_t i = 0; i < size; ++i) {
        piecewise.take(bytes.substr(i, 1), stamp);
        stamp += 20'000;
        if (bytes[i] == '\x7f') {
            piecewise.clockMoved();
        }
    }
    quarnel::formatGpsLine(piecewise.status(), "/dev/ttyUSB0", ".");
    piecewise.suggestedShift();
    return 0;
}
