#pragma once

namespace quarnel {

// What to do with a time keeper (the configured service or program).
enum class TKeeperAction { Stop = 1, Start = 2 };

}  // namespace quarnel
