// REDRAW: without a display there is nothing to repaint; the request is recorded, as REGEN's is.
#include "platform/cad/command_processor.h"
#include "platform/ui/answer_source.h"

namespace platform::cad {
namespace {

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("REDRAW", [] {
        ui::AppendTranscript("redraw");
        return RTNORM;
    });
    return true;
}();

}  // namespace
}  // namespace platform::cad
