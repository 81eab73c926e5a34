// A module for the tests that reports to the browser the way the product's plug-ins do: through
// the client and the host, never by linking Tallyview. Its commands print what they got back.
#include <string>
#include <vector>

#include "browser_client/browser_client.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/selection.h"
#include "platform/text/format.h"

namespace {

// Every sender of the client. Asks for the handles of the entities to report, blank-separated.
void SendThroughClient()
{
    char line[256] = "";
    if (acedGetString(1, "\nHandles: ", line, sizeof line) == RTCAN)
        return;
    AcDbObjectIdArray ids;
    std::string rest = line;
    while (!rest.empty()) {
        std::size_t blank = rest.find(' ');
        std::string handle = rest.substr(0, blank);
        rest = blank == std::string::npos ? "" : rest.substr(blank + 1);
        ads_name name;
        AcDbObjectId id;
        if (acdbHandEnt(handle.c_str(), name) == RTNORM && acdbGetObjectId(id, name) == Acad::eOk)
            ids.append(id);
    }
    ClearBrowserItem("检查");
    ReportToBrowserPair("检查", "第一行 100%s");
    ReportEntitiesToBrowser("检查", "实体", ids);
    if (ids.length() > 0)
        ReportEntityIdToBrowser("检查", "一个", ids[0]);
    ReportEntityNameToBrowser("检查", "空", nullptr);
    ads_name all;
    if (acedSSGet("X", nullptr, nullptr, nullptr, all) == RTNORM) {
        ReportToBrowserSelection("", "全部", all);
        acedSSFree(all);
    }
    ads_point p = {1.5, 2, 3};
    ReportToBrowserPoint("点", "p", p);
    ReportJzxGdToBrowser("点", "q", AcGePoint2d(4, 5));
    ShowBrowser();
    acutPrintf("\nclient done");
}

int Invoke(resbuf* list)
{
    resbuf* reply = nullptr;
    int rc = acedInvoke(list, &reply);
    acutRelRb(list);
    acutRelRb(reply);
    return rc;
}

// The codes the client never sends, and lists the receiver must refuse.
void SendRawLists()
{
    const char* f = "kelvo_receive";
    ads_point a = {0, 0, 0}, b = {10, 0, 0}, c = {10, 10, 9};
    std::vector<int> rcs = {
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 2, RTSTR, "几何", RTSTR, "线", RTPOINT, a, RT3DPOINT, b, RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 4, RTSTR, "几何", RTSTR, "多段线", RTPOINT, a, RTPOINT, b, RTPOINT, c, RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 5, RTSTR, "几何", RTSTR, "区域", RTPOINT, a, RTPOINT, b, RTPOINT, c,
                             RTSHORT, 0, RTPOINT, c, RTSHORT, 0, RTSHORT, 0, RTPOINT, b, RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 7, RTLONG, 1L, RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, -2, RTSTR, "点", RTNONE)),
        // Refused: nothing after the name, a code that is no short, a text missing, a title that is
        // no string, a line with one point, a polyline with a text in it, objects without a set.
        Invoke(acutBuildList(RTSTR, f, RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTLONG, 0L, RTSTR, "几何", RTSTR, "x", RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 0, RTSTR, "几何", RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, -1, RTREAL, 1.0, RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 2, RTSTR, "几何", RTSTR, "x", RTPOINT, a, RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 4, RTSTR, "几何", RTSTR, "x", RTPOINT, a, RTSTR, "y", RTNONE)),
        Invoke(acutBuildList(RTSTR, f, RTSHORT, 1, RTSTR, "几何", RTSTR, "x", RTNONE)),
    };
    std::string out = "\nraw:";
    for (int rc : rcs)
        out += platform::text::Format(" %d", rc);
    acutPrintf("%s", out.c_str());
    ShowBrowser();
}

void Guarded(void (*command)())
{
    try {
        command();
    } catch (...) {
    }
}

void ClientCommand() { Guarded(SendThroughClient); }
void RawCommand() { Guarded(SendRawLists); }

}  // namespace

extern "C" __attribute__((visibility("default"))) AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId)
{
    switch (msg) {
        case AcRx::kInitAppMsg:
            acrxDynamicLinker->unlockApplication(appId);
            acedRegCmds->addCommand("QVSENDER", "QVS_CLIENT", "QVS_CLIENT", ACRX_CMD_MODAL, ClientCommand);
            acedRegCmds->addCommand("QVSENDER", "QVS_RAW", "QVS_RAW", ACRX_CMD_MODAL, RawCommand);
            break;
        case AcRx::kUnloadAppMsg: acedRegCmds->removeGroup("QVSENDER"); break;
        default: break;
    }
    return AcRx::kRetOK;
}

extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() { return ACRX_API_VERSION; }
