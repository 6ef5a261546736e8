#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace quarnel {

// The time of day a sentence carries, UTC. `second` may be 60 in a leap
// second.
struct NmeaTimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    bool operator==(const NmeaTimeOfDay&) const = default;
};

// A date as a sentence carries it; RMC's two-digit year is left as it is
// (`twoDigitYear`), as only the reader knows the century.
struct NmeaDate {
    int year = 0;
    int month = 0;
    int day = 0;
    bool twoDigitYear = false;

    bool operator==(const NmeaDate&) const = default;
};

// What this program reads of an NMEA 0183 sentence from any talker (GP, GN,
// GL, GA, BD, ...). Fields the sentence leaves empty stay empty here.
struct NmeaSentence {
    enum class Type {
        Rmc,    // recommended minimum: time, status, date
        Zda,    // time and date
        Gga,    // fix: time, quality, satellites in use
        Other,  // any other sentence with a good checksum
    };
    Type type = Type::Other;
    std::string talker;  // "GP", "GN", ...; "P" for a maker's own sentence
    std::optional<NmeaTimeOfDay> time;
    std::optional<NmeaDate> date;
    std::optional<bool> valid;      // RMC's status: A (true) or V (false)
    std::optional<int> fixQuality;  // GGA: 0 = no fix
    std::optional<int> satellites;  // GGA: satellites in use

    bool operator==(const NmeaSentence&) const = default;
};

// Why a line is not a sentence this program can read.
enum class NmeaFault {
    NotASentence,  // no '$' at its start, or no address
    NoChecksum,    // no "*hh" at its end
    BadChecksum,   // the checksum does not match: a garbled line
    BadField,      // a time, date or number that cannot be
};

// Reads one line (without its line end) as a sentence.
std::variant<NmeaSentence, NmeaFault> readNmeaSentence(std::string_view line);

}  // namespace quarnel
