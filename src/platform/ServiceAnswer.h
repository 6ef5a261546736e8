#pragma once

#include <functional>
#include <string>

namespace quarnel {

// What a system service reached over the system bus answered to a request.
struct ServiceAnswer {
    enum class Outcome {
        Done,         // the request was carried out
        Refused,      // the service said no; `reason` is its message
        Unavailable,  // no bus or no such service: nobody could be asked
    };
    Outcome outcome = Outcome::Unavailable;
    std::string reason;
};

using ServiceAnswered = std::function<void(ServiceAnswer)>;

}  // namespace quarnel
