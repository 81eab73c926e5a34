#include <algorithm>
#include <cmath>
#include <limits>
#include <cstdio>
#include <string>

#include "browser_client/browser_client.h"
#include "cadastral/attribute_data.h"
#include "cadastral/entity_selection.h"
#include "cadastral/gap_checks.h"
#include "cadastral/region_selection.h"
#include "cadastral/settings.h"
#include "check_steps.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/message_pump.h"
#include "geometry/bulge_polyline.h"
#include "geometry/curve_vertex_readers.h"
#include "geometry/gap_distances.h"
#include "geometry/polyline_closed_flag.h"
#include "platform/cad/ads_units.h"
#include "platform/cad/progress_meter.h"
#include "platform/cad/prompts.h"

namespace cadastral {
namespace {

// Two places closer than this are the same place. Survey coordinates run into the millions,
// where neighbouring doubles lie some 5e-10 apart, so a point computed on a side (its midpoint,
// say) can miss the side by more than a fixed 1e-10: the bound grows with the coordinates.
double SamePointTolerance(const geometry::Point2d& v) {
    return 1e-10 + 8.0 * std::numeric_limits<double>::epsilon() * std::max(std::fabs(v.x), std::fabs(v.y));
}
// Segments bending more than this are arcs; points this close to a straight side lie on it.
constexpr double kArcTolerance = 0.001;

bool UsableTolerance(double d) { return std::isfinite(d) && d > 0.0; }

std::string Decimal(double value, int decimals) {
    char text[64] = {};
    acdbRToS(value, 2, decimals, text);
    return text;
}

struct GapRun {
    const char* code;
    double tolerance;
    const char* word;
    std::string title;
    const resbuf* filter;
    int findings = 0;
};

// Draws the marker of a near miss at v and reports it with the marker.
void ReportNearMiss(GapRun& run, const geometry::Point2d& v, const char* format, const char* word, double gap) {
    const HostSettings& s = Settings();
    char text[256];
    const std::string x = Decimal(v.x, s.dj_coorddot), y = Decimal(v.y, s.dj_coorddot);
    const std::string distance = Decimal(gap, s.dj_distdot);
    if (word != nullptr)
        std::snprintf(text, sizeof text, format, run.findings + 1, x.c_str(), y.c_str(), word, distance.c_str());
    else
        std::snprintf(text, sizeof text, format, run.findings + 1, x.c_str(), y.c_str(), distance.c_str());
    ++run.findings;
    const AcDbObjectId marker =
        CreateCodedCircle(AcGePoint3d(v.x, v.y, 0.0), kGapMarkerRadius, "", nullptr, kGapMarkerLayer);
    ReportEntityIdToBrowser(run.title.c_str(), text, marker);
}

void ReportMissingVertex(GapRun& run, const geometry::Point2d& v) {
    const HostSettings& s = Settings();
    char text[256];
    std::snprintf(text, sizeof text, "X:%s Y:%s 处缺少%s", Decimal(v.x, s.dj_coorddot).c_str(),
                  Decimal(v.y, s.dj_coorddot).c_str(), run.word);
    ++run.findings;
    ads_point point = {v.x, v.y, 0.0};
    ReportToBrowserPoint(run.title.c_str(), text, point);
}

// The neighbours a small crossing square around v finds, each compared with v once.
void ExamineVertex(GapRun& run, AcDbObjectId self, const geometry::Point2d& v) {
    const double d = run.tolerance;
    const double same = SamePointTolerance(v);
    // The square around the circle of radius d: a neighbour closer than d can lie anywhere in it.
    AcGePoint2dArray square;
    square.append(AcGePoint2d(v.x - d, v.y - d));
    square.append(AcGePoint2d(v.x + d, v.y - d));
    square.append(AcGePoint2d(v.x + d, v.y + d));
    square.append(AcGePoint2d(v.x - d, v.y + d));
    detail::SelectionSet around;
    if (!SSGetFromPolygon(around.Fill(), "cp", square, 0.0, run.filter, run.code, false)) {
        around.Drop();
        return;
    }
    const int count = around.Length();
    if (count < 2) return;
    for (int i = 0; i < count; ++i) {
        ads_name entity;
        AcDbObjectId id;
        if (!around.At(i, entity, id) || id == self) continue;
        geometry::PointList points;
        geometry::DoubleList bulges;
        if (!geometry::ReadEntityVerticesByName(entity, points, bulges) || points.empty()) continue;
        const bool closed = geometry::IsPolylineClosed(entity);
        geometry::Point2d nearest;
        const double d1 = geometry::NearestPointDistance(points, v, nearest);
        if (d1 > same && d1 < d) {
            ReportNearMiss(run, v, "%d: 点:(%s, %s)与周围%s存在空隙,距离为%s米", run.word, d1);
            return;
        }
        if (!(d1 > d)) continue;
        // The whole outline: the closing side of a closed neighbour, and its arcs as arcs.
        double d2 = 0.0;
        geometry::Point2d foot;
        if (!geometry::DistanceToBulgePolyline(points, bulges, closed, v, kArcTolerance, d2, foot)) continue;
        if (d2 > same && d2 < d) {
            ReportNearMiss(run, v, "%d: 点:(%s, %s)与周围界线存在空隙,距离为%s米", nullptr, d2);
            return;
        }
        double t = 0.0;
        if (geometry::PointParameterOnPolyline(points, bulges, v, closed, kArcTolerance, t))
            ReportMissingVertex(run, v);
    }
}

// Asks for the tolerance with min_dist as the default; false when the user cancels or gives no
// usable distance.
bool AskTolerance(const char* prompt, double& tolerance) {
    tolerance = Settings().min_dist;
    double answer = 0.0;
    const int status = acedGetReal(prompt, &answer);
    if (status == RTNORM)
        tolerance = answer;
    else if (status != RTNONE)
        return false;
    return UsableTolerance(tolerance);
}

std::string DefaultText() {
    char text[64];
    std::snprintf(text, sizeof text, "%g", Settings().min_dist);
    return text;
}

}  // namespace

void CheckGaps(const char* filterText, const char* code, const char* caption, double tolerance, int kind) {
    if (!UsableTolerance(tolerance)) return;
    RereadDecimalSettings();
    drawingutil::Chain filter(BuildEntityFilter(filterText));
    if (!filter) return;
    detail::SelectionSet polygons;
    if (!SelectByFilter(polygons.Fill(), filterText, code, false)) {
        polygons.Drop();
        return;
    }
    const int count = polygons.Length();
    if (count == 0) return;
    EraseLayerEntities(kGapMarkerLayer);
    detail::ZoomExtents();

    GapRun run{code, tolerance, kind != 0 ? "拐点" : "界址点", std::string(caption) + "间缝隙检查", filter.get()};
    ClearBrowserItem(run.title.c_str());
    const std::string meter = std::string("正在检查") + caption + "空隙...";
    acedSetStatusBarProgressMeter(meter.c_str(), 0, count);
    // Every location is examined once: a vertex within the tolerance of one already examined
    // (of this polygon or another) adds nothing.
    geometry::PointGrid examined(tolerance);
    for (int i = 0; i < count; ++i) {
        PumpMessages();
        acedSetStatusBarProgressMeterPos(i);
        ads_name entity;
        AcDbObjectId id;
        if (!polygons.At(i, entity, id)) continue;
        geometry::PointList points;
        if (!geometry::ReadEntityPointsByName(entity, points)) continue;
        for (const geometry::Point2d& v : points) {
            if (examined.TestAndAdd(v)) continue;
            ExamineVertex(run, id, v);
        }
    }
    acedRestoreStatusBar();
    if (run.findings == 0) {
        acutPrintf("\n没有发现错误.");
        ReportToBrowserPair(run.title.c_str(), "检查完毕");
    } else {
        acutPrintf("\n共查到点 %d 个", run.findings);
    }
    ShowBrowser();
}

void CheckZDKongXi() {
    char prompt[128];
    std::snprintf(prompt, sizeof prompt, "\n请输入检查的最小距离,<%s米>:", DefaultText().c_str());
    double tolerance = 0.0;
    if (AskTolerance(prompt, tolerance)) CheckGaps("*polyline,jzd", "300000", "界址点", tolerance, 0);
}

void CheckTBKongXi() {
    char prompt[128];
    std::snprintf(prompt, sizeof prompt, "\n请输入检查的最小距离,<%s米>:", DefaultText().c_str());
    double tolerance = 0.0;
    if (AskTolerance(prompt, tolerance)) CheckGaps("*polyline,dlj", "310000", "图斑", tolerance, 0);
}

void CheckKongXi() {
    struct Class {
        const char* filterText;
        const char* code;
        const char* caption;
    };
    static constexpr Class kClasses[] = {
        {"*polyline,jzd", "300000", "界址点"},
        {"*polyline,dlj", "310000", "图斑"},
        {"*polyline,jmd", "141???", "房屋"},
    };
    int kind = -1;
    if (acedGetInt("", &kind) != RTNORM || kind < 0 || kind > 2) return;
    const Class& chosen = kClasses[kind];
    char prompt[160];
    std::snprintf(prompt, sizeof prompt, "\n请输入 %s 空隙检查的最小距离,<%s米>:", chosen.caption, DefaultText().c_str());
    double tolerance = 0.0;
    if (AskTolerance(prompt, tolerance)) CheckGaps(chosen.filterText, chosen.code, chosen.caption, tolerance, kind);
}

}  // namespace cadastral
