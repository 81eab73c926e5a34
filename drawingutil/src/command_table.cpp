#include "drawingutil/command_table.h"

#include <string>

#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/text/gbk.h"
#include "platform/ui/resources.h"

namespace drawingutil {
namespace {

// Local names loaded from string resources hold at most 64 bytes (the host's buffer has 68).
constexpr std::size_t kLocalNameLimit = 64;

// The host's command stack: the registry's entry, accepted only when it is of the host's command
// stack class. The class is looked up in the host's class dictionary once, and kept once found.
AcEdCommandStack* CommandStack() {
    static AcRxClass* stackClass = nullptr;
    if (stackClass == nullptr) {
        if (AcRxDictionary* classes = acrxClassDictionary)
            stackClass = AcRxClass::cast(classes->at("AcEdCommandStack"));
        if (stackClass == nullptr)
            return nullptr;
    }
    AcRxObject* entry = acrxSysRegistry()->at(ACRX_COMMAND_DOCK);
    return entry != nullptr && entry->isKindOf(stackClass) ? static_cast<AcEdCommandStack*>(entry) : nullptr;
}

}  // namespace

Acad::ErrorStatus AddCommand(const char* group, const char* globalName, const char* localName, int flags,
                             AcRxFunctionPtr handler, HINSTANCE resources, int resourceId) {
    AcEdCommandStack* stack = CommandStack();
    if (stack == nullptr)
        return Acad::eNullObjectPointer;
    std::string local = localName != nullptr ? localName : "";
    if (resourceId != -1) {
        char text[512];
        const int length = LoadStringA(resources, static_cast<UINT>(resourceId), text, sizeof text);
        local = platform::text::TruncateGbk(std::string(text, static_cast<std::size_t>(length)), kLocalNameLimit);
    }
    return stack->addCommand(group, globalName, local.c_str(), flags, handler, nullptr, -1, nullptr, nullptr);
}

std::size_t AddCommands(std::span<const CommandEntry> entries) {
    std::size_t added = 0;
    for (const CommandEntry& c : entries)
        if (AddCommand(c.group, c.name, c.name, c.flags, c.handler) == Acad::eOk)
            ++added;
    return added;
}

void RemoveCommandGroups(std::span<const char* const> groups) {
    AcEdCommandStack* stack = CommandStack();
    if (stack == nullptr)
        return;
    for (const char* group : groups)
        if (group != nullptr)
            stack->removeGroup(group);
}

void ReportCommandFailure() noexcept {
    try {
        acutPrintf("\n命令因意外错误中止.");
    } catch (...) {
    }
}

}  // namespace drawingutil
