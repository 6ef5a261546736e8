#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "decodes/DecodeEstimator.h"

namespace quarnel {

// The Timeshift tab's line about the decodes, for example
// "Decodes: DT +0,42 s ±0,05 (37 in 2 min)", with the caller's decimal
// separator (the user's regional setting).
std::string formatDecodesLine(const DecodeSummary& summary, std::chrono::milliseconds window,
                              std::string_view decimalSeparator);

// The line with one station chosen: "Decodes: C6ABC DT +1,95 s (3 in 2 min)",
// or, with nothing of it in the window, "Decodes: C6ABC not heard for 2 min".
std::string formatStationLine(std::string_view call, const StationSummary* heard,
                              std::chrono::milliseconds window, std::string_view decimalSeparator);

}  // namespace quarnel
