#include "drawingutil/drawing_scale.h"

#include "platform/cad/command_processor.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/text/format.h"

namespace {

constexpr double kDefaultScale = 500.0;
constexpr double kSmallestScale = 3.0;

}  // namespace

void GetDrawingScale(double& scale)
{
    resbuf value{};
    scale = acedGetVar("userr1", &value) == RTNORM && value.restype == RTREAL ? value.resval.rreal : 0.0;
    if (scale >= kSmallestScale)
        return;
    const std::string prompt = platform::text::Format("\n绘图比例尺 1:<%.f> ", kDefaultScale);
    while (scale < kSmallestScale) {
        ads_real answer = 0;
        scale = acedGetReal(prompt.c_str(), &answer) == RTNORM ? answer : kDefaultScale;
    }
    value.restype = RTREAL;
    value.resval.rreal = scale;
    acedSetVar("userr1", &value);
    acedCommand(RTSTR, "LTSCALE", RTREAL, scale * 0.001, RTNONE);
}
