#pragma once

#include <string>

#include "keepers/KeeperAction.h"

namespace quarnel {

// The parameter text handed to "cmd.exe" to stop or start a service with
// "net.exe", for example "/C net.exe stop W32Time" inside one pair of double
// quotes. "/K" (verbose) keeps the console window open after the command.
// The service name goes in verbatim, without quotes of its own.
//
// Plain text without any system call, so it is built and tested everywhere.
std::string serviceParameters(TKeeperAction action, bool verbose, const std::string& serviceName);

}  // namespace quarnel
