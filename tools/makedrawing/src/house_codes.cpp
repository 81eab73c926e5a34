#include "makedrawing/house_codes.h"

#include <fstream>

#include "platform/text/gbk.h"

namespace makedrawing {

namespace {

// A field as the toolkit reads one: from the first non-blank character to a blank or the end.
std::string Field(const std::string& text)
{
    std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    std::size_t end = text.find_first_of(" \t\r\n", begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

}  // namespace

bool ReadHouseCodes(const std::string& path, std::vector<std::string>& codes, std::string& error)
{
    codes.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the code table " + path;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() >= 3 && platform::text::GbkEqualNoCase(std::string_view(line).substr(0, 3), "END"))
            break;
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            std::size_t comma = line.find(',', start);
            fields.push_back(Field(line.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (fields.size() >= 6 && platform::text::GbkEqualNoCase(fields[5], "FW") && !fields[0].empty())
            codes.push_back(fields[0]);
    }
    if (codes.empty()) {
        error = "the code table " + path + " holds no house code (class \"FW\")";
        return false;
    }
    return true;
}

}  // namespace makedrawing
