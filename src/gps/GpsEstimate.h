#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>

#include "clock/TimeCount.h"

namespace quarnel {

// How a second's stamp was taken, best first.
enum class GpsTiming {
    Pulse,       // the receiver's pulse per second, stamped by gpsd
    BurstStart,  // when the second's first sentence began to arrive
    Report,      // when gpsd's report of the second arrived (its TPV)
};

// What the receiver says about the local clock.
struct GpsOffset {
    // How far the local clock is ahead of GPS, in whole milliseconds (as
    // 100-ns units): a clock that runs fast gives a positive number.
    std::int64_t clockAhead = 0;
    // How far that may be off, rounded up to whole milliseconds.
    std::int64_t uncertainty = 0;
    GpsTiming timing = GpsTiming::BurstStart;

    bool operator==(const GpsOffset&) const = default;
};

// The count of a UTC time a receiver reported; nothing for a date that does
// not exist and for a leap second (hh:mm:60), which clocks show each in a way
// of their own, so its stamp would measure nothing.
std::optional<TimeCount> receiverUtc(int year, int month, int day, int hour, int minute, int second,
                                     int millisecond);

// Estimates the clock's offset from one stamp per second: the clock's
// reading when the second was seen (its pulse, or its burst of sentences)
// minus the UTC of that second.
//  - The median over the last 16 seconds, so a late burst (a busy port, a
//    slow reader) moves nothing; its uncertainty is the median absolute
//    deviation plus a floor for what the spread cannot show: 20 ms for
//    stamps of sentences, 1 ms for a pulse.
//  - A burst starts a receiver-dependent delay after its second, which the
//    user sets once (calibrated against a time server or the decodes); a
//    pulse comes at the second itself, so the delay is not taken from it.
//  - The best timing with stamps in the window is the one used; a timing
//    whose stamps stop leaves the window with them.
class GpsEstimator {
  public:
    static constexpr TimeCount kWindow = 16 * kUnitsPerSecond;
    static constexpr std::int64_t kBurstFloor = 20 * kUnitsPerMillisecond;
    static constexpr std::int64_t kPulseFloor = 1 * kUnitsPerMillisecond;

    void setReceiverDelay(std::int64_t units) { m_receiverDelay = units; }

    // One second's stamp. A second already taken in this timing is not taken
    // again; a second before it means the receiver's time went back, and
    // the timing starts afresh.
    void take(GpsTiming timing, TimeCount utc, TimeCount stamp);

    // Forgets every stamp: the clock moved, or the receiver lost its fix.
    void clear();

    std::optional<GpsOffset> offset() const;

  private:
    struct Sample {
        TimeCount utc = 0;
        std::int64_t ahead = 0;  // stamp minus UTC
    };

    std::array<std::deque<Sample>, 3> m_samples;
    std::int64_t m_receiverDelay = 0;
};

}  // namespace quarnel
