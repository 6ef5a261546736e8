// Feeds arbitrary bytes to the JSON reader and to the gpsd reader as a
// socket would deliver them: nothing may read out of bounds, recurse without
// end or fail, and whatever the reader makes of it must give a line and a
// suggestion.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gps/GpsText.h"
#include "gps/GpsdReader.h"
#include "gps/JsonValue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quarnel::readJson(bytes);

    // 2026-12-11 on the clock's scale.
    constexpr quarnel::TimeCount kNow = 134'414'208'000'000'000;
    quarnel::GpsdReader reader;
    reader.setReceiverDelay(-1'000'000);
    // In two reads, split where the input says, so lines cross reads.
    const std::size_t split = size == 0 ? 0 : data[0] % size;
    reader.take(bytes.substr(0, split), kNow);
    reader.take(bytes.substr(split), kNow + 3'000'000);
    quarnel::formatGpsLine(reader.status(), "gpsd", ",");
    reader.suggestedShift();
    reader.clockMoved();
    reader.status();
    return 0;
}
