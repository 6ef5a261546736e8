#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// Splits a parameter text into arguments the way a POSIX shell splits the
// words of a simple command, and does nothing else a shell would do:
// - blanks (space, tab, newline) outside quotes separate the words;
// - single quotes keep everything up to the next single quote;
// - double quotes keep everything up to the next unescaped double quote; in
//   them a backslash escapes only $ ` " \ and newline and is kept elsewhere;
// - outside quotes a backslash keeps the next character as it is, and a
//   backslash before a newline joins the two lines;
// - "" and '' make an empty argument.
// Nothing is expanded or substituted, and there are no operators or comments:
// $ ` * ? ~ ; | & < > ( ) # are ordinary characters.
// Returns nothing when a quote is left open.
std::optional<std::vector<std::string>> splitShellWords(std::string_view text);

}  // namespace quarnel
