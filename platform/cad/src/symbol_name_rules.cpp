#include "symbol_name_rules.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/text/gbk.h"

namespace platform::cad {

namespace {
bool IsUnicodeEscape(std::string_view name, std::size_t i)
{
    if (i + 7 > name.size() || name[i] != '\\' || (name[i + 1] != 'U' && name[i + 1] != 'u') || name[i + 2] != '+')
        return false;
    for (std::size_t k = i + 3; k < i + 7; ++k)
        if (std::isxdigit(static_cast<unsigned char>(name[k])) == 0)
            return false;
    return true;
}
}  // namespace

std::size_t SymbolNameCharLength(std::string_view name, std::size_t i)
{
    std::size_t length = std::max<std::size_t>(platform::text::GbkCharLength(name, i), 1);
    return length == 1 && IsUnicodeEscape(name, i) ? 7 : length;
}

bool IsRefusedSymbolNameChar(std::string_view name, std::size_t i, std::size_t length)
{
    if (length != 1)
        return false;
    unsigned char c = static_cast<unsigned char>(name[i]);
    return c < 0x20 || std::strchr("<>/\\\":;?|,=`", c) != nullptr || (c == '*' && i != 0);
}

}  // namespace platform::cad
