#include "drawingutil/text_fields.h"

#include <cstring>
#include <string_view>

#include "platform/text/gbk.h"

#include "drawingutil/host_objects.h"

using drawingutil::TextOrEmpty;

int CountCommas(const char* text)
{
    std::string_view view = TextOrEmpty(text);
    int count = 0;
    for (std::size_t pos = platform::text::GbkFind(view, ','); pos != std::string_view::npos;
         pos = platform::text::GbkFind(view, ',', pos + 1))
        ++count;
    return count;
}

void CopyFirstField(const char* line, std::string& field)
{
    std::string_view view = TextOrEmpty(line);
    std::size_t start = 0;
    while (start < view.size() && view[start] == ' ')
        ++start;
    std::size_t end = start;
    while (end < view.size() && view[end] != ',' && view[end] != '\n' && view[end] != ' ')
        end += platform::text::GbkCharLength(view, end);
    field.assign(view.substr(start, end - start));
}

bool StringEquals(const char* text, const char* element)
{
    return std::strcmp(TextOrEmpty(text), TextOrEmpty(element)) == 0;
}

bool StringDiffers(const char* text, const char* element) { return !StringEquals(text, element); }
