#include "gps/GpsReader.h"

namespace quarnel {

void GpsReader::take(std::string_view bytes, TimeCount stamp) {
    if (!bytes.empty()) {
        m_quiet = false;
    }
    read(bytes, stamp);
}

void GpsReader::fellQuiet() {
    m_quiet = true;
    m_noFix = false;
    m_estimator.clear();
}

void GpsReader::clockMoved() {
    m_estimator.clear();
}

void GpsReader::takeStamp(GpsTiming timing, TimeCount utc, TimeCount stamp) {
    m_noFix = false;
    m_problem.clear();
    m_estimator.take(timing, utc, stamp);
}

void GpsReader::lostFix() {
    m_noFix = true;
    m_estimator.clear();
}

GpsStatus GpsReader::status() const {
    GpsStatus status;
    status.satellites = m_satellites;
    const auto offset = m_estimator.offset();
    if (m_quiet) {
        status.state = GpsStatus::State::Problem;
        status.problem = "nothing has come for " + std::to_string(kQuietLimit.count()) + " s";
    } else if (!m_problem.empty()) {
        status.state = GpsStatus::State::Problem;
        status.problem = m_problem;
    } else if (m_noFix) {
        status.state = GpsStatus::State::NoFix;
    } else if (offset) {
        status.state = GpsStatus::State::Measured;
        status.offset = *offset;
    } else {
        status.state = GpsStatus::State::Listening;
    }
    return status;
}

std::optional<std::int64_t> GpsReader::suggestedShift() const {
    if (status().state != GpsStatus::State::Measured) {
        return std::nullopt;
    }
    return roundedShift(-m_estimator.offset()->clockAhead, kUnitsPerMillisecond);
}

}  // namespace quarnel
