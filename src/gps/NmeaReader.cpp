#include "gps/NmeaReader.h"

#include <variant>

namespace quarnel {

namespace {

// RMC's two-digit year in the century that puts it nearest to the clock's
// year: the clock is off by seconds, not decades.
int fullYear(const NmeaDate& date, TimeCount stamp) {
    if (!date.twoDigitYear) {
        return date.year;
    }
    const int clockYear = toCalendarTime(stamp).year;
    int year = clockYear / 100 * 100 + date.year;
    if (year > clockYear + 50) {
        year -= 100;
    } else if (year <= clockYear - 50) {
        year += 100;
    }
    return year;
}

}  // namespace

void NmeaReader::read(std::string_view bytes, TimeCount stamp) {
    for (const auto& line : m_splitter.take(bytes, stamp)) {
        takeLine(line);
    }
}

void NmeaReader::clockMoved() {
    GpsReader::clockMoved();
    m_burst.reset();
}

void NmeaReader::takeLine(const StampedLine& line) {
    const auto read = line.cut ? std::variant<NmeaSentence, NmeaFault>(NmeaFault::NotASentence)
                               : readNmeaSentence(line.text);
    if (const auto* sentence = std::get_if<NmeaSentence>(&read)) {
        if (m_badLines >= kBadLinesForProblem) {
            setProblem({});
        }
        m_badLines = 0;
        takeSentence(*sentence, line.stamp);
        return;
    }
    if (m_badLines < kBadLinesForProblem && ++m_badLines == kBadLinesForProblem) {
        setProblem("what comes from the receiver is no NMEA (is the baud rate right?)");
    }
}

void NmeaReader::takeSentence(const NmeaSentence& sentence, TimeCount stamp) {
    if (sentence.type == NmeaSentence::Type::Gga && sentence.satellites) {
        setSatellites(*sentence.satellites);
    }
    const bool saysNoFix = sentence.valid == false || sentence.fixQuality == 0;
    if (saysNoFix) {
        lostFix();
    }
    if (!sentence.time) {
        return;
    }
    if (!m_burst || m_burst->time != *sentence.time) {
        m_burst = Burst{*sentence.time, stamp, std::nullopt, false, false};
    }
    Burst& burst = *m_burst;
    if (sentence.date) {
        burst.date = sentence.date;
    }
    if (saysNoFix) {
        burst.taken = true;  // nothing of this second counts
        return;
    }
    burst.fix = burst.fix || sentence.valid == true || sentence.fixQuality > 0;
    if (burst.taken || !burst.fix || !burst.date) {
        return;
    }
    burst.taken = true;
    const auto utc =
        receiverUtc(fullYear(*burst.date, burst.stamp), burst.date->month, burst.date->day,
                    burst.time.hour, burst.time.minute, burst.time.second, burst.time.millisecond);
    if (utc) {
        takeStamp(GpsTiming::BurstStart, *utc, burst.stamp);
    }
}

}  // namespace quarnel
