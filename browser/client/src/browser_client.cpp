#include "browser_client/browser_client.h"

#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/selection.h"

namespace {

const char* const kReceiver = "kelvo_receive";

// Invokes a built list and frees it and the reply; a list that could not be built is not sent.
void Send(resbuf* list)
{
    if (list == nullptr)
        return;
    resbuf* reply = nullptr;
    acedInvoke(list, &reply);
    acutRelRb(list);
    acutRelRb(reply);
}

}  // namespace

void ClearBrowserItem(const char* title) { Send(acutBuildList(RTSTR, kReceiver, RTSHORT, -1, RTSTR, title, RTNONE)); }

void ReportToBrowserPair(const char* title, const char* text)
{
    Send(acutBuildList(RTSTR, kReceiver, RTSHORT, 0, RTSTR, title, RTSTR, text, RTNONE));
}

void ReportToBrowserSelection(const char* title, const char* text, const ads_name selection)
{
    Send(acutBuildList(RTSTR, kReceiver, RTSHORT, 1, RTSTR, title, RTSTR, text, RTPICKS, selection, RTNONE));
}

void ReportToBrowserPoint(const char* title, const char* text, const ads_point point)
{
    Send(acutBuildList(RTSTR, kReceiver, RTSHORT, 3, RTSTR, title, RTSTR, text, RT3DPOINT, point, RTNONE));
}

void ReportJzxGdToBrowser(const char* title, const char* text, const AcGePoint2d& point)
{
    ads_point p = {point.x, point.y, 0.0};
    ReportToBrowserPoint(title, text, p);
}

int SelectionFromIds(const AcDbObjectIdArray& ids, ads_name selection)
{
    ads_name_clear(selection);
    if (acedSSAdd(nullptr, nullptr, selection) != RTNORM) {
        ads_name_clear(selection);
        return RTERROR;
    }
    for (int i = 0; i < ids.length(); ++i) {
        ads_name entity;
        // The host refuses names of erased entities; those are left out like ids it cannot name.
        if (acdbGetAdsName(entity, ids[i]) == Acad::eOk)
            acedSSAdd(entity, selection, selection);
    }
    return RTNORM;
}

void ReportEntitiesToBrowser(const char* title, const char* text, const AcDbObjectIdArray& ids)
{
    ads_name selection;
    if (SelectionFromIds(ids, selection) != RTNORM)
        return;
    ReportToBrowserSelection(title, text, selection);
    acedSSFree(selection);
}

void ReportEntityIdToBrowser(const char* title, const char* text, AcDbObjectId id)
{
    AcDbObjectIdArray ids;
    ids.append(id);
    ReportEntitiesToBrowser(title, text, ids);
}

void ReportEntityNameToBrowser(const char* title, const char* text, const ads_name entity)
{
    ads_name selection;
    ads_name_clear(selection);
    if (acedSSAdd(nullptr, nullptr, selection) != RTNORM)
        return;
    // A null name leaves the set empty, as does one the host cannot place.
    if (entity != nullptr && !ads_name_nil(entity))
        acedSSAdd(entity, selection, selection);
    ReportToBrowserSelection(title, text, selection);
    acedSSFree(selection);
}

void ShowBrowser()
{
    acedCommand(RTSTR, "Kelvo_Show", RTNONE);
    acedCommand(RTSTR, "Regen", RTNONE);
}
