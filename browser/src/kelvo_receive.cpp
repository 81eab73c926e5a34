#include "browser/kelvo_receive.h"

#include <cstdint>

#include "browser/item_list.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/message_pump.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/selection.h"
#include "platform/text/gbk.h"

namespace {

bool IsPoint(const resbuf* rb) { return rb != nullptr && (rb->restype == RTPOINT || rb->restype == RT3DPOINT); }

InfoPoint ToPoint(const resbuf* rb) { return {rb->resval.rpoint[0], rb->resval.rpoint[1]}; }

// Copies a string element, cut to the receiver's limit; false when the element is missing or is
// not a string.
bool ReadString(const resbuf* rb, std::size_t limit, std::string& out)
{
    if (rb == nullptr || rb->restype != RTSTR || rb->resval.rstring == nullptr)
        return false;
    out = platform::text::TruncateGbk(rb->resval.rstring, limit);
    return true;
}

// The geometry after the text, checked in full before the item list is touched.
bool GeometryFits(int code, const resbuf* rb)
{
    switch (code) {
        case 1: return rb != nullptr && rb->restype == RTPICKS;
        case 2: return IsPoint(rb) && IsPoint(rb->rbnext);
        case 3: return IsPoint(rb);
        case 4:
            for (; rb != nullptr; rb = rb->rbnext)
                if (!IsPoint(rb))
                    return false;
            return true;
        case 5:
            for (; rb != nullptr; rb = rb->rbnext)
                if (!IsPoint(rb) && rb->restype != RTSHORT)
                    return false;
            return true;
        default: return true;
    }
}

void AddLink(CInfoItem& item, int code, const resbuf* rb, const std::vector<std::string>& handles)
{
    switch (code) {
        case 1: item.AddObjectLinks(handles); break;
        case 2: item.AddLineLink(ToPoint(rb), ToPoint(rb->rbnext)); break;
        case 3: item.AddPointLink(ToPoint(rb)); break;
        case 4: {
            InfoPointList points;
            for (; rb != nullptr; rb = rb->rbnext)
                points.push_back(ToPoint(rb));
            item.AddPolylineLink(points);
            break;
        }
        case 5: {
            // A short closes the ring so far; points after the last short belong to no ring.
            std::vector<InfoPointList> rings;
            InfoPointList ring;
            for (; rb != nullptr; rb = rb->rbnext) {
                if (rb->restype == RTSHORT) {
                    rings.push_back(ring);
                    ring.clear();
                } else {
                    ring.push_back(ToPoint(rb));
                }
            }
            item.AddRegionLink(rings);
            break;
        }
        default: break;
    }
}

}  // namespace

std::string EntityHandle(const ads_name entity)
{
    const drawingutil::Chain list(acdbEntGet(entity));
    for (const resbuf* rb = list.get(); rb != nullptr; rb = rb->rbnext)
        if (rb->restype == 5 && rb->resval.rstring != nullptr) return rb->resval.rstring;
    return std::string();
}

void SelectionToHandles(const ads_name selection, std::vector<std::string>& handles)
{
    Adesk::Int32 length = 0;
    if (acedSSLength(selection, &length) != RTNORM)
        return;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        if (acedSSName(selection, i, entity) != RTNORM)
            continue;
        std::string handle = EntityHandle(entity);
        if (!handle.empty())
            handles.push_back(handle);
    }
}

int ReceiveItemList(const resbuf* args)
{
    if (args == nullptr || args->restype != RTSHORT)
        return RTERROR;
    const int code = args->resval.rint;
    if (code < -2 || code > 5)
        return RTNORM;
    const resbuf* rb = args->rbnext;
    std::string title;
    if (!ReadString(rb, kMaxTitleBytes, title))
        return RTERROR;
    rb = rb->rbnext;
    if (code == -1) {
        ClearItem(title);
        return RTNORM;
    }
    if (code == -2) {
        RemoveItem(title);
        return RTNORM;
    }
    std::string text;
    if (!ReadString(rb, kMaxTextBytes, text))
        return RTERROR;
    rb = rb->rbnext;
    if (!GeometryFits(code, rb))
        return RTERROR;

    // Handles are collected before the entry is opened, as the set may be long.
    std::vector<std::string> handles;
    if (code == 1)
        SelectionToHandles(rb->resval.rlname, handles);
    std::size_t i = FindOrAddItemTab(title, text);
    AddLink(BrowserItems()[i], code, rb, handles);
    return RTNORM;
}

int kelvo_receive()
{
    int rc = ReceiveItemList(acedGetArgs());
    if (rc == RTNORM)
        PumpMessages();
    return rc;
}
