#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "clock/TimeCount.h"
#include "gps/GpsEstimate.h"

namespace quarnel {

// What the GPS line shows.
struct GpsStatus {
    enum class State {
        NotListening,
        Listening,  // nothing usable has come yet
        NoFix,      // the receiver says it has no fix
        Measured,   // `offset` holds it
        Problem,    // `problem` says what went wrong, worded to follow "GPS: "
    };
    State state = State::NotListening;
    GpsOffset offset;
    std::optional<int> satellites;  // in use, when the receiver tells
    std::string problem;
};

// Reads what a GPS source sends (a receiver's NMEA sentences, or gpsd's
// reports) and estimates the clock from it. The caller owns the port or the
// socket and hands in each read's bytes with the clock's reading when the
// read returned.
class GpsReader {
  public:
    virtual ~GpsReader() = default;

    // Nothing may come for this long before the line says so: a receiver
    // sends every second, and gpsd reports each of them.
    static constexpr std::chrono::seconds kQuietLimit{5};

    void take(std::string_view bytes, TimeCount stamp);

    // Nothing came for kQuietLimit (the caller's timer, restarted by each
    // read): the cable was pulled or the service stopped, so what was
    // measured is dropped and the line says so until bytes come again.
    void fellQuiet();

    // The clock was moved: what was stamped before describes the old clock.
    virtual void clockMoved();

    // 100-ns units; the time from the receiver's second to its sentences.
    void setReceiverDelay(std::int64_t units) { m_estimator.setReceiverDelay(units); }

    GpsStatus status() const;

    // The shift that would set the clock to GPS time, in whole milliseconds
    // (100-ns units); only while a measurement is shown.
    std::optional<std::int64_t> suggestedShift() const;

  protected:
    virtual void read(std::string_view bytes, TimeCount stamp) = 0;

    void takeStamp(GpsTiming timing, TimeCount utc, TimeCount stamp);
    void lostFix();
    void setSatellites(int count) { m_satellites = count; }
    // Shown until the next stamp is taken, or until set empty.
    void setProblem(std::string problem) { m_problem = std::move(problem); }

  private:
    GpsEstimator m_estimator;
    std::optional<int> m_satellites;
    bool m_noFix = false;
    bool m_quiet = false;
    std::string m_problem;
};

}  // namespace quarnel
