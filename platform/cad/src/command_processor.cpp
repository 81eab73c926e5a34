#include "platform/cad/command_processor.h"

#include <algorithm>
#include <cstdarg>
#include <deque>
#include <map>

#include "command_input.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/db_database.h"
#include "platform/cad/documents.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/system_variables.h"
#include "platform/cad/undo_journal.h"
#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"

namespace platform::cad {
namespace {

std::map<std::string, BuiltinCommand>& Builtins()
{
    static std::map<std::string, BuiltinCommand> builtins = detail::HostBuiltins();
    return builtins;
}

std::deque<std::string> g_posted;
int g_depth = 0;
std::string g_active;

struct Resolved {
    std::string name;
    AcRxFunctionPtr function = nullptr;
    const void* owner = nullptr;
    BuiltinCommand builtin;
};

// Finds a command: the modules' commands shadow the built-ins unless the name asks for the
// built-in with a leading ".".
bool Resolve(std::string name, Resolved& out)
{
    bool builtinOnly = false;
    while (!name.empty() && (name[0] == '_' || name[0] == '.')) {
        builtinOnly = builtinOnly || name[0] == '.';
        name.erase(0, 1);
    }
    if (name.empty())
        return false;
    if (!builtinOnly) {
        if (AcEdCommandStack* stack = acedRegCmds) {
            if (AcEdCommand* command = stack->lookupCmd(name.c_str())) {
                out.name = command->commandGlobalName();
                out.function = command->functionAddr();
                out.owner = command->owner();
                return true;
            }
        }
    }
    auto it = Builtins().find(text::GbkToUpper(name));
    if (it == Builtins().end())
        return false;
    out.name = it->first;
    out.builtin = it->second;
    return true;
}

bool Echo()
{
    resbuf rb{};
    return acedGetVar("CMDECHO", &rb) != RTNORM || rb.resval.rint != 0;
}

void ReportOpenObjects(const std::string& name)
{
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (db->objects().OpenCount() == 0)
        return;  // the usual case, known without a walk over the drawing
    std::size_t open = db->openObjectIds().length();
    if (open > 0)
        PrintToCommandLine(text::Format("\n%s left %d objects open.", name, static_cast<int>(open)));
}

int Execute(const Resolved& command)
{
    // Each outermost command is one undo step of the drawing it started in. The drawing is found
    // again by its serial afterwards, since a command may close it.
    std::int64_t stepDrawing = 0;
    if (g_depth == 0) {
        g_active = command.name;
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        stepDrawing = db->serial();
        JournalOf(db).BeginCommand();
    }
    ++g_depth;
    ui::AppendTranscript(text::Format("command \"%s\"", command.name));
    int cancelsBefore = detail::CancelCount();
    AcApDocument* doc = curDoc();
    if (doc != nullptr)
        acDocManager->lockDocument(doc);
    int status = RTNORM;
    try {
        if (command.function != nullptr) {
            CurrentModuleScope scope(command.owner);
            command.function();
        } else {
            status = command.builtin();
        }
    } catch (...) {
        // A command must not throw; the host survives it and says so.
        PrintToCommandLine(text::Format("\n%s failed with an unexpected error.", command.name));
        status = RTERROR;
    }
    // The command may have closed its drawing or switched to another: unlock it only if it is open.
    auto open = acDocManager->documents();
    if (doc != nullptr && std::find(open.begin(), open.end(), doc) != open.end())
        acDocManager->unlockDocument(doc);
    --g_depth;
    if (g_depth == 0) {
        ReportOpenObjects(command.name);
        g_active.clear();
        if (AcDbDatabase* db = AcDbDatabase::fromSerial(stepDrawing))
            JournalOf(db).EndCommand();
    }
    if (status == RTNORM && detail::CancelCount() != cancelsBefore)
        status = RTCAN;
    return detail::Ending() ? RTCAN : status;
}

// Runs the commands of the innermost feed until it is used up.
int RunFeed(bool echo)
{
    detail::ArgumentFeed* feed = detail::Feeds().back();
    int status = RTNORM;
    while (!feed->Empty()) {
        if (detail::Ending())
            return RTCAN;
        const resbuf* rb = feed->Next();
        if (rb->restype != RTSTR) {
            PrintToCommandLine(text::Format("\n%s is not a command name.", detail::ArgumentText(rb)));
            return RTERROR;
        }
        std::string name = rb->resval.rstring ? rb->resval.rstring : "";
        std::size_t begin = name.find_first_not_of(" \t");
        name = begin == std::string::npos ? std::string() : name.substr(begin, name.find_last_not_of(" \t") - begin + 1);
        if (name.empty())
            continue;  // Enter at the command prompt
        Resolved command;
        if (!Resolve(name, command)) {
            PrintToCommandLine(text::Format("\n未知命令\"%s\"。按 F1 查看帮助。", name));
            ui::AppendTranscript(text::Format("unknown command \"%s\"", name));
            return RTERROR;
        }
        if (echo)
            PrintToCommandLine(text::Format("\n命令: %s", name));
        int s = Execute(command);
        if (s != RTNORM)
            status = s;
    }
    return status;
}

int RunList(const resbuf* list, bool echo)
{
    detail::ArgumentFeed feed(list);
    detail::Feeds().push_back(&feed);
    int status = RunFeed(echo);
    detail::Feeds().pop_back();
    return status;
}

// Splits a typed line at blanks (each acts as Enter) into a list of strings.
resbuf* Tokens(const std::string& line)
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t begin = line.find_first_not_of(" \t\r\n", pos);
        if (begin == std::string::npos)
            break;
        std::size_t end = line.find_first_of(" \t\r\n", begin);
        if (end == std::string::npos)
            end = line.size();
        resbuf* rb = acutNewRb(RTSTR);
        rb->resval.rstring = acutNewString(line.substr(begin, end - begin).c_str());
        *tail = rb;
        tail = &rb->rbnext;
        pos = end;
    }
    return head;
}

}  // namespace

