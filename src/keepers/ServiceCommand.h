#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "keepers/KeeperAction.h"

namespace quarnel {

// The service command of each system. Plain text without any system call, so
// both are built and tested everywhere.

// "systemctl stop NAME" or "systemctl start NAME" as the program's argument
// list: the name is one argument, exactly as typed, for no shell to read.
std::vector<std::string> serviceCommand(TKeeperAction action, const std::string& serviceName);

// The unit that systemd knows the service by: the name as typed, with
// ".service" added when it names no kind of unit, as systemctl does
// ("chronyd" is "chronyd.service").
std::string unitName(const std::string& serviceName);

// The script that runs its arguments as one command and then leaves an
// interactive shell, so the terminal window stays open with the command's
// output. The command arrives as "$@": nothing of it is ever parsed as shell
// text.
inline constexpr std::string_view kStayOpenScript = R"("$@"; exec "${SHELL:-sh}")";

// `command` run in a new window of `terminal`, which stays open afterwards.
// The terminal takes everything after "-e" as the program and its arguments,
// as every Debian x-terminal-emulator must.
std::vector<std::string> inTerminalThatStaysOpen(const std::string& terminal,
                                                 const std::vector<std::string>& command);

// The parameter text handed to Windows' "cmd.exe" to stop or start a service
// with "net.exe", for example "/C net.exe stop W32Time" inside one pair of
// double quotes. "/K" (verbose) keeps the console window open after the
// command. The service name goes in verbatim, without quotes of its own.
std::string serviceParameters(TKeeperAction action, bool verbose, const std::string& serviceName);

}  // namespace quarnel
