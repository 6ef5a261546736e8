#pragma once

#include <string>
#include <string_view>

#include "gps/GpsReader.h"

namespace quarnel {

// The Timeshift tab's line about GPS, for example
// "GPS: -0,214 s ±0,050 (gpsd, 7 satellites)": how far the local clock is
// ahead of GPS, to the millisecond, and how far that may be off; "PPS" when
// the receiver's pulse gave the stamps. `source` names where the sentences
// come from ("gpsd", "COM4"); the decimal separator is the user's regional
// setting.
std::string formatGpsLine(const GpsStatus& status, std::string_view source,
                          std::string_view decimalSeparator);

}  // namespace quarnel
