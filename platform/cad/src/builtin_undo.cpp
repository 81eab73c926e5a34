// UNDO: groups (G or BE ... E) and undoing a number of steps.

#include "builtin_input.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/prompts.h"
#include "platform/cad/system_variables.h"
#include "platform/cad/undo_journal.h"
#include "platform/text/format.h"

namespace platform::cad {
namespace {

int Undo()
{
    PromptReply reply = ReadReply("\n输入要放弃的操作数目或 [自动(A)/控制(C)/开始(BE)/结束(E)/标记(M)/后退(B)] <1>: ");
    if (reply.cancel)
        return RTCAN;
    const std::string option = OptionOf(reply);
    UndoJournal& journal = JournalOf();
    if (IsOption(option, "BE", "BEGIN") || IsOption(option, "G", "GROUP")) {
        journal.BeginGroup();
        return RTNORM;
    }
    if (IsOption(option, "E", "END")) {
        journal.EndGroup();  // without an open group there is nothing to end
        return RTNORM;
    }
    int count = 1;
    if (!option.empty() && (!ParseInt(option, count) || count < 1)) {
        PrintToCommandLine("\n需要正整数或选项关键字。");
        return RTERROR;
    }
    std::string error;
    int done = journal.Undo(count, &error);
    if (done < 0) {
        PrintToCommandLine("\n无法放弃: " + error);
        return RTERROR;
    }
    if (done < count)
        PrintToCommandLine("\n已放弃所有操作");
    return RTNORM;
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("UNDO", Undo);
    return true;
}();

}  // namespace
}  // namespace platform::cad
