#include "package_names.h"

namespace Setup::detail {

bool IsPlainName(std::u16string_view name) {
    // Windows drops trailing dots and blanks: a name of nothing else ("..", "...", " ") would
    // stand for the folder itself or the one above it.
    if (name.find_first_not_of(u". ") == std::u16string_view::npos) return false;
    for (char16_t c : name) {
        if (c < 0x20 || std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
    }
    return true;
}

bool IsPathBelow(std::u16string_view path) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find_first_of(u"\\/", start);
        if (!IsPlainName(path.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start)))
            return false;
        if (end == std::u16string_view::npos) return true;
        start = end + 1;
    }
}

}  // namespace Setup::detail
