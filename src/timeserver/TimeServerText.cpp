#include "timeserver/TimeServerText.h"

#include "clock/ClockTexts.h"

namespace quarnel {

namespace {

std::string problemText(const ServerProblem& problem, std::string_view server) {
    const std::string name(server);
    switch (problem.fault) {
        case ServerFault::NoAddress:
            return name + " has no address";
        case ServerFault::NoAnswer:
            return "no answer from " + name;
        case ServerFault::NotFromServerAsked:
            return "the reply was not from the server asked";
        case ServerFault::Truncated:
            return "the reply was cut short";
        case ServerFault::NotServerMode:
            return "the reply was not a time server's answer";
        case ServerFault::UnknownVersion:
            return "the reply was of an NTP version this program does not read";
        case ServerFault::NotAnswerToRequest:
            return "the reply did not answer the request sent";
        case ServerFault::AskedToSlowDown:
            return name + " asked to be asked less often (" + problem.kissCode + ")";
        case ServerFault::Refused:
            return name + " refused to answer (" + problem.kissCode + ")";
        case ServerFault::KissWithoutTime:
            return name + " sent no time (" + problem.kissCode + ")";
        case ServerFault::NotSynchronized:
            return name + " is not synchronized";
        case ServerFault::StratumTooHigh:
            return name + " is not synchronized (stratum " + std::to_string(problem.stratum) + ")";
        case ServerFault::NoTransmitTime:
            return "the reply carried no time";
        case ServerFault::NegativeDelay:
            return "the reply's times contradict each other";
        case ServerFault::FarFromReference:
            return name + " may be more than a second from true time";
    }
    return "the reply could not be used";
}

}  // namespace

std::string formatTimeServerLine(const TimeServerStatus& status, std::string_view server,
                                 std::string_view decimalSeparator) {
    switch (status.state) {
        case TimeServerStatus::State::NotAsking:
            return "Time server: not asking";
        case TimeServerStatus::State::Asking:
            return "Time server: asking \u2026";
        case TimeServerStatus::State::Measured:
            return "Time server: " +
                   formatMillisecondsText(localClockAhead(status.sample), true, decimalSeparator) +
                   " s \u00b1" +
                   formatMillisecondsText(offsetUncertainty(status.sample), false,
                                          decimalSeparator) +
                   " (" + std::string(server) + ", stratum " +
                   std::to_string(status.sample.stratum) + ")";
        case TimeServerStatus::State::Problem:
            return "Time server: " + problemText(status.problem, server);
    }
    return {};
}

}  // namespace quarnel
