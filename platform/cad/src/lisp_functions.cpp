#include "platform/cad/lisp_functions.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/cad/command_stack.h"
#include "platform/cad/db_database.h"
#include "platform/cad/group_codes.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/text/gbk.h"

namespace {

struct Function {
    std::string name;
    short code;
    const void* module;
};

struct Invocation {
    short code = 0;
    resbuf* args = nullptr;
    resbuf* result = nullptr;
    bool resultSet = false;
};

// Functions by drawing (the database), then by upper-cased name.
std::map<const void*, std::map<std::string, Function>>& Environments()
{
    static std::map<const void*, std::map<std::string, Function>> environments;
    return environments;
}

std::map<std::pair<const void*, int>, int (*)()>& Routines()
{
    static std::map<std::pair<const void*, int>, int (*)()> routines;
    return routines;
}

std::vector<Invocation*> g_invocations;

const void* CurrentDrawing() { return acdbHostApplicationServices()->workingDatabase(); }

int ForgetModule(const void* module)
{
    int left = 0;
    for (auto& [db, functions] : Environments())
        left += static_cast<int>(std::erase_if(functions, [&](auto& entry) { return entry.second.module == module; }));
    std::erase_if(Routines(), [&](auto& entry) { return entry.first.first == module; });
    return left;
}

bool RegisterCleanup()
{
    platform::cad::AddModuleCleanup(ForgetModule);
    return true;
}

int SetResult(resbuf* value)
{
    if (g_invocations.empty()) {
        acutRelRb(value);
        return RTERROR;
    }
    Invocation* call = g_invocations.back();
    acutRelRb(call->result);
    call->result = value;
    call->resultSet = true;
    return RTNORM;
}

resbuf* CopyList(const resbuf* list)
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const resbuf* rb = list; rb != nullptr; rb = rb->rbnext) {
        resbuf* copy = acutNewRb(rb->restype);
        if (copy == nullptr)
            break;
        copy->resval = rb->resval;
        auto kind = platform::cad::GroupKindOf(rb->restype);
        if (kind == platform::cad::GroupValueKind::String) {
            copy->resval.rstring = rb->resval.rstring ? acutNewString(rb->resval.rstring) : nullptr;
        } else if (kind == platform::cad::GroupValueKind::Binary) {
            copy->resval.rbinary.buf = nullptr;
            if (rb->resval.rbinary.buf != nullptr && rb->resval.rbinary.clen > 0) {
                copy->resval.rbinary.buf = static_cast<char*>(std::malloc(rb->resval.rbinary.clen));
                if (copy->resval.rbinary.buf != nullptr)
                    std::memcpy(copy->resval.rbinary.buf, rb->resval.rbinary.buf, rb->resval.rbinary.clen);
                else
                    copy->resval.rbinary.clen = 0;
            }
        }
        *tail = copy;
        tail = &copy->rbnext;
    }
    return head;
}

}  // namespace

int acedDefun(const char* pszName, short nFuncNum)
{
    static bool registered = RegisterCleanup();
    (void)registered;
    if (pszName == nullptr || *pszName == '\0' || nFuncNum < 0)
        return RTERROR;
    Environments()[CurrentDrawing()][platform::text::GbkToUpper(pszName)] =
        Function{pszName, nFuncNum, platform::cad::CurrentModule()};
    return RTNORM;
}

int acedUndef(const char* pszName, short nFuncNum)
{
    if (pszName == nullptr)
        return RTERROR;
    auto env = Environments().find(CurrentDrawing());
    if (env == Environments().end())
        return RTERROR;
    auto it = env->second.find(platform::text::GbkToUpper(pszName));
    if (it == env->second.end() || it->second.code != nFuncNum)
        return RTERROR;
    env->second.erase(it);
    return RTNORM;
}

int acedRegFunc(int (*fhdl)(), int fcode)
{
    if (fhdl == nullptr)
        return RTERROR;
    Routines()[{platform::cad::CurrentModule(), fcode}] = fhdl;
    return RTNORM;
}

