// Inputs of the host's own commands and of the user's object selection, read through the
// prompts: from acedCommand arguments when there are some, else from the answer source.
#pragma once

#include <string>

#include "platform/cad/ge_types.h"
#include "platform/cad/resbuf.h"

namespace platform::cad {

struct PromptReply {
    bool cancel = true;
    short nameType = 0;  // RTENAME or RTPICKS when an argument named an entity or a set
    ads_name name = {0, 0};
    std::string text;    // anything else, as text (a point argument as "x,y")
};

PromptReply ReadReply(const std::string& prompt);
// The keyword a reply gives, without the "_" that marks a keyword typed in English.
std::string OptionOf(const PromptReply& reply);
// True when the option is the short or the long form of a keyword, in any case.
bool IsOption(const std::string& option, const char* shortForm, const char* longForm = nullptr);
// "x,y" or "x,y,z", blanks allowed around the numbers.
bool ParsePointText(const std::string& text, AcGePoint3d& point);
// RTNORM with the point, RTNONE for Enter, RTCAN, or RTERROR for text that is not a point.
int ReadPoint(const std::string& prompt, AcGePoint3d& point);

}  // namespace platform::cad
