#include "decodes/DecodesText.h"

#include <cmath>
#include <cstdint>

namespace quarnel {

namespace {

// Seconds with two decimals, halves away from zero; a sign only when asked
// for and the rounded value is not zero.
std::string hundredthsText(double seconds, bool withSign, std::string_view separator) {
    const auto hundredths = static_cast<std::uint64_t>(std::llround(std::abs(seconds) * 100));
    std::string text;
    if (withSign && hundredths != 0) {
        text = seconds < 0 ? "-" : "+";
    }
    const std::uint64_t fraction = hundredths % 100;
    text += std::to_string(hundredths / 100);
    text += separator;
    text += (fraction < 10 ? "0" : "") + std::to_string(fraction);
    return text;
}

std::string windowText(std::chrono::milliseconds window) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(window).count();
    return seconds % 60 == 0 ? std::to_string(seconds / 60) + " min"
                             : std::to_string(seconds) + " s";
}

std::string countText(std::size_t count, bool more, std::chrono::milliseconds window) {
    return "(" + std::to_string(count) + (more ? "+" : "") + " in " + windowText(window) + ")";
}

}  // namespace

std::string formatDecodesLine(const DecodeSummary& summary, std::chrono::milliseconds window,
                              std::string_view decimalSeparator) {
    if (summary.count == 0) {
        return "Decodes: none yet";
    }
    const std::string counted = countText(summary.count, summary.moreArrived, window);
    if (!summary.estimate) {
        return "Decodes: too few yet " + counted;
    }
    const DtEstimate& estimate = *summary.estimate;
    return "Decodes: DT " + hundredthsText(estimate.medianDeltaTime, true, decimalSeparator) +
           " s \u00b1" + hundredthsText(estimate.spread, false, decimalSeparator) + " " + counted;
}

std::string formatStationLine(std::string_view call, const StationSummary* heard,
                              std::chrono::milliseconds window, std::string_view decimalSeparator) {
    const std::string start = "Decodes: " + std::string(call);
    if (!heard) {
        return start + " not heard for " + windowText(window);
    }
    return start + " DT " +
           hundredthsText(heard->estimate.medianDeltaTime, true, decimalSeparator) + " s " +
           countText(heard->count, false, window);
}

}  // namespace quarnel
