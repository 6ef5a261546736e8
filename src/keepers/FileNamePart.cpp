#include "keepers/FileNamePart.h"

namespace quarnel {

std::string fileNamePart(std::string_view path, std::string_view separators) {
    const std::size_t last = path.find_last_of(separators);
    return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

}  // namespace quarnel
