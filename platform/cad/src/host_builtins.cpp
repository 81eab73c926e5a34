// The host's own commands that this stand-in offers so far. Each reads its inputs through the
// prompts, so it takes them from acedCommand arguments, a script or a person alike.
#include "command_input.h"
#include "platform/ui/answer_source.h"

namespace platform::cad::detail {

std::map<std::string, BuiltinCommand> HostBuiltins()
{
    std::map<std::string, BuiltinCommand> commands;
    // Without a display there is nothing to regenerate; the request is recorded.
    commands["REGEN"] = [] {
        ui::AppendTranscript("regen");
        return RTNORM;
    };
    return commands;
}

}  // namespace platform::cad::detail
