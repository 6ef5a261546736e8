#include "gps/GpsEstimate.h"

#include <algorithm>
#include <vector>

namespace quarnel {

namespace {

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::int64_t median(std::vector<std::int64_t> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 != 0) {
        return *middle;
    }
    const std::int64_t below = *std::max_element(values.begin(), middle);
    return below + (*middle - below) / 2;
}

std::int64_t roundedUpToMillisecond(std::int64_t units) {
    return (units + kUnitsPerMillisecond - 1) / kUnitsPerMillisecond * kUnitsPerMillisecond;
}

}  // namespace

std::optional<TimeCount> receiverUtc(int year, int month, int day, int hour, int minute, int second,
                                     int millisecond) {
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || millisecond < 0 || millisecond > 999) {
        return std::nullopt;
    }
    CalendarTime time;
    time.year = static_cast<std::uint16_t>(year);
    time.month = static_cast<std::uint16_t>(month);
    time.day = static_cast<std::uint16_t>(day);
    time.hour = static_cast<std::uint16_t>(hour);
    time.minute = static_cast<std::uint16_t>(minute);
    time.second = static_cast<std::uint16_t>(second);
    time.millisecond = static_cast<std::uint16_t>(millisecond);
    return toTimeCount(time);
}

void GpsEstimator::take(GpsTiming timing, TimeCount utc, TimeCount stamp) {
    auto& samples = m_samples[static_cast<std::size_t>(timing)];
    if (!samples.empty() && utc <= samples.back().utc) {
        if (utc == samples.back().utc) {
            return;
        }
        samples.clear();
    }
    samples.push_back({utc, stamp - utc});
    for (auto& kept : m_samples) {
        while (!kept.empty() && kept.front().utc <= utc - kWindow) {
            kept.pop_front();
        }
    }
}

void GpsEstimator::clear() {
    for (auto& samples : m_samples) {
        samples.clear();
    }
}

std::optional<GpsOffset> GpsEstimator::offset() const {
    const auto best = std::find_if(m_samples.begin(), m_samples.end(),
                                   [](const auto& samples) { return !samples.empty(); });
    if (best == m_samples.end()) {
        return std::nullopt;
    }
    const auto timing = static_cast<GpsTiming>(best - m_samples.begin());
    std::vector<std::int64_t> aheads;
    for (const auto& sample : *best) {
        aheads.push_back(sample.ahead);
    }
    const std::int64_t middle = median(aheads);
    for (auto& ahead : aheads) {
        ahead = ahead > middle ? ahead - middle : middle - ahead;
    }
    const bool pulse = timing == GpsTiming::Pulse;
    GpsOffset offset;
    offset.timing = timing;
    offset.clockAhead = roundedShift(middle - (pulse ? 0 : m_receiverDelay), kUnitsPerMillisecond);
    offset.uncertainty =
        roundedUpToMillisecond(median(aheads) + (pulse ? kPulseFloor : kBurstFloor));
    return offset;
}

}  // namespace quarnel
