#include "browser/link_activation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "browser/browser_settings.h"
#include "drawingutil/colors.h"
#include "drawingutil/document_lock.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/view_window.h"
#include "drawingutil/zoom.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_entity.h"
#include "platform/cad/documents.h"
#include "platform/win/threads.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/selection.h"
#include "platform/ui/window_api.h"

namespace {

// A second selection change within this many milliseconds of the first is a double-click's.
constexpr DWORD kDoubleClickMs = 200;
constexpr DWORD kFlashMs = 400;
constexpr double kEntityZoomMargin = 0.1;
const char* const kShowSlidesCommand = "KELVO_SHOWSLIDES ";

DWORD g_lastChange = 0;
// Selecting the line below raises another selection change, which must not act again.
bool g_activating = false;
PendingSlide g_pending;

// Work from the modeless dialog locks the current document for writing.
using drawingutil::DocumentLock;

int ColorIndexOf(const ads_name entity) {
    const drawingutil::Opened<AcDbEntity> object(entity, AcDb::kForRead);
    return object ? object->colorIndex() : 256;
}

void SetColor(const std::vector<std::array<std::int64_t, 2>>& entities, int index) {
    for (const auto& e : entities) SetEntityColorIndex(e.data(), index);
}

void ActivateObjects(const std::vector<std::string>& handles) {
    const LinkSettings& settings = ActiveLinkSettings().entity;
    std::vector<std::array<std::int64_t, 2>> members;
    AcGePoint3d low(0, 0, 0), high(0, 0, 0);
    for (const std::string& handle : handles) {
        ads_name name;
        AcGePoint3d l, h;
        if (handle.empty() || acdbHandEnt(handle.c_str(), name) != RTNORM || !EntityExtents(name, l, h, 0)) continue;
        if (members.empty()) {
            low = l;
            high = h;
        } else {
            low.x = std::min(low.x, l.x);
            low.y = std::min(low.y, l.y);
            high.x = std::max(high.x, h.x);
            high.y = std::max(high.y, h.y);
        }
        members.push_back({name[0], name[1]});
    }
    if (!members.empty() && settings.redraw != 0) {
        DocumentLock lock;
        low.x -= kEntityZoomMargin;
        low.y -= kEntityZoomMargin;
        high.x += kEntityZoomMargin;
        high.y += kEntityZoomMargin;
        const double widen = (100 - UsedZoomScale(settings)) * 0.01;
        const double dx = (high.x - low.x) * widen;
        const double dy = (high.y - low.y) * widen;
        ZoomToWindow(AcGePoint3d(low.x - dx, low.y - dy, 0), AcGePoint3d(high.x + dx, high.y + dy, 0));
    }
    DocumentLock lock;
    std::vector<int> colors;
    for (const auto& e : members) colors.push_back(ColorIndexOf(e.data()));
    acedSSSetFirst(nullptr, nullptr);
    for (int i = UsedFlashCount(settings); i > 0; --i) {
        SetColor(members, 7);
        Sleep(kFlashMs);
        SetColor(members, 1);
        Sleep(kFlashMs);
    }
    ads_name set = {0, 0};
    acedSSAdd(nullptr, nullptr, set);
    for (std::size_t i = 0; i < members.size(); ++i) {
        SetEntityColorIndex(members[i].data(), colors[i]);
        acedSSAdd(members[i].data(), set, set);
    }
    acedSSSetFirst(set, nullptr);
    acedSSFree(set);
}

// The host runs the slide command once the dialog's notification has returned.
void SendShowSlides() {
    COPYDATASTRUCT data;
    data.dwData = 1;
    data.cbData = static_cast<DWORD>(std::strlen(kShowSlidesCommand) + 1);
    data.lpData = const_cast<char*>(kShowSlidesCommand);
    HWND frame = adsw_acadMainWnd();
    ::SendMessageA(frame, WM_COPYDATA, reinterpret_cast<WPARAM>(frame), reinterpret_cast<LPARAM>(&data));
}

}  // namespace

const PendingSlide& CurrentPendingSlide() { return g_pending; }

bool FindLinkAtPosition(const CInfoItem& item, long position, int& index) {
    const std::vector<std::int32_t>& positions = item.TextPositions();
    auto at = std::lower_bound(positions.begin(), positions.end(), position);
    if (at != positions.end() && *at == position) {
        index = static_cast<int>(at - positions.begin());
        return true;
    }
    index = static_cast<int>(at - positions.begin()) - 1;
    return false;
}

void ActivateLink(CRichEditCtrl& text, const CInfoItem* item) {
    if (g_activating) return;
    const DWORD now = GetTickCount();
    long start = 0, end = 0;
    text.GetSel(start, end);
    if (now - g_lastChange < kDoubleClickMs && end > start && item != nullptr) {
        g_lastChange = 0;
        g_activating = true;
        const CInfoItem copy = *item;
        int k = -1;
        FindLinkAtPosition(copy, start, k);
        if (k >= 0) {
            const long from = static_cast<long>(text.SendMessage(EM_LINEINDEX, static_cast<WPARAM>(k)));
            long to = static_cast<long>(text.SendMessage(EM_LINEINDEX, static_cast<WPARAM>(k + 1)));
            if (to < 0) to = text.GetTextLength();
            text.SetSel(from, to);
        }
        if (k >= 0 && static_cast<std::size_t>(k) < copy.EntryCount()) {
            switch (copy.Kinds()[k]) {
                case CInfoItem::kObjects: ActivateObjects(copy.HandleLists()[k]); break;
                case CInfoItem::kLine: {
                    DocumentLock lock;
                    const InfoPoint& a = copy.LineStarts()[k];
                    const InfoPoint& b = copy.LineEnds()[k];
                    ZoomToWindow(AcGePoint3d(a.x, a.y, 0), AcGePoint3d(b.x, b.y, 0));
                    break;
                }
                case CInfoItem::kPoint:
                    g_pending.mode = 3;
                    g_pending.point = copy.Points()[k];
                    SendShowSlides();
                    break;
                case CInfoItem::kPolyline:
                    g_pending.mode = 4;
                    g_pending.points = copy.Polylines()[k];
                    SendShowSlides();
                    break;
                case CInfoItem::kRegion:
                    g_pending.mode = 5;
                    g_pending.rings = copy.Regions()[k];
                    SendShowSlides();
                    break;
                default: break;
            }
        }
        g_activating = false;
    }
    g_lastChange = GetTickCount();
}
