// ZOOM: to the drawing's extents (E) or to a window (W, or two corners given at once).

#include "builtin_input.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/prompts.h"
#include "platform/cad/view_state.h"

namespace platform::cad {
namespace {

int ZoomToCorners(const AcGePoint3d& first)
{
    AcGePoint3d second;
    int rc = ReadPoint("\n指定对角点: ", second);
    if (rc != RTNORM)
        return rc == RTCAN ? RTCAN : RTERROR;
    if (!ZoomWindow(first, second)) {
        PrintToCommandLine("\n窗口的宽度和高度必须大于零。");
        return RTERROR;
    }
    return RTNORM;
}

int Zoom()
{
    PromptReply reply = ReadReply(
        "\n指定窗口的角点，输入比例因子 (nX 或 nXP)，或者\n[全部(A)/中心(C)/动态(D)/范围(E)/上一个(P)/比例(S)/窗口(W)/对象(O)] "
        "<实时>: ");
    if (reply.cancel)
        return RTCAN;
    const std::string option = OptionOf(reply);
    AcGePoint3d corner;
    if (reply.nameType == 0 && option.empty())
        return RTNORM;  // real-time zoom: nothing to do without a display
    if (IsOption(option, "E", "EXTENTS")) {
        ZoomExtents();  // an empty drawing keeps its view
        return RTNORM;
    }
    if (IsOption(option, "W", "WINDOW")) {
        int rc = ReadPoint("\n指定第一个角点: ", corner);
        if (rc != RTNORM)
            return rc == RTCAN ? RTCAN : RTERROR;
        return ZoomToCorners(corner);
    }
    if (ParsePointText(option, corner))
        return ZoomToCorners(corner);
    PrintToCommandLine("\n本主机的 ZOOM 只提供范围(E)和窗口(W)。");
    return RTERROR;
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("ZOOM", Zoom);
    return true;
}();

}  // namespace
}  // namespace platform::cad
