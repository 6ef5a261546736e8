#pragma once

#include <QString>
#include <cstdint>

#include "clock/ClockReading.h"

// The state the window's handlers share. It lives in one object so that a test
// can put it back to its initial values with `unit = UnitState{}`.
struct UnitState {
    // Shifts are counted in 100-ns units, so stepping and summing are exact.
    std::int64_t AlignShift = 0;    // the shift the next set applies
    QString AlignSource;            // how it was chosen, for the journal: "buttons", "wheel", ...
    std::int64_t RunningShift = 0;  // undoes every set since start, RESET or ACCEPT
    bool SetPending = false;        // a set waits for the next tick
    // A set or RESET waits for the system's answer (the desktop may be
    // asking the user for the right); nothing else moves the clock meanwhile.
    bool ClockChangeWaiting = false;
    // A stop or start of the time keepers waits for the system's answer.
    bool KeepersChanging = false;
    // Quarnel turned the system's own network time synchronization off and
    // turns it on again when it lets go of the clock.
    bool HoldingAutomaticSync = false;
    bool VerboseFlag = true;      // replaced from the Verbose switch before any use
    bool FirstActivation = true;  // the saved tab has not been restored yet
    int ActiveTabIndex =
        0;  // tab to restore, then the tab last chosen, as [Program] ActiveTAB numbers it
    QString VersionText;
    // The last tick's reading, shown when the Timeshift tab comes into view.
    quarnel::ClockReading LastReading;
    bool LastReadingShown = true;  // nothing to show before the first tick
    // The settings file exists but could not be read at start: it is not
    // written at close, and the user is told so once.
    bool SettingsUnreadable = false;
    bool SettingsUnreadableTold = false;
};

inline UnitState unit;

inline const QString IniFileName = QStringLiteral("Quarnel.ini");

// Opened by the donation picture; its QR code is drawn from the same address.
inline const QString DonationAddress = QStringLiteral(QUARNEL_DONATION_ADDRESS);
