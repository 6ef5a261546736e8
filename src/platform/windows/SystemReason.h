#pragma once

#include <string>

namespace quarnel {

// The system's own text for a Win32 error code, in UTF-8, as one line without
// the closing full stop, so that it reads well inside a sentence.
std::string systemReason(unsigned long errorCode);

// The text for GetLastError(); call it before anything else can change it.
std::string lastSystemReason();

}  // namespace quarnel
