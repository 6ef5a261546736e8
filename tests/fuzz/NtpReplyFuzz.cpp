// Feeds arbitrary bytes to the time server's reply reader and to the poll, as
// the reply to a request under way: neither may read past the datagram or
// fail, and whatever the poll makes of it must give a line and a schedule.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "timeserver/NtpPacket.h"
#include "timeserver/TimeServerPoll.h"
#include "timeserver/TimeServerText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> datagram(data, size);
    quarnel::readNtpReply(datagram);

    // A request under way on 2026-12-11, and the input as its reply.
    constexpr quarnel::TimeCount kNow = 134'414'208'000'000'000;
    quarnel::TimeServerPoll poll;
    quarnel::TimeServerPoll::Moment now{};
    poll.start(now, 2);
    const auto request = poll.due(now, kNow);
    if (!request) {
        return 0;
    }
    now += std::chrono::milliseconds(30);
    poll.received(datagram, true, kNow + 300'000, now);
    if (size >= 32) {
        // The same bytes with the origin that answers the request, so that
        // the checks after the origin's are reached.
        std::vector<std::uint8_t> answer(datagram.begin(), datagram.end());
        std::copy(request->bytes.begin() + 40, request->bytes.end(), answer.begin() + 24);
        poll.received(answer, true, kNow + 300'000, now);
    }
    quarnel::formatTimeServerLine(poll.status(), "pool.ntp.org", ",");
    poll.suggestedShift();
    poll.nextWake();
    return 0;
}
