#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "gps/GpsReader.h"
#include "gps/JsonValue.h"
#include "gps/LineSplitter.h"

namespace quarnel {

inline constexpr std::uint16_t kGpsdPort = 2947;

// What the program sends gpsd once connected: its reports as JSON, with the
// pulse's stamps when the receiver has one.
inline constexpr std::string_view kGpsdWatchCommand =
    "?WATCH={\"enable\":true,\"json\":true,\"pps\":true}\n";

// Reads gpsd's JSON reports, one per line. gpsd stamps with the same system
// clock this program reads:
//  - PPS: the pulse's second (real_sec, real_nsec) and gpsd's clock reading
//    at its edge (clock_sec, clock_nsec), good to microseconds;
//  - TOFF: the same for the start of the receiver's burst of sentences;
//  - TPV: the fix's time, stamped here on arrival; `mode` below 2 is no fix,
//    and then no stamp counts until a TPV with a fix;
//  - SKY: the satellites in use (`uSat`, else those marked `used`);
//  - VERSION, DEVICES, ERROR: a protocol this program does not read, no
//    receiver, or gpsd's own complaint show as the problem, as does a line
//    that is not JSON until a line that is comes.
class GpsdReader : public GpsReader {
  public:
    // gpsd's longest reports (SKY with many satellites) fit easily.
    static constexpr std::size_t kLongestLine = 65536;

  private:
    void read(std::string_view bytes, TimeCount stamp) override;

    void takeMessage(const JsonValue& message, TimeCount stamp);
    void takeStampPair(const JsonValue& message, GpsTiming timing);
    void takeFix(const JsonValue& message, TimeCount stamp);
    void takeSky(const JsonValue& message);

    LineSplitter m_splitter{kLongestLine};
    std::optional<bool> m_fix;  // as the last TPV said
    bool m_garbled = false;     // the problem shown is a line that was not JSON
};

}  // namespace quarnel
