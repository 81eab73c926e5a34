#include "platform/gis/w60area.h"

#include <cstring>

#include "attribute_values.h"
#include "platform/text/gbk.h"

LONG GisGetFieldText(const CATT_STRU* structure, const ATT_VALUES* values, short position, char* buffer, short size,
                     LONG, LONG)
{
    if (structure == nullptr || values == nullptr || buffer == nullptr || size < 1 || position < 0 ||
        position >= structure->fieldCount || static_cast<std::size_t>(position) >= values->values.size())
        return 0;
    const std::string text =
        platform::text::TruncateGbk(values->values[static_cast<std::size_t>(position)], static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return 1;
}
