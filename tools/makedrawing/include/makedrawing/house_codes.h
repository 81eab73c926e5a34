// The feature codes a generated house may take: the codes of class "FW" in the code table.
#pragma once

#include <string>
#include <vector>

namespace makedrawing {

// Reads the code table (GBK lines "code,name,number,layer,number,class", ended by a line that
// begins with "END" in any case). False with a message when the file cannot be read or holds no
// house code. The codes of every other class go to `others` when given, those whose class
// ends in "FW" first.
bool ReadHouseCodes(const std::string& path, std::vector<std::string>& codes, std::string& error,
                    std::vector<std::string>* others = nullptr);

}  // namespace makedrawing
