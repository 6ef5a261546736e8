#include "gps/GpsText.h"

#include "clock/ClockTexts.h"

namespace quarnel {

std::string formatGpsLine(const GpsStatus& status, std::string_view source,
                          std::string_view decimalSeparator) {
    switch (status.state) {
        case GpsStatus::State::NotListening:
            return "GPS: not listening";
        case GpsStatus::State::Listening:
            return "GPS: listening \u2026";
        case GpsStatus::State::NoFix:
            return "GPS: no fix";
        case GpsStatus::State::Problem:
            return "GPS: " + status.problem;
        case GpsStatus::State::Measured:
            break;
    }
    std::string line =
        "GPS: " + formatMillisecondsText(status.offset.clockAhead, true, decimalSeparator) +
        " s \u00b1" + formatMillisecondsText(status.offset.uncertainty, false, decimalSeparator) +
        " (" + std::string(source);
    if (status.offset.timing == GpsTiming::Pulse) {
        line += ", PPS";
    }
    if (status.satellites) {
        line += ", " + std::to_string(*status.satellites) +
                (*status.satellites == 1 ? " satellite" : " satellites");
    }
    return line + ")";
}

}  // namespace quarnel