int acedGetFunCode() { return g_invocations.empty() ? RTERROR : g_invocations.back()->code; }

resbuf* acedGetArgs() { return g_invocations.empty() ? nullptr : g_invocations.back()->args; }

int acedRetVoid() { return SetResult(acutNewRb(RTVOID)); }
int acedRetNil() { return SetResult(acutNewRb(RTNIL)); }
int acedRetT() { return SetResult(acutNewRb(RTT)); }

int acedRetLong(long value)
{
    resbuf* rb = acutNewRb(RTLONG);
    if (rb != nullptr)
        rb->resval.rlong = value;
    return SetResult(rb);
}

int acedRetInt(int value)
{
    resbuf* rb = acutNewRb(RTSHORT);
    if (rb != nullptr)
        rb->resval.rint = static_cast<short>(value);
    return SetResult(rb);
}

int acedRetReal(ads_real value)
{
    resbuf* rb = acutNewRb(RTREAL);
    if (rb != nullptr)
        rb->resval.rreal = value;
    return SetResult(rb);
}

int acedRetStr(const char* value)
{
    resbuf* rb = acutNewRb(RTSTR);
    if (rb != nullptr)
        rb->resval.rstring = acutNewString(value ? value : "");
    return SetResult(rb);
}

int acedRetPoint(const ads_point value)
{
    resbuf* rb = acutNewRb(RT3DPOINT);
    if (rb != nullptr)
        ads_point_set(value, rb->resval.rpoint);
    return SetResult(rb);
}

int acedRetName(const ads_name value, int type)
{
    resbuf* rb = acutNewRb(type == RTPICKS ? RTPICKS : RTENAME);
    if (rb != nullptr)
        ads_name_set(value, rb->resval.rlname);
    return SetResult(rb);
}

int acedRetList(const resbuf* rbuf) { return SetResult(CopyList(rbuf)); }

int acedInvoke(const resbuf* args, resbuf** result)
{
    if (result != nullptr)
        *result = nullptr;
    if (args == nullptr || args->restype != RTSTR || args->resval.rstring == nullptr)
        return RTERROR;
    auto env = Environments().find(CurrentDrawing());
    if (env == Environments().end())
        return RTERROR;
    auto it = env->second.find(platform::text::GbkToUpper(args->resval.rstring));
    if (it == env->second.end())
        return RTERROR;
    Function function = it->second;

    Invocation call;
    call.code = function.code;
    call.args = CopyList(args->rbnext);
    g_invocations.push_back(&call);
    int status = RTNORM;
    {
        platform::cad::CurrentModuleScope scope(function.module);
        auto routine = Routines().find({function.module, function.code});
        try {
            if (routine != Routines().end()) {
                status = routine->second() == RSERR ? RTERROR : RTNORM;
            } else {
                AcRx::AppRetCode rc = platform::cad::SendModuleMessage(const_cast<void*>(function.module), AcRx::kInvkSubrMsg);
                status = rc == AcRx::kRetError ? RTERROR : RTNORM;
            }
        } catch (...) {
            status = RTERROR;
        }
    }
    g_invocations.pop_back();
    acutRelRb(call.args);
    if (status != RTNORM) {
        acutRelRb(call.result);
        return RTERROR;
    }
    resbuf* value = call.resultSet ? call.result : acutNewRb(RTNIL);
    if (result != nullptr)
        *result = value;
    else
        acutRelRb(value);
    return RTNORM;
}

namespace platform::cad {

std::vector<std::string> DefinedFunctions()
{
    std::vector<std::string> names;
    auto env = Environments().find(CurrentDrawing());
    if (env != Environments().end())
        for (auto& [key, f] : env->second)
            names.push_back(f.name);
    return names;
}

void ForgetDrawingFunctions(const void* database) { Environments().erase(database); }

}  // namespace platform::cad
