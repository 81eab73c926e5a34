// SETVAR typed as a command: the variable's name, then its new value in the variable's own type;
// Enter keeps the value.
#include <cstdlib>

#include "builtin_input.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/text/format.h"

namespace platform::cad {
namespace {

int Setvar()
{
    const PromptReply name = ReadReply("\n输入变量名: ");
    if (name.cancel)
        return RTCAN;
    resbuf current{};
    if (name.text.empty() || acedGetVar(name.text.c_str(), &current) != RTNORM) {
        PrintToCommandLine("\n未知变量名。");
        return RTERROR;
    }
    std::string shown;
    if (current.restype == RTSTR) {
        shown = current.resval.rstring != nullptr ? current.resval.rstring : "";
        std::free(current.resval.rstring);
    } else if (current.restype == RTREAL) {
        shown = text::Format("%.4f", current.resval.rreal);
    } else if (current.restype == RTSHORT) {
        shown = text::Format("%d", current.resval.rint);
    } else if (current.restype == RTLONG) {
        shown = text::Format("%ld", static_cast<long>(current.resval.rlong));
    }
    const PromptReply value = ReadReply(text::Format("\n输入 %s 的新值 <%s>: ", name.text.c_str(), shown.c_str()));
    if (value.cancel)
        return RTCAN;
    if (value.text.empty() && current.restype != RTSTR)
        return RTNORM;
    resbuf set{};
    set.restype = current.restype;
    std::string text = value.text;
    bool parsed = true;
    if (current.restype == RTSTR) {
        set.resval.rstring = text.data();
    } else if (current.restype == RTREAL) {
        parsed = ParseReal(text, set.resval.rreal);
    } else if (current.restype == RTSHORT || current.restype == RTLONG) {
        int number = 0;
        parsed = ParseInt(text, number);
        if (current.restype == RTSHORT)
            set.resval.rint = static_cast<short>(number);
        else
            set.resval.rlong = number;
    } else {
        parsed = false;
    }
    if (!parsed || acedSetVar(name.text.c_str(), &set) != RTNORM) {
        PrintToCommandLine(text::Format("\n%s 不能取值 %s。", name.text.c_str(), text.c_str()));
        return RTERROR;
    }
    return RTNORM;
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("SETVAR", Setvar);
    return true;
}();

}  // namespace
}  // namespace platform::cad
