// LTSCALE and CMDECHO typed as commands: each asks for the variable's new value, Enter keeps it.
#include "platform/cad/command_processor.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/text/format.h"

namespace platform::cad {
namespace {

int Ltscale()
{
    resbuf rb{};
    if (acedGetVar("LTSCALE", &rb) != RTNORM)
        return RTERROR;
    double value = 0;
    int rc = acedGetReal(text::Format("\n输入新线型比例因子 <%.4f>: ", rb.resval.rreal).c_str(), &value);
    if (rc == RTNONE)
        return RTNORM;
    if (rc != RTNORM)
        return rc;
    resbuf set{};
    set.restype = RTREAL;
    set.resval.rreal = value;
    if (acedSetVar("LTSCALE", &set) != RTNORM) {
        PrintToCommandLine("\n需要正数。");
        return RTERROR;
    }
    PrintToCommandLine("\n正在重生成模型。");
    return RTNORM;
}

int Cmdecho()
{
    resbuf rb{};
    if (acedGetVar("CMDECHO", &rb) != RTNORM)
        return RTERROR;
    int value = 0;
    int rc = acedGetInt(text::Format("\n输入 CMDECHO 的新值 <%d>: ", rb.resval.rint).c_str(), &value);
    if (rc == RTNONE)
        return RTNORM;
    if (rc != RTNORM)
        return rc;
    resbuf set{};
    set.restype = RTSHORT;
    set.resval.rint = static_cast<short>(value);
    if (acedSetVar("CMDECHO", &set) != RTNORM) {
        PrintToCommandLine("\n需要介于 0 和 1 之间的整数。");
        return RTERROR;
    }
    return RTNORM;
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("LTSCALE", Ltscale);
    RegisterBuiltinCommand("CMDECHO", Cmdecho);
    return true;
}();

}  // namespace
}  // namespace platform::cad
