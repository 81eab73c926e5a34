// acedSSGet: "X" walks the whole drawing; the graphical modes ask the spatial index for what lies
// in the current view and in the area, test real geometry and return database order.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "drawing_services.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/selection.h"
#include "platform/ui/answer_source.h"
#include "selection_area.h"
#include "selection_filter.h"

using platform::cad::AreaKind;
using platform::cad::Box2d;
using platform::cad::SelectionArea;
using platform::cad::SelectionFilter;

namespace {

bool Visible(const AcDbEntity& entity)
{
    if (entity.visibility() != AcDb::kVisible)
        return false;
    auto* layer = AcDbLayerTableRecord::cast(platform::cad::PeekObject(entity.layerId()));
    return layer == nullptr || (!layer->isOff() && !layer->isFrozen());
}

// Slots of the entities of the current space that the area selects, seen through the view.
std::vector<std::uint64_t> SelectInView(AcDbDatabase* db, const SelectionArea& area, const SelectionFilter& filter)
{
    auto& services = platform::cad::ServicesOf(db);
    AcDbExtents window = services.view.Window();
    Box2d view{window.minPoint().x, window.minPoint().y, window.maxPoint().x, window.maxPoint().y};
    Box2d bounds = area.Bounds();
    Box2d query{std::max(view.minX, bounds.minX), std::max(view.minY, bounds.minY), std::min(view.maxX, bounds.maxX),
                std::min(view.maxY, bounds.maxY)};
    std::vector<std::uint64_t> found;
    if (query.minX > query.maxX || query.minY > query.maxY)
        return found;
    for (std::uint64_t slot : services.index.Search(query)) {
        platform::cad::ObjectStub* stub = db->objects().At(slot);
        auto* entity = AcDbEntity::cast(stub->object.get());
        AcDbExtents ext;
        if (entity == nullptr || !Visible(*entity) || entity->getGeomExtents(ext) != Acad::eOk)
            continue;
        Box2d box{ext.minPoint().x, ext.minPoint().y, ext.maxPoint().x, ext.maxPoint().y};
        if (box.Meets(view) && area.Selects(*entity, box) && filter.Accepts(*entity))
            found.push_back(slot);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::uint64_t> SelectAll(AcDbDatabase* db, const SelectionFilter& filter)
{
    AcDbObjectId ms = db->modelSpaceId(), ps = db->paperSpaceId();
    std::vector<std::uint64_t> found;
    for (std::uint64_t slot = 0; slot < db->objects().Size(); ++slot) {
        platform::cad::ObjectStub* stub = db->objects().At(slot);
        if (stub->erased)
            continue;
        auto* entity = AcDbEntity::cast(stub->object.get());
        if (entity != nullptr && (entity->ownerId() == ms || entity->ownerId() == ps) && filter.Accepts(*entity))
            found.push_back(slot);
    }
    return found;
}

bool PointList(const void* chain, std::vector<AcGePoint2d>& points)
{
    for (auto* rb = static_cast<const resbuf*>(chain); rb != nullptr; rb = rb->rbnext) {
        if (rb->restype != RTPOINT && rb->restype != RT3DPOINT)
            return false;
        points.emplace_back(rb->resval.rpoint[0], rb->resval.rpoint[1]);
    }
    return true;
}

bool ParsePoint(const char* text, AcGePoint2d& point)
{
    double x = 0, y = 0;
    int used = 0;
    if (std::sscanf(text, " %lf , %lf %n", &x, &y, &used) < 2)
        return false;
    point.set(x, y);
    return true;
}

// The user's picks, one answer at a time, until an empty answer: a point "x,y" picks the
// entity under the pick box (the one drawn last), "W x,y x,y" and "C x,y x,y" add windows.
int PickInteractively(AcDbDatabase* db, const SelectionFilter& filter, std::vector<std::uint64_t>& found)
{
    auto& view = platform::cad::ViewOf(db);
    for (;;) {
        platform::ui::Request request;
        request.kind = platform::ui::RequestKind::Prompt;
        request.text = "\n选择对象: ";
        platform::ui::Answer answer = platform::ui::Ask(request);
        if (answer.cancel)
            return RTCAN;
        std::string text = answer.text;
        text.erase(0, text.find_first_not_of(' '));
        if (text.empty())
            break;
        std::vector<std::uint64_t> hits;
        AcGePoint2d a, b;
        char corner1[64] = {}, corner2[64] = {};
        if ((text[0] == 'W' || text[0] == 'w' || text[0] == 'C' || text[0] == 'c') &&
            std::sscanf(text.c_str() + 1, " %63s %63s", corner1, corner2) == 2 && ParsePoint(corner1, a) &&
            ParsePoint(corner2, b)) {
            AreaKind kind = (text[0] == 'W' || text[0] == 'w') ? AreaKind::Window : AreaKind::Crossing;
            hits = SelectInView(db, SelectionArea(kind, {a, b}), filter);
        } else if (ParsePoint(text.c_str(), a)) {
            double half = 3 * view.height / view.screenHeight;
            hits = SelectInView(db, SelectionArea(AreaKind::Crossing, {{a.x - half, a.y - half}, {a.x + half, a.y + half}}),
                                filter);
            if (!hits.empty())
                hits = {hits.back()};
        } else {
            platform::ui::AppendTranscript("*无效选择*");
            continue;
        }
        for (std::uint64_t slot : hits)
            if (std::find(found.begin(), found.end(), slot) == found.end())
                found.push_back(slot);
    }
    return RTNORM;
}

}  // namespace

int acedSSGet(const char* mode, const void* pt1, const void* pt2, const resbuf* filterList, ads_name ss)
{
    if (ss == nullptr)
        return RTERROR;
    ads_name_clear(ss);
    SelectionFilter filter;
    std::string error;
    if (!filter.Compile(filterList, error))
        return RTERROR;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    std::string m = mode != nullptr ? mode : "";
    std::vector<std::uint64_t> found;
    if (m.empty()) {
        int rc = PickInteractively(db, filter, found);
        if (rc != RTNORM)
            return rc;
    } else if (strcasecmp(m.c_str(), "X") == 0) {
        found = SelectAll(db, filter);
    } else if (strcasecmp(m.c_str(), "W") == 0 || strcasecmp(m.c_str(), "C") == 0) {
        if (pt1 == nullptr || pt2 == nullptr)
            return RTERROR;
        const double* a = static_cast<const double*>(pt1);
        const double* b = static_cast<const double*>(pt2);
        AreaKind kind = strcasecmp(m.c_str(), "W") == 0 ? AreaKind::Window : AreaKind::Crossing;
        found = SelectInView(db, SelectionArea(kind, {{a[0], a[1]}, {b[0], b[1]}}), filter);
    } else if (strcasecmp(m.c_str(), "WP") == 0 || strcasecmp(m.c_str(), "CP") == 0 ||
               strcasecmp(m.c_str(), "F") == 0) {
        std::vector<AcGePoint2d> points;
        bool fence = strcasecmp(m.c_str(), "F") == 0;
        if (!PointList(pt1, points) || points.size() < (fence ? 2u : 3u))
            return RTERROR;
        AreaKind kind = fence ? AreaKind::Fence
                              : (strcasecmp(m.c_str(), "WP") == 0 ? AreaKind::WindowPolygon : AreaKind::CrossingPolygon);
        found = SelectInView(db, SelectionArea(kind, points), filter);
    } else {
        return RTERROR;
    }
    if (found.empty())
        return RTERROR;
    std::vector<AcDbObjectId> ids;
    ids.reserve(found.size());
    for (std::uint64_t slot : found)
        ids.emplace_back(db->objects().At(slot));
    return platform::cad::MakeSelectionSet(ids, ss);
}
