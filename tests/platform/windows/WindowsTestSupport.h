#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/windows/Utf16.h"

// Helpers for the tests that run the Windows implementation for real, under
// Wine on the build machine or on Windows itself.
namespace quarnel::testing {

namespace fs = std::filesystem;

// The UTF-8 path text the program would hand to the platform.
inline std::string utf8(const fs::path& path) {
    return toUtf8(path.wstring());
}

// The test program's own file.
inline fs::path testProgram() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return self;
}

// The helper programs are built into the folder of the test program.
inline fs::path helperProgram(const std::wstring& name) {
    return testProgram().parent_path() / (name + L".exe");
}

// A name no other test run uses at the same time.
inline std::wstring uniqueName(const std::wstring& prefix) {
    static unsigned counter = 0;
    return prefix + std::to_wstring(GetCurrentProcessId()) + L"n" + std::to_wstring(++counter);
}

// A fresh directory under the user's temporary folder, removed with all its
// contents at the end of the test.
class ScratchDirectory {
  public:
    ScratchDirectory() : path_(fs::temp_directory_path() / uniqueName(L"quarnel-")) {
        fs::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

inline std::optional<std::string> readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Launched programs run in the background, and starting a process under Wine
// can take seconds on a busy machine: wait for the file they write, bounded.
inline std::optional<std::string> waitForFile(
    const fs::path& path, std::chrono::seconds timeout = std::chrono::seconds(30)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!fs::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return readWhole(path);
}

// A program this test started itself, ended at the end of the test if it is
// still running. Tests that find or terminate processes touch no others.
class StartedProgram {
  public:
    explicit StartedProgram(const fs::path& program) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + program.wstring() + L"\"";
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info_)) {
            throw std::runtime_error("cannot start " + utf8(program));
        }
    }
    ~StartedProgram() {
        if (running()) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 10'000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    DWORD id() const { return info_.dwProcessId; }
    bool running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

    // The exit code once the program has ended, or nothing if it is still
    // running after `timeout`.
    std::optional<DWORD> exitCodeWithin(std::chrono::milliseconds timeout) const {
        if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) !=
            WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

  private:
    PROCESS_INFORMATION info_{};
};

}  // namespace quarnel::testing
