#include "cadastral/config_file.h"

#include "drawingutil/support_files.h"

namespace cadastral {
namespace {

bool IsUpperAscii(char c, char upper) {
    return c == upper || c == static_cast<char>(upper - 'A' + 'a');
}

}  // namespace

bool IsEndLine(std::string_view line) {
    return line.size() >= 3 && IsUpperAscii(line[0], 'E') && IsUpperAscii(line[1], 'N') &&
           IsUpperAscii(line[2], 'D');
}

std::vector<std::string> SplitConfigLines(std::string_view content, bool* ended) {
    std::vector<std::string> lines;
    if (ended)
        *ended = false;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t feed = content.find('\n', start);
        std::size_t end = feed == std::string_view::npos ? content.size() : feed;
        std::size_t next = feed == std::string_view::npos ? content.size() : feed + 1;
        // A carriage return belongs to the line end only when a line feed follows it.
        if (feed != std::string_view::npos && end > start && content[end - 1] == '\r')
            --end;
        std::string_view line = content.substr(start, end - start);
        if (std::size_t zero = line.find('\0'); zero != std::string_view::npos)
            line = line.substr(0, zero);
        if (IsEndLine(line)) {
            if (ended)
                *ended = true;
            break;
        }
        lines.emplace_back(line);
        start = next;
    }
    return lines;
}

bool ReadConfigFile(const char* bareName, std::vector<std::string>& lines, bool* ended) {
    lines.clear();
    if (ended)
        *ended = false;
    std::string content;
    if (drawingutil::ReadSupportFile(bareName, content) != drawingutil::SupportFileRead::kRead)
        return false;
    lines = SplitConfigLines(content, ended);
    return true;
}

}  // namespace cadastral
