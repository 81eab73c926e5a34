#include "platform/cad/prompts.h"

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command_input.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/system_variables.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"

namespace platform::cad {
namespace {

std::function<void(std::string_view)> g_writer;
int g_cancels = 0;
std::string g_text;

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '"')
            out += "\\\"";
        else
            out += c;
    }
    return out + "\"";
}

bool EchoArguments()
{
    resbuf rb{};
    return acedGetVar("CMDECHO", &rb) != RTNORM || rb.restype != RTSHORT || rb.resval.rint != 0;
}

}  // namespace

void SetCommandLineWriter(std::function<void(std::string_view gbk)> writer) { g_writer = std::move(writer); }
const std::string& CommandLineText() { return g_text; }
void ClearCommandLine() { g_text.clear(); }

void PrintToCommandLine(std::string_view gbk)
{
    if (gbk.empty())
        return;
    g_text += gbk;
    if (g_writer)
        g_writer(gbk);
}

namespace detail {

ArgumentFeed::ArgumentFeed(const resbuf* list)
{
    // A copy, so that the caller may free its list while the command runs.
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const resbuf* rb = list; rb != nullptr && rb->restype != RTNONE; rb = rb->rbnext) {
        resbuf* copy = acutNewRb(rb->restype);
        if (copy == nullptr)
            break;
        copy->resval = rb->resval;
        if (rb->restype == RTSTR)
            copy->resval.rstring = acutNewString(rb->resval.rstring ? rb->resval.rstring : "");
        *tail = copy;
        tail = &copy->rbnext;
    }
    list_ = next_ = head;
}

ArgumentFeed::~ArgumentFeed() { acutRelRb(list_); }

const resbuf* ArgumentFeed::Next()
{
    const resbuf* rb = next_;
    if (rb != nullptr)
        next_ = next_->rbnext;
    return rb;
}

std::vector<ArgumentFeed*>& Feeds()
{
    static std::vector<ArgumentFeed*> feeds;
    return feeds;
}

std::string ArgumentText(const resbuf* rb)
{
    switch (rb->restype) {
        case RTSTR: return rb->resval.rstring ? rb->resval.rstring : "";
        case RTREAL:
        case RTANG: return text::Format("%.16g", rb->resval.rreal);
        case RTSHORT: return text::Format("%d", rb->resval.rint);
        case RTLONG: return text::Format("%lld", static_cast<long long>(rb->resval.rlong));
        case RTPOINT: return text::Format("%.16g,%.16g", rb->resval.rpoint[0], rb->resval.rpoint[1]);
        case RT3DPOINT:
            return text::Format("%.16g,%.16g,%.16g", rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]);
        case RTENAME:
        case RTPICKS: return "<Selection>";
        default: return text::Format("<%d>", rb->restype);
    }
}

int CancelCount() { return g_cancels; }

Input ReadInput(const std::string& prompt)
{
    Input input;
    if (Ending()) {
        ++g_cancels;
        return input;
    }
    if (!Feeds().empty()) {
        if (const resbuf* rb = Feeds().back()->Next()) {
            input.kind = Input::Value;
            input.fromArgument = true;
            input.argument = rb;
            std::string shown = ArgumentText(rb);
            ui::AppendTranscript("prompt " + Quote(prompt));
            ui::AppendTranscript("  -> " + Quote(shown) + " (command argument)");
            if (EchoArguments())
                PrintToCommandLine(prompt + shown);
            return input;
        }
    }
    PrintToCommandLine(prompt);
    ui::Request request;
    request.kind = ui::RequestKind::Prompt;
    request.text = prompt;
    ui::Answer answer = ui::Ask(request);
    if (answer.cancel) {
        ++g_cancels;
        PrintToCommandLine("*取消*");
        return input;
    }
    input.kind = Input::Value;
    input.text = answer.text;
    PrintToCommandLine(answer.text);
    return input;
}

}  // namespace detail
}  // namespace platform::cad

using platform::cad::PrintToCommandLine;
using platform::cad::detail::Input;
using platform::cad::detail::ReadInput;

int acutPrintf(const char* format, ...)
{
    if (format == nullptr)
        return 0;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (n > 0) {
        text.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<std::size_t>(n));
    }
    va_end(args);
    PrintToCommandLine(text);
    return n < 0 ? 0 : n;
}

