#include "browser_client/browser_client.h"

#include <array>

#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/selection.h"

namespace {

const char* const kReceiver = "kelvo_receive";

// One call's argument list, built on the stack: the receiver's name, the code and the values. The
// host copies what the receiver is to read, so a report costs no allocation, least of all when the
// browser is not loaded and the call fails at once. A null text, set or point is not sent, as the
// host builds no list from one.
class ReportList {
public:
    explicit ReportList(short code)
    {
        Add(RTSTR)->resval.rstring = const_cast<char*>(kReceiver);
        Add(RTSHORT)->resval.rint = code;
    }
    ReportList& Text(const char* text)
    {
        if (text == nullptr)
            complete_ = false;
        else
            Add(RTSTR)->resval.rstring = const_cast<char*>(text);
        return *this;
    }
    ReportList& Selection(const ads_name selection)
    {
        if (selection == nullptr)
            complete_ = false;
        else
            ads_name_set(selection, Add(RTPICKS)->resval.rlname);
        return *this;
    }
    ReportList& Point(const ads_point point)
    {
        if (point == nullptr)
            complete_ = false;
        else
            ads_point_set(point, Add(RT3DPOINT)->resval.rpoint);
        return *this;
    }
    // Invokes the receiver and frees its reply.
    void Send() const
    {
        if (!complete_)
            return;
        resbuf* reply = nullptr;
        acedInvoke(&items_[0], &reply);
        acutRelRb(reply);
    }

private:
    resbuf* Add(short type)
    {
        resbuf& item = items_[count_];
        item = resbuf{};
        item.restype = type;
        if (count_ > 0)
            items_[count_ - 1].rbnext = &item;
        ++count_;
        return &item;
    }

    std::array<resbuf, 5> items_{};
    std::size_t count_ = 0;
    bool complete_ = true;
};

}  // namespace

void ClearBrowserItem(const char* title) { ReportList(-1).Text(title).Send(); }

void ReportToBrowserPair(const char* title, const char* text) { ReportList(0).Text(title).Text(text).Send(); }

void ReportToBrowserSelection(const char* title, const char* text, const ads_name selection)
{
    ReportList(1).Text(title).Text(text).Selection(selection).Send();
}

void ReportToBrowserPoint(const char* title, const char* text, const ads_point point)
{
    ReportList(3).Text(title).Text(text).Point(point).Send();
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
