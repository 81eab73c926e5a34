#include "browser/slide_display.h"

#include <algorithm>
#include <string>
#include <vector>

#include "browser/browser_settings.h"
#include "browser/link_activation.h"
#include "drawingutil/blocks.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/colors.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/view_window.h"
#include "drawingutil/zoom.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_region.h"
#include "platform/win/threads.h"
#include "platform/cad/system_variables.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"

namespace {

constexpr DWORD kFlashMs = 400;
constexpr double kSlideWidening = 0.3;

// Slides are written to the temp folder: the root of a drive is often not writable, and a file
// left there would be in everyone's way.
std::string SlidePath(const char* name) {
    char folder[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    std::string path = length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string("C:\\Temp\\");
    if (path.back() != '\\') path += '\\';
    return path + name;
}

void Recolor(const std::vector<AcDbObjectId>& ids, int index) {
    for (AcDbObjectId id : ids) {
        ads_name name;
        if (!id.isNull() && acdbGetAdsName(name, id) == Acad::eOk) SetEntityColorIndex(name, index);
    }
}

void Flash(const std::vector<AcDbObjectId>& ids) {
    Recolor(ids, 1);
    Sleep(kFlashMs);
    Recolor(ids, 7);
    Sleep(kFlashMs);
    Recolor(ids, 1);
}

// Saves "cmdecho", opens the undo group and, at the end, undoes it, shows the slide, deletes the
// file and restores "cmdecho", whatever failed in between. When no slide was recorded there is
// nothing to show, and the drawing stays in view.
class SlideFrame {
public:
    explicit SlideFrame(std::string path) : m_path(std::move(path)) {
        acedGetVar("cmdecho", &m_echo);
        resbuf quiet{nullptr, RTSHORT, {}};
        quiet.resval.rint = 0;
        acedSetVar("cmdecho", &quiet);
        acedCommand(RTSTR, "UNDO", RTSTR, "G", RTNONE);
    }
    ~SlideFrame() {
        acedCommand(RTSTR, "UNDO", RTSTR, "E", RTNONE);
        acedCommand(RTSTR, "UNDO", RTSTR, "1", RTNONE);
        if (m_recorded) {
            acedCommand(RTSTR, "vslide", RTSTR, m_path.c_str(), RTNONE);
            DeleteFileA(m_path.c_str());
        }
        acedSetVar("cmdecho", &m_echo);
    }
    SlideFrame(const SlideFrame&) = delete;
    SlideFrame& operator=(const SlideFrame&) = delete;
    void Record() {
        acedCommand(RTSTR, "mslide", RTSTR, m_path.c_str(), RTNONE);
        m_recorded = true;
    }

private:
    std::string m_path;
    bool m_recorded = false;
    resbuf m_echo{nullptr, RTSHORT, {}};
};

void ShowPointSlide(const InfoPoint& p) {
    const LinkSettings& settings = ActiveLinkSettings().point;
    if (settings.redraw != 0) ZoomToWindow(AcGePoint3d(p.x - 20, p.y - 20, 0), AcGePoint3d(p.x + 20, p.y + 20, 0));
    AcGePoint3d low, high;
    if (!GetViewWindow(low, high)) return;
    const double s = std::min(high.x - low.x, high.y - low.y) * UsedZoomScale(settings) * 0.0025;
    SlideFrame frame(SlidePath("Kelvo_Point.SLD"));
    std::vector<AcDbObjectId> ids;
    ids.push_back(CreateCodedCircle(AcGePoint3d(p.x, p.y, 0), 1.5 * s, "", nullptr, nullptr));
    AcDbObjectId pointId;
    auto* point = new AcDbPoint(AcGePoint3d(p.x, p.y, 0));
    if (AppendToModelSpace(point, pointId)) {
        point->close();
        ids.push_back(pointId);
    } else {
        delete point;
    }
    const double dirs[4][2] = {{0, 1}, {0, -1}, {-1, 0}, {1, 0}};
    for (const auto& d : dirs)
        ids.push_back(CreateCodedLine(AcGePoint3d(p.x + d[0] * 0.5 * s, p.y + d[1] * 0.5 * s, 0),
                                      AcGePoint3d(p.x + d[0] * 2.5 * s, p.y + d[1] * 2.5 * s, 0), "", nullptr, nullptr));
    Recolor(ids, 1);
    acedCommand(RTSTR, "redraw", RTNONE);
    for (int i = UsedFlashCount(settings); i > 0; --i) {
        Recolor(ids, 7);
        Sleep(kFlashMs);
        Recolor(ids, 1);
        Sleep(kFlashMs);
    }
    frame.Record();
}

AcGePoint2dArray Vertices(const InfoPointList& points) {
    AcGePoint2dArray vertices;
    for (const InfoPoint& p : points) vertices.append(AcGePoint2d(p.x, p.y));
    return vertices;
}

// The width and height of the points' extents; when `zoom` is set the view goes to them, widened
// on every side by a share of their size. False for an empty list.
bool ZoomAroundPoints(const AcGePoint2dArray& vertices, bool zoom, double& w, double& h) {
    AcGePoint3d low, high;
    if (!GetPointsExtents(vertices, low, high, 0)) return false;
    w = high.x - low.x;
    h = high.y - low.y;
    if (zoom)
        ZoomToWindow(AcGePoint3d(low.x - kSlideWidening * w, low.y - kSlideWidening * h, 0),
                     AcGePoint3d(high.x + kSlideWidening * w, high.y + kSlideWidening * h, 0));
    return true;
}

void ShowLineSlide(const InfoPointList& points) {
    const AcGePoint2dArray vertices = Vertices(points);
    double w = 0, h = 0;
    if (!ZoomAroundPoints(vertices, ActiveLinkSettings().line.redraw != 0, w, h)) return;
    SlideFrame frame(SlidePath("Kelvo_Line.SLD"));
    AcDbObjectId line = CreateCodedPolyline(vertices, 0, 0, "", (w + h) * 0.01, kLightweightPolyline, nullptr);
    Flash({line});
    frame.Record();
}

// A region on layer "0" in colour 1 from a closed polyline through the ring (the polyline is
// erased again); the null id when the ring encloses no area.
AcDbObjectId CreateRingRegion(const InfoPointList& ring) {
    AcDbObjectId outlineId = CreateCodedPolyline(Vertices(ring), 0, 1, "", 0, kLightweightPolyline, nullptr);
    AcDbVoidPtrArray curves, regions;
    {
        drawingutil::Opened<AcDbPolyline> outline;
        if (outlineId.isNull() || outline.openObject(outlineId, AcDb::kForWrite) != Acad::eOk) return AcDbObjectId();
        curves.append(outline.get());
        AcDbRegion::createFromCurves(curves, regions);
        outline->erase();
    }
    // The first region the host makes is the one used.
    for (int i = 1; i < regions.length(); ++i) delete static_cast<AcDbRegion*>(regions[i]);
    AcDbObjectId regionId;
    if (regions.isEmpty()) return regionId;
    auto* region = static_cast<AcDbRegion*>(regions[0]);
    region->setDatabaseDefaults(acdbHostApplicationServices()->workingDatabase());
    if (!AppendToModelSpace(region, regionId)) {
        delete region;
        return AcDbObjectId();
    }
    region->setLayer("0");
    region->setColorIndex(1);
    region->close();
    return regionId;
}

// Takes each later region out of the first, so that inner rings become holes.
void SubtractRegions(AcDbObjectId first, const std::vector<AcDbObjectId>& others) {
    drawingutil::Opened<AcDbRegion> target;
    if (first.isNull() || target.openObject(first, AcDb::kForWrite) != Acad::eOk) return;
    for (AcDbObjectId id : others) {
        drawingutil::Opened<AcDbRegion> hole;
        if (id.isNull() || hole.openObject(id, AcDb::kForWrite) != Acad::eOk) continue;
        target->booleanOper(AcDb::kBoolSubtract, hole.get());
    }
}

AcDbObjectId LastEntity() {
    ads_name last;
    AcDbObjectId id;
    if (acdbEntLast(last) == RTNORM) acdbGetObjectId(id, last);
    return id;
}

void ShowRegionSlide(const std::vector<InfoPointList>& rings) {
    if (rings.empty()) return;
    double w = 0, h = 0;
    ZoomAroundPoints(Vertices(rings.front()), ActiveLinkSettings().region.redraw != 0, w, h);
    SlideFrame frame(SlidePath("Kelvo_Reg.SLD"));
    std::vector<AcDbObjectId> regions;
    for (const InfoPointList& ring : rings) regions.push_back(CreateRingRegion(ring));
    const AcDbObjectId region = regions.front();
    if (region.isNull()) return;
    SubtractRegions(region, std::vector<AcDbObjectId>(regions.begin() + 1, regions.end()));
    const AcDbObjectId before = LastEntity();
    ads_name name;
    acdbGetAdsName(name, region);
    acedCommand(RTSTR, "hatch", RTSTR, "s", RTENAME, name, RTSTR, "", RTNONE);
    const AcDbObjectId hatch = LastEntity();
    if (!hatch.isNull() && hatch != before) Flash({hatch});
    // Without a hatch the slide still shows the region's outline.
    frame.Record();
}

}  // namespace

void ShowSlidesCommand() {
    const PendingSlide& pending = CurrentPendingSlide();
    switch (pending.mode) {
        case 3: ShowPointSlide(pending.point); break;
        case 4: ShowLineSlide(pending.points); break;
        case 5: ShowRegionSlide(pending.rings); break;
        default: break;
    }
}
