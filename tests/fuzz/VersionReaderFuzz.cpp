// The version reader on any bytes as a program file: no fault, and never more
// bytes asked of the file than its limits allow.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "info/ElfVersionNote.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    std::uint64_t requested = 0;
    quarnel::readElfVersionNote(
        [&](std::uint64_t offset, std::uint64_t length) -> std::optional<std::string> {
            requested += length;
            if (offset > file.size() || length > file.size() - offset) {
                return std::nullopt;
            }
            return std::string(file.substr(offset, length));
        });
    if (requested > 64 + quarnel::kLargestProgramHeaderTable + quarnel::kMostNoteBytes) {
        std::abort();
    }
    return 0;
}
