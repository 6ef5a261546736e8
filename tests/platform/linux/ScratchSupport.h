#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

namespace quarnel::testing {

namespace fs = std::filesystem;

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

// Sets PATH for the code under test and puts the old value back.
class ScopedSearchPath {
  public:
    explicit ScopedSearchPath(const std::string& value) {
        if (const char* old = std::getenv("PATH")) {
            m_old = old;
        }
        ::setenv("PATH", value.c_str(), 1);
    }
    ~ScopedSearchPath() {
        if (m_old) {
            ::setenv("PATH", m_old->c_str(), 1);
        } else {
            ::unsetenv("PATH");
        }
    }
    ScopedSearchPath(const ScopedSearchPath&) = delete;
    ScopedSearchPath& operator=(const ScopedSearchPath&) = delete;

  private:
    std::optional<std::string> m_old;
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