void RegisterBuiltinCommand(const std::string& name, BuiltinCommand command)
{
    Builtins()[text::GbkToUpper(name)] = std::move(command);
}

bool HasBuiltinCommand(const std::string& name) { return Builtins().count(text::GbkToUpper(name)) > 0; }

int RunCommandLine(const std::string& line, bool echo)
{
    if (detail::Ending())
        return RTCAN;
    resbuf* tokens = Tokens(line);
    int status = RTNORM;
    if (tokens != nullptr) {
        if (echo)
            PrintToCommandLine("\n命令: " + line);
        status = RunList(tokens, false);
        acutRelRb(tokens);
    }
    if (g_depth == 0) {
        int posted = RunPostedCommands();
        if (status == RTNORM)
            status = posted;
    }
    return status;
}

void PostCommandString(const std::string& text) { g_posted.push_back(text); }

int RunPostedCommands()
{
    int status = RTNORM;
    while (g_depth == 0 && !g_posted.empty() && !detail::Ending()) {
        std::string text = g_posted.front();
        g_posted.pop_front();
        resbuf* tokens = Tokens(text);
        if (tokens != nullptr) {
            PrintToCommandLine("\n命令: " + text);
            int s = RunList(tokens, false);
            if (s != RTNORM)
                status = s;
            acutRelRb(tokens);
        }
    }
    return status;
}

int CommandDepth() { return g_depth; }
const std::string& ActiveCommand() { return g_active; }

}  // namespace platform::cad

using namespace platform::cad;

int acedCmd(const resbuf* rbp)
{
    if (detail::Ending())
        return RTCAN;
    if (rbp == nullptr)
        return RTNORM;
    return RunList(rbp, Echo());
}

int acedCommand(int rtype, ...)
{
    if (detail::Ending())
        return RTCAN;
    resbuf* head = nullptr;
    resbuf** tail = &head;
    bool ok = true;
    va_list args;
    va_start(args, rtype);
    for (int type = rtype; type != RTNONE && type != 0; type = va_arg(args, int)) {
        resbuf* rb = acutNewRb(type);
        if (rb == nullptr) {
            ok = false;
            break;
        }
        switch (type) {
            case RTSTR: {
                const char* s = va_arg(args, const char*);
                rb->resval.rstring = acutNewString(s ? s : "");
                break;
            }
            case RTREAL:
            case RTANG: rb->resval.rreal = va_arg(args, double); break;
            case RTSHORT: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
            case RTLONG: rb->resval.rlong = va_arg(args, long); break;
            case RTPOINT:
            case RT3DPOINT: {
                const double* p = va_arg(args, const double*);
                for (int i = 0; i < 3; ++i)
                    rb->resval.rpoint[i] = (p != nullptr && (i < 2 || type == RT3DPOINT)) ? p[i] : 0.0;
                break;
            }
            case RTENAME:
            case RTPICKS: {
                const std::int64_t* n = va_arg(args, const std::int64_t*);
                rb->resval.rlname[0] = n ? n[0] : 0;
                rb->resval.rlname[1] = n ? n[1] : 0;
                break;
            }
            case RTLB:
            case RTLE:
            case RTDOTE: break;
            default: ok = false;
        }
        *tail = rb;
        tail = &rb->rbnext;
        if (!ok)
            break;
    }
    va_end(args);
    int status = ok ? RunList(head, Echo()) : RTERROR;
    acutRelRb(head);
    return status;
}
