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

bool EndsInFw(const std::string& featureClass)
{
    const std::size_t at = featureClass.size() < 2 ? 0 : featureClass.size() - 2;
    return featureClass.size() > 2 && platform::text::IsGbkCharBoundary(featureClass, at) &&
           platform::text::GbkEqualNoCase(std::string_view(featureClass).substr(at), "FW");
}

}  // namespace

bool ReadHouseCodes(const std::string& path, std::vector<std::string>& codes, std::string& error,
                    std::vector<std::string>* others)
{
    codes.clear();
    if (others != nullptr)
        others->clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read the code table " + path;
        return false;
    }
    std::string line;
    std::size_t lookalikes = 0;
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
        if (fields.size() < 6 || fields[0].empty())
            continue;
        if (platform::text::GbkEqualNoCase(fields[5], "FW"))
            codes.push_back(fields[0]);
        else if (others != nullptr && !fields[5].empty())
            // Classes that end in "FW" (such as "TFW") first: the likeliest to be taken for houses.
            others->insert(EndsInFw(fields[5]) ? others->begin() + static_cast<std::ptrdiff_t>(lookalikes++)
                                               : others->end(),
                           fields[0]);
    }
    if (codes.empty()) {
        error = "the code table " + path + " holds no house code (class \"FW\")";
        return false;
    }
    return true;
}

}  // namespace makedrawing
