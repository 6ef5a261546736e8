#include <windows.h>

#include <array>
#include <optional>

#include "platform/FileRules.h"
#include "platform/SystemPlatform.h"
#include "platform/windows/SystemReason.h"
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Utf16.h"

namespace quarnel {
namespace {

// The directory part with its trailing separator, so that a file in a drive
// root keeps its root ("C:\"), or "." for a bare file name.
std::wstring directoryOf(const std::wstring& path) {
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring(L".") : path.substr(0, separator + 1);
}

Refusal writeAll(HANDLE file, const std::string& contents) {
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const DWORD chunk = left > MAXDWORD ? MAXDWORD : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) {
            return lastSystemReason();
        }
        data += written;
        left -= written;
    }
    return std::nullopt;
}

// Only a file on a disk is read or written as one: a device name (NUL, CON,
// COM1, valid in any folder) opens the device, which must not hold up the
// program or take its settings.
bool isDiskFile(HANDLE file) {
    return GetFileType(file) == FILE_TYPE_DISK;
}

// The name a replace of `path` renames the new file to: where `path` is a
// symbolic link, the file it leads to, so that the link stays; otherwise
// `path` itself (also when nothing is there yet). Nothing for a device name,
// which no file may take.
std::optional<std::wstring> replacedName(const std::wstring& path) {
    const UniqueHandle file(
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) {
        return path;
    }
    if (!isDiskFile(file.get())) {
        return std::nullopt;
    }
    std::wstring end(MAX_PATH, L'\0');
    for (;;) {
        // The count leaves out the terminating null when the buffer was large
        // enough, and includes it when it asks for a larger one.
        const DWORD length = GetFinalPathNameByHandleW(
            file.get(), end.data(), static_cast<DWORD>(end.size()), FILE_NAME_NORMALIZED);
        if (length == 0) {
            return path;
        }
        const bool complete = length < end.size();
        end.resize(length);
        if (complete) {
            return end;
        }
    }
}

Refusal writeThrough(const wchar_t* path, const std::string& contents) {
    const UniqueHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return lastSystemReason();
    }
    if (Refusal refusal = writeAll(file.get(), contents)) {
        return refusal;
    }
    if (!FlushFileBuffers(file.get())) {
        return lastSystemReason();
    }
    return std::nullopt;
}

}  // namespace

std::string SystemPlatform::currentDirectory() {
    std::wstring directory(MAX_PATH, L'\0');
    for (;;) {
        // The count leaves out the terminating null when the buffer was large
        // enough, and includes it when it asks for a larger one.
        const DWORD length =
            GetCurrentDirectoryW(static_cast<DWORD>(directory.size()), directory.data());
        if (length == 0) {
            return ".";
        }
        const bool complete = length < directory.size();
        directory.resize(length);
        if (complete) {
            return toUtf8(directory);
        }
    }
}

// Only a file on a disk of sensible size is read, as on Linux: its size is
// asked first, and a file that grows while it is read stops there. A folder
// does not open without FILE_FLAG_BACKUP_SEMANTICS.
std::optional<std::string> SystemPlatform::readFile(const std::string& path) {
    const std::wstring name = toUtf16(path);
    const UniqueHandle file(CreateFileW(name.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.valid() || !isDiskFile(file.get()) || !GetFileSizeEx(file.get(), &size) ||
        static_cast<std::uint64_t>(size.QuadPart) > kLargestReadableFile) {
        return std::nullopt;
    }
    std::string contents;
    std::array<char, 64 * 1024> chunk{};
    DWORD read = 0;
    do {
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr) ||
            contents.size() + read > kLargestReadableFile) {
            return std::nullopt;
        }
        contents.append(chunk.data(), read);
    } while (read > 0);
    return contents;
}

bool SystemPlatform::fileIsMissing(const std::string& path) {
    if (GetFileAttributesW(toUtf16(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The new contents go to a temporary file in the same directory and reach the
// disk; then one rename puts it over the old file, so the name always holds
// either the old or the new contents in full. (ReplaceFileW is not used: under
// Wine it deletes the old file before moving the new one in, and a refused
// replace leaves an empty file of its own behind.) The rename would take the
// place of a file the user marked read-only, and with it the mark: such a
// file is refused. Where `path` is a symbolic link, the file it leads to is
// replaced, in its own folder, and the link stays.
Refusal SystemPlatform::replaceFile(const std::string& path, const std::string& contents) {
    const std::optional<std::wstring> name = replacedName(toUtf16(path));
    if (!name) {
        return std::string(kNotAFileRefusal);
    }
    const std::wstring& target = *name;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::string(kReadOnlyFileRefusal);
    }
    std::array<wchar_t, MAX_PATH> temporary{};
    if (GetTempFileNameW(directoryOf(target).c_str(), L"qrn", 0, temporary.data()) == 0) {
        return lastSystemReason();
    }
    Refusal refusal = writeThrough(temporary.data(), contents);
    if (!refusal && !MoveFileExW(temporary.data(), target.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        refusal = lastSystemReason();
    }
    if (refusal) {
        DeleteFileW(temporary.data());
    }
    return refusal;
}

// Opened for appending only, every write goes to the end; others may read
// the journal meanwhile, or move it.
Refusal SystemPlatform::appendToFile(const std::string& path, const std::string& text) {
    const UniqueHandle file(CreateFileW(toUtf16(path).c_str(), FILE_APPEND_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return lastSystemReason();
    }
    if (!isDiskFile(file.get())) {
        return std::string(kNotAFileRefusal);
    }
    return writeAll(file.get(), text);
}

std::optional<std::uint64_t> SystemPlatform::fileSize(const std::string& path) {
    const UniqueHandle file(CreateFileW(toUtf16(path).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.valid() || !isDiskFile(file.get()) || !GetFileSizeEx(file.get(), &size)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

Refusal SystemPlatform::renameReplacing(const std::string& from, const std::string& to) {
    if (!MoveFileExW(toUtf16(from).c_str(), toUtf16(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return lastSystemReason();
    }
    return std::nullopt;
}

}  // namespace quarnel
