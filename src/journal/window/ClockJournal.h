#pragma once

#include <QString>
#include <cstdint>
#include <string>

#include "journal/JournalLine.h"
#include "keepers/KeeperAction.h"
#include "platform/Platform.h"

// The journal of clock changes, Quarnel.log beside the settings file: every
// set, RESET and ACCEPT, every refusal of one, every stop and start of a time
// keeper, a line each. The journal never stands in the way of the clock: the
// handlers record what already happened, and a journal that cannot be
// written is said once, in the error box, and then left alone.
class ClockJournal {
  public:
    // `total` is the running total after the change, as the window shows it.
    void recordClockChange(quarnel::ClockChange kind, std::int64_t amount, std::int64_t total,
                           const QString& source);
    void recordRefusal(quarnel::ClockChange kind, std::int64_t amount, const std::string& reason);
    // `what` names the time keeper: "service chronyd", "program /usr/bin/x".
    void recordKeeper(const QString& what, quarnel::TKeeperAction action,
                      const quarnel::Refusal& result);

  private:
    static quarnel::TimeCount now();
    void append(const std::string& line);

    bool m_failureShown = false;
};
