#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// The call of the station that sent a decoded message, from the standard
// message forms of FT8, FT4 and the other modes with 77-bit messages:
//   "CQ [modifier] CALL [GRID]" (also QRZ and DE), the modifier a number or
//   one to four letters (DX, NA, POTA, ...);
//   "CALL1 CALL2 [report|grid|RR73|73|RRR|...]", sent by CALL2;
//   "TU; CALL1 CALL2 ..." of the contest forms.
// A call in angle brackets was sent as a hash and is given without them; an
// unresolved hash ("<...>") names nobody. Free text, telemetry and anything
// whose sender slot holds no plausible call give nothing.
std::optional<std::string> senderOf(std::string_view message);

// Letters and digits, with at least one of each, 3 to 11 characters, parts
// joined by "/" allowed (portable, region). Grid locators and RR73 have that
// shape too, and are not calls.
bool isPlausibleCall(std::string_view token);

}  // namespace quarnel
