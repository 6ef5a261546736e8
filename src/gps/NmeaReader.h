#pragma once

#include <optional>
#include <string_view>

#include "gps/GpsReader.h"
#include "gps/LineSplitter.h"
#include "gps/NmeaSentence.h"

namespace quarnel {

// Reads a receiver's NMEA 0183 sentences from a serial port.
//  - A receiver sends a burst of sentences for each second (or each fix of a
//    faster one); the burst begins with a sentence that names a new time of
//    day, and that sentence's stamp is the burst's.
//  - The burst's UTC needs a date (RMC or ZDA) and a fix (RMC with status A,
//    or GGA with a quality above 0); RMC with status V or GGA with quality 0
//    shows "no fix". GGA tells the satellites in use.
//  - Lines that are no sentence, fail their checksum or hold a field that
//    cannot be are dropped; ten of them in a row show a problem until the
//    next good sentence: a wrong baud rate gives nothing else.
class NmeaReader : public GpsReader {
  public:
    static constexpr std::size_t kLongestLine = 200;  // a sentence has at most 82 characters
    static constexpr int kBadLinesForProblem = 10;

    void clockMoved() override;

  private:
    void read(std::string_view bytes, TimeCount stamp) override;

    struct Burst {
        NmeaTimeOfDay time;
        TimeCount stamp = 0;
        std::optional<NmeaDate> date;
        bool fix = false;
        bool taken = false;
    };

    void takeLine(const StampedLine& line);
    void takeSentence(const NmeaSentence& sentence, TimeCount stamp);

    LineSplitter m_splitter{kLongestLine};
    std::optional<Burst> m_burst;
    int m_badLines = 0;
};

}  // namespace quarnel
