// Feeds arbitrary bytes to the decoders' message reader, and whatever it
// accepts to the estimate and its stations: neither may read past the
// datagram or fail.
#include <cstddef>
#include <cstdint>
#include <span>

#include "decodes/DecodeEstimator.h"
#include "decodes/DecodeMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto message = quarnel::readDecoderMessage(std::span(data, size));
    if (!message) {
        return 0;
    }
    // Enough copies for an estimate to be made from them.
    quarnel::DecodeEstimator estimator;
    quarnel::DecodeEstimator::Moment now{};
    for (int i = 0; i < 6; ++i) {
        now += std::chrono::seconds(1);
        estimator.take(*message, now);
    }
    estimator.summary(now);
    estimator.stations(now);
    return 0;
}
