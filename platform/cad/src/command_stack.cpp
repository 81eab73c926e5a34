#include "platform/cad/command_stack.h"

#include <algorithm>

#include "platform/text/gbk.h"

DERO_RX_DEFINE_MEMBERS(AcEdCommand, "", AcRxObject)
DERO_RX_DEFINE_MEMBERS(AcEdCommandStack, "", AcRxObject)

namespace {

using platform::text::GbkEqualNoCase;

bool ValidName(const char* name)
{
    if (name == nullptr || *name == '\0')
        return false;
    for (const char* p = name; *p; ++p)
        if (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')
            return false;
    return true;
}

}  // namespace

AcEdCommandStack::Group* AcEdCommandStack::findGroup(const char* name)
{
    for (auto& g : groups_)
        if (GbkEqualNoCase(g.name, name))
            return &g;
    return nullptr;
}

const AcEdCommandStack::Group* AcEdCommandStack::findGroup(const char* name) const
{
    return const_cast<AcEdCommandStack*>(this)->findGroup(name);
}

Acad::ErrorStatus AcEdCommandStack::addCommand(const char* cmdGroupName, const char* cmdGlobalName,
                                               const char* cmdLocalName, int commandFlags,
                                               AcRxFunctionPtr functionAddr, AcEdUIContext*, int fcode, HINSTANCE,
                                               AcEdCommand** cmdPtrPtr)
{
    if (!ValidName(cmdGroupName) || !ValidName(cmdGlobalName) || functionAddr == nullptr)
        return Acad::eInvalidInput;
    if (cmdLocalName == nullptr || *cmdLocalName == '\0')
        cmdLocalName = cmdGlobalName;
    if (!ValidName(cmdLocalName))
        return Acad::eInvalidInput;
    Group* group = findGroup(cmdGroupName);
    if (group != nullptr) {
        for (auto& c : group->commands)
            if (GbkEqualNoCase(c->commandGlobalName(), cmdGlobalName) ||
                GbkEqualNoCase(c->commandLocalName(), cmdLocalName))
                return Acad::eDuplicateKey;
    } else {
        groups_.push_back(Group{cmdGroupName, {}});
        group = &groups_.back();
    }
    group->commands.push_back(std::make_unique<AcEdCommand>(group->name, cmdGlobalName, cmdLocalName, commandFlags,
                                                            functionAddr, fcode, platform::cad::CurrentModule()));
    if (cmdPtrPtr != nullptr)
        *cmdPtrPtr = group->commands.back().get();
    return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeCmd(const char* cmdGroupName, const char* cmdGlobalName)
{
    Group* group = cmdGroupName ? findGroup(cmdGroupName) : nullptr;
    if (group == nullptr || cmdGlobalName == nullptr)
        return Acad::eKeyNotFound;
    auto it = std::find_if(group->commands.begin(), group->commands.end(),
                           [&](auto& c) { return GbkEqualNoCase(c->commandGlobalName(), cmdGlobalName); });
    if (it == group->commands.end())
        return Acad::eKeyNotFound;
    group->commands.erase(it);
    if (group->commands.empty())
        removeGroup(cmdGroupName);
    return Acad::eOk;
}

Acad::ErrorStatus AcEdCommandStack::removeGroup(const char* groupName)
{
    if (groupName == nullptr)
        return Acad::eKeyNotFound;
    auto it = std::find_if(groups_.begin(), groups_.end(), [&](auto& g) { return GbkEqualNoCase(g.name, groupName); });
    if (it == groups_.end())
        return Acad::eKeyNotFound;
    groups_.erase(it);
    return Acad::eOk;
}

AcEdCommand* AcEdCommandStack::lookupGlobalCmd(const char* cmdName) const
{
    if (cmdName == nullptr)
        return nullptr;
    for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
        for (auto& c : g->commands)
            if (GbkEqualNoCase(c->commandGlobalName(), cmdName))
                return c.get();
    return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupLocalCmd(const char* cmdName) const
{
    if (cmdName == nullptr)
        return nullptr;
    for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
        for (auto& c : g->commands)
            if (GbkEqualNoCase(c->commandLocalName(), cmdName))
                return c.get();
    return nullptr;
}

AcEdCommand* AcEdCommandStack::lookupCmd(const char* cmdName) const
{
    AcEdCommand* command = lookupGlobalCmd(cmdName);
    return command != nullptr ? command : lookupLocalCmd(cmdName);
}

std::vector<std::string> AcEdCommandStack::groupNames() const
{
    std::vector<std::string> names;
    for (auto g = groups_.rbegin(); g != groups_.rend(); ++g)
        names.push_back(g->name);
    return names;
}

std::vector<const AcEdCommand*> AcEdCommandStack::groupCommands(const char* groupName) const
{
    std::vector<const AcEdCommand*> commands;
    if (const Group* g = groupName ? findGroup(groupName) : nullptr)
        for (auto& c : g->commands)
            commands.push_back(c.get());
    return commands;
}

int AcEdCommandStack::removeCommandsOf(const void* owner)
{
    int removed = 0;
    for (auto& g : groups_) {
        auto end = std::remove_if(g.commands.begin(), g.commands.end(), [&](auto& c) { return c->owner() == owner; });
        removed += static_cast<int>(g.commands.end() - end);
        g.commands.erase(end, g.commands.end());
    }
    std::erase_if(groups_, [](const Group& g) { return g.commands.empty(); });
    return removed;
}
