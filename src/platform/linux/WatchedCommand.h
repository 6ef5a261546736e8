#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/linux/UniqueFd.h"

namespace quarnel {

// A command started as our own child, so that its exit status can be read
// when it ends; its error output is kept for the reason of a failure.
class WatchedCommand {
  public:
    // Starts arguments[0], found as findExecutable finds it, with the
    // environment a launched program gets. Nothing when it cannot be started;
    // `reason` then says why.
    static std::unique_ptr<WatchedCommand> start(const std::vector<std::string>& arguments,
                                                 std::string& reason);
    ~WatchedCommand();
    WatchedCommand(const WatchedCommand&) = delete;
    WatchedCommand& operator=(const WatchedCommand&) = delete;

    // Nothing while the command runs. Once it has ended: no refusal for exit
    // status 0, otherwise the last line it wrote to its error output, or its
    // exit status when it wrote none.
    std::optional<Refusal> outcome();

  private:
    WatchedCommand(pid_t child, UniqueFd errors, std::string program);
    void readErrors();

    pid_t m_child;
    UniqueFd m_errors;
    std::string m_program;
    std::string m_errorText;
};

}  // namespace quarnel
