#include "builtin_input.h"

#include <cstdio>

#include "command_input.h"
#include "platform/text/gbk.h"

namespace platform::cad {

PromptReply ReadReply(const std::string& prompt)
{
    PromptReply reply;
    detail::Input in = detail::ReadInput(prompt);
    if (in.kind == detail::Input::Cancel)
        return reply;
    reply.cancel = false;
    if (in.fromArgument && (in.argument->restype == RTENAME || in.argument->restype == RTPICKS)) {
        reply.nameType = in.argument->restype;
        ads_name_set(in.argument->resval.rlname, reply.name);
        return reply;
    }
    reply.text = in.fromArgument ? detail::ArgumentText(in.argument) : in.text;
    std::size_t begin = reply.text.find_first_not_of(" \t");
    std::size_t end = reply.text.find_last_not_of(" \t");
    reply.text = begin == std::string::npos ? std::string() : reply.text.substr(begin, end - begin + 1);
    return reply;
}

std::string OptionOf(const PromptReply& reply)
{
    return !reply.text.empty() && reply.text[0] == '_' ? reply.text.substr(1) : reply.text;
}

bool IsOption(const std::string& option, const char* shortForm, const char* longForm)
{
    return text::GbkEqualNoCase(option, shortForm) || (longForm != nullptr && text::GbkEqualNoCase(option, longForm));
}

bool ParsePointText(const std::string& text, AcGePoint3d& point)
{
    double x = 0, y = 0, z = 0;
    int used = 0;
    int n = std::sscanf(text.c_str(), " %lf , %lf %n", &x, &y, &used);
    if (n < 2)
        return false;
    if (static_cast<std::size_t>(used) < text.size()) {
        int more = 0;
        if (std::sscanf(text.c_str() + used, ", %lf %n", &z, &more) < 1 ||
            static_cast<std::size_t>(used + more) != text.size())
            return false;
    }
    point.set(x, y, z);
    return true;
}

int ReadPoint(const std::string& prompt, AcGePoint3d& point)
{
    PromptReply reply = ReadReply(prompt);
    if (reply.cancel)
        return RTCAN;
    if (reply.nameType == 0 && reply.text.empty())
        return RTNONE;
    return reply.nameType == 0 && ParsePointText(reply.text, point) ? RTNORM : RTERROR;
}

}  // namespace platform::cad
