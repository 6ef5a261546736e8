#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

namespace quarnel::testing {

namespace fs = std::filesystem;

// Runs `work` in a child process that, when this one is root, first drops to
// the unprivileged user "nobody", for whom permissions are enforced, and
// returns the text `work` produced there.
inline std::string outputAsUnprivilegedUser(const std::function<std::string()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(2);
        }
        const std::string text = work();
        const bool sent =
            ::write(channel[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent ? 0 : 3);
    }
    ::close(channel[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return text;
}

// A fresh directory for one test's files and programs, removed with them.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        char pattern[] = "/tmp/quarnel-keepers-XXXXXX";
        m_path = ::mkdtemp(pattern);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const fs::path& path() const { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

  private:
    fs::path m_path;
};

// Sets (or, given nothing, removes) an environment variable for the code under
// test and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(std::string name, const std::optional<std::string>& value)
        : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) {
            m_old = old;
        }
        if (value) {
            ::setenv(m_name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }
    ~ScopedVariable() {
        if (m_old) {
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

  private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// Sets PATH for the code under test and puts the old value back.
class ScopedSearchPath : public ScopedVariable {
  public:
    explicit ScopedSearchPath(const std::string& value) : ScopedVariable("PATH", value) {}
};

inline void writeExecutable(const std::string& path, const std::string& contents) {
    std::ofstream(path) << contents;
    ::chmod(path.c_str(), 0755);
}

inline std::string readWhole(const std::string& path) {
    std::ostringstream contents;
    contents << std::ifstream(path).rdbuf();
    return contents.str();
}

// Polls until `done` holds or the time is up; says whether it held.
template <typename Condition>
bool waitUntil(Condition done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace quarnel::testing
