#pragma once

#include <functional>
#include <optional>
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

// Hands a service's answer on as a refusal or none; when nobody could be
// asked, `nobodyThere` decides instead (another way, or the system's reason).
template <typename Done, typename Fallback>
void passOn(const ServiceAnswer& answer, const Done& done, const Fallback& nobodyThere) {
    switch (answer.outcome) {
        case ServiceAnswer::Outcome::Done:
            done(std::nullopt);
            return;
        case ServiceAnswer::Outcome::Refused:
            done(answer.reason);
            return;
        case ServiceAnswer::Outcome::Unavailable:
            nobodyThere();
            return;
    }
}

}  // namespace quarnel