int acedGetReal(const char* prompt, ads_real* result)
{
    std::string p = prompt ? prompt : "";
    for (;;) {
        Input in = ReadInput(p);
        if (in.kind == Input::Cancel)
            return RTCAN;
        double value = 0;
        if (in.fromArgument) {
            const resbuf* rb = in.argument;
            if (rb->restype == RTREAL || rb->restype == RTANG)
                value = rb->resval.rreal;
            else if (rb->restype == RTSHORT)
                value = rb->resval.rint;
            else if (rb->restype == RTLONG)
                value = static_cast<double>(rb->resval.rlong);
            else if (rb->restype == RTSTR && (rb->resval.rstring == nullptr || *rb->resval.rstring == '\0'))
                return RTNONE;
            else if (rb->restype != RTSTR || !platform::cad::ParseReal(rb->resval.rstring, value))
                return RTERROR;
        } else {
            if (in.text.empty())
                return RTNONE;
            if (!platform::cad::ParseReal(in.text, value)) {
                PrintToCommandLine("\n需要数值。");
                continue;
            }
        }
        if (result != nullptr)
            *result = value;
        return RTNORM;
    }
}

int acedGetInt(const char* prompt, int* result)
{
    std::string p = prompt ? prompt : "";
    for (;;) {
        Input in = ReadInput(p);
        if (in.kind == Input::Cancel)
            return RTCAN;
        int value = 0;
        if (in.fromArgument) {
            const resbuf* rb = in.argument;
            if (rb->restype == RTSHORT)
                value = rb->resval.rint;
            else if (rb->restype == RTLONG && rb->resval.rlong >= -32768 && rb->resval.rlong <= 32767)
                value = static_cast<int>(rb->resval.rlong);
            else if (rb->restype == RTSTR && (rb->resval.rstring == nullptr || *rb->resval.rstring == '\0'))
                return RTNONE;
            else if (rb->restype != RTSTR || !platform::cad::ParseInt(rb->resval.rstring, value))
                return RTERROR;
        } else {
            if (in.text.empty())
                return RTNONE;
            if (!platform::cad::ParseInt(in.text, value)) {
                PrintToCommandLine("\n需要介于 -32768 和 32767 之间的整数。");
                continue;
            }
        }
        if (result != nullptr)
            *result = value;
        return RTNORM;
    }
}

int acedGetString(int cronly, const char* prompt, char* result, std::size_t bufLen)
{
    if (result == nullptr || bufLen == 0)
        return RTERROR;
    Input in = ReadInput(prompt ? prompt : "");
    if (in.kind == Input::Cancel)
        return RTCAN;
    std::string text = in.fromArgument ? platform::cad::detail::ArgumentText(in.argument) : in.text;
    if (!cronly) {
        // Without cronly a blank ends the input, as the space bar does at the keyboard.
        std::size_t blank = text.find_first_of(" \t");
        if (blank != std::string::npos)
            text.resize(blank);
    }
    std::size_t fit = platform::text::GbkFitLength(text, bufLen - 1);
    std::memcpy(result, text.data(), fit);
    result[fit] = '\0';
    return fit < text.size() ? RTINPUTTRUNCATED : RTNORM;
}

int acedEntSel(const char* prompt, ads_name entity, ads_point point)
{
    Input in = ReadInput(prompt ? prompt : "");
    if (in.kind == Input::Cancel)
        return RTCAN;
    ads_name found{0, 0};
    ads_point picked{0, 0, 0};
    if (in.fromArgument && in.argument->restype == RTENAME) {
        ads_name_set(in.argument->resval.rlname, found);
    } else {
        std::string text = in.fromArgument ? platform::cad::detail::ArgumentText(in.argument) : in.text;
        std::size_t begin = text.find_first_not_of(" \t");
        if (begin == std::string::npos)
            return RTERROR;
        std::size_t end = text.find_first_of(" \t", begin);
        std::string handle = text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        if (end != std::string::npos) {
            double x = 0, y = 0, z = 0;
            int n = std::sscanf(text.c_str() + end, " %lf,%lf,%lf", &x, &y, &z);
            if (n >= 2) {
                picked[0] = x;
                picked[1] = y;
                picked[2] = n == 3 ? z : 0;
            }
        }
        AcDbObjectId id;
        if (acdbHandEnt(handle.c_str(), found) != RTNORM || acdbGetObjectId(id, found) != Acad::eOk || id.isErased()) {
            PrintToCommandLine("\n未选择对象。");
            return RTERROR;
        }
    }
    if (entity != nullptr)
        ads_name_set(found, entity);
    if (point != nullptr)
        ads_point_set(picked, point);
    return RTNORM;
}

int acedAlert(const char* message)
{
    std::string text = message ? message : "";
    platform::ui::AppendTranscript("alert " + platform::cad::Quote(text));
    PrintToCommandLine("\n[alert] " + text + "\n");
    return RTNORM;
}
