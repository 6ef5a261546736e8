#include "platform/FileContractSupport.h"

#include <sys/stat.h>

namespace quarnel::testing {

std::string pathText(const std::filesystem::path& path) {
    return path.string();
}

bool makeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::error_code failed;
    std::filesystem::create_symlink(target, link, failed);
    return !failed;
}

void removeSymbolicLink(const std::filesystem::path& link) {
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
}

// Never a device of the machine's own, such as /dev/null: a faulty replace
// would take its name.
std::filesystem::path deviceIn(const std::filesystem::path& folder) {
    const std::filesystem::path fifo = folder / "fifo";
    ::mkfifo(fifo.c_str(), 0600);
    return fifo;
}

}  // namespace quarnel::testing
