#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "clock/TimeCount.h"
#include "keepers/KeeperAction.h"

namespace quarnel {

// The three ways the window moves the clock.
enum class ClockChange { Set, Reset, Accept };

// A shift in 100-ns units as signed seconds with a "." point and as many
// decimals as it needs, at least one: "+0.3 s", "-0.05 s", "+0.0000001 s",
// "+0.0 s". The journal is read by people of every region and by tools, so
// it follows no regional setting.
std::string journalSeconds(std::int64_t amount);

// The lines of the journal, each with its line end. The time (UTC, to the
// millisecond) comes first, then what happened in a column of its own, then
// the details:
//
//   2021-03-05 08:09:07.003 UTC  SET     +0.3 s  total +0.3 s  from buttons
//   2021-03-05 08:09:09.500 UTC  SET     +0.3 s  refused: Operation not permitted
//   2021-03-05 08:10:00.000 UTC  RESET   -0.3 s  total +0.0 s  from RESET button
//   2021-03-05 08:10:01.000 UTC  STOP    service chronyd: done
//
// `amount` is how far the clock moves, `total` the running total afterwards
// as the window shows it (what the sets since the last RESET or ACCEPT added
// up to), `source` what proposed the change; an empty source is left out.
// Line breaks and other control characters in the free texts become spaces,
// so that every entry stays one line.
std::string clockChangeLine(TimeCount utc, ClockChange kind, std::int64_t amount,
                            std::int64_t total, std::string_view source);
std::string refusalLine(TimeCount utc, ClockChange kind, std::int64_t amount,
                        std::string_view reason);
// `what` names the time keeper ("service chronyd", "program /usr/bin/x");
// `failure` is why the stop or start failed, nothing when it was done.
std::string keeperLine(TimeCount utc, TKeeperAction action, std::string_view what,
                       const std::optional<std::string>& failure);

}  // namespace quarnel
