// acedSSGet: "X" walks the whole drawing; the graphical modes ask the spatial index for what lies
// in the current view and in the area, test real geometry and return database order.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "drawing_services.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/selection.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/prompts.h"
#include "builtin_input.h"
#include "selection_area.h"
#include "selection_filter.h"

using platform::cad::AreaKind;
using platform::cad::Box2d;
using platform::cad::SelectionArea;
using platform::cad::SelectionFilter;

namespace {

// Whether entities show, by their own flag and their layer's; the last layer's answer is kept, as
// the entities of an area mostly share a few layers.
class Visibility {
public:
    bool Of(const AcDbEntity& entity)
    {
        if (entity.visibility() != AcDb::kVisible)
            return false;
        const platform::cad::ObjectStub* layerStub = entity.layerId().stub();
        if (!known_ || layerStub != lastLayer_) {
            auto* layer = AcDbLayerTableRecord::cast(platform::cad::PeekObject(entity.layerId()));
            lastShown_ = layer == nullptr || (!layer->isOff() && !layer->isFrozen());
            lastLayer_ = layerStub;
            known_ = true;
        }
        return lastShown_;
    }

private:
    const platform::cad::ObjectStub* lastLayer_ = nullptr;
    bool lastShown_ = false;
    bool known_ = false;
};

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
    Visibility visibility;
    // The candidates' list is kept from one selection to the next (taken, not shared, so that a
    // selection made while this one runs has a list of its own).
    thread_local std::vector<std::uint64_t> spare __attribute__((tls_model("initial-exec")));
    std::vector<std::uint64_t> candidates = std::move(spare);
    candidates.clear();
    services.index.Search(query, candidates);
    // The index's box first: it turns most candidates of a window away without reading the entity
    // itself. (A box that meets the query meets the view, which holds the query.)
    candidates.erase(std::remove_if(candidates.begin(), candidates.end(),
                                    [&](std::uint64_t slot) { return !area.MayTake(services.index.BoxOf(slot)); }),
                     candidates.end());
    // The entities left lie all over memory: their records are fetched ahead of the tests, all at
    // once, so that the waits for them overlap.
    for (std::uint64_t slot : candidates)
        __builtin_prefetch(db->objects().At(slot));
    for (std::uint64_t slot : candidates) {
        if (const char* object = reinterpret_cast<const char*>(db->objects().At(slot)->object.get())) {
            __builtin_prefetch(object);
            __builtin_prefetch(object + 64);
        }
    }
    for (std::uint64_t slot : candidates) {
        const Box2d& box = services.index.BoxOf(slot);
        platform::cad::ObjectStub* stub = db->objects().At(slot);
        auto* entity = AcDbEntity::cast(stub->object.get());
        if (entity == nullptr || !visibility.Of(*entity))
            continue;
        // The filter before the geometry: it costs a look-up where the geometry builds paths.
        if (filter.Accepts(*entity) && area.Selects(*entity, box))
            found.push_back(slot);
    }
    spare = std::move(candidates);
    std::sort(found.begin(), found.end());
    return found;
}

// What a whole-drawing selection takes: live entities of model or paper space that the filter
// passes.
class WholeDrawing {
public:
    WholeDrawing(AcDbDatabase* db, const SelectionFilter& filter)
        : db_(db), filter_(filter), model_(db->modelSpaceId()), paper_(db->paperSpaceId())
    {
    }
    bool Takes(std::uint64_t slot) const
    {
        platform::cad::ObjectStub* stub = db_->objects().At(slot);
        // The owner first: it turns away vertices, table records and dictionaries without a class
        // test.
        const AcDbObject* object = stub->object.get();
        if (stub->erased || object == nullptr || (object->ownerId() != model_ && object->ownerId() != paper_))
            return false;
        auto* entity = AcDbEntity::cast(object);
        return entity != nullptr && filter_.Accepts(*entity);
    }

private:
    AcDbDatabase* db_;
    const SelectionFilter& filter_;
    AcDbObjectId model_, paper_;
};

// The whole drawing in creation order. A filter that passes only named layers or types reads just
// the entities the layer index has with them (and those changed since it last read them).
std::vector<std::uint64_t> SelectAll(AcDbDatabase* db, const SelectionFilter& filter)
{
    const WholeDrawing drawing(db, filter);
    std::vector<std::uint64_t> found;
    if (filter.NamesLayersOrTypes()) {
        auto& layers = platform::cad::ServicesOf(db).layers;
        for (std::uint64_t slot : layers.Candidates(
                 [&](const std::string& layer, const std::string& type) { return filter.MayAccept(layer, type); }))
            if (drawing.Takes(slot))
                found.push_back(slot);
        return found;
    }
    for (std::uint64_t slot = 0; slot < db->objects().Size(); ++slot)
        if (drawing.Takes(slot))
            found.push_back(slot);
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

// Adds slots not yet picked, keeping the order of picking.
void AddPicked(std::vector<std::uint64_t>& found, const std::vector<std::uint64_t>& hits)
{
    for (std::uint64_t slot : hits)
        if (std::find(found.begin(), found.end(), slot) == found.end())
            found.push_back(slot);
}

bool NamedSlot(AcDbDatabase* db, const ads_name name, const SelectionFilter& filter, std::uint64_t& slot)
{
    AcDbObjectId id;
    if (acdbGetObjectId(id, name) != Acad::eOk || id.isErased() || id.database() != db)
        return false;
    auto* entity = AcDbEntity::cast(platform::cad::PeekObject(id));
    if (entity == nullptr || !filter.Accepts(*entity))
        return false;
    slot = id.stub()->index;
    return true;
}

// The user's picks until Enter: an entity or set named by a command argument, an entity's handle
// (as acedEntSel takes it), a point "x,y" (the entity under the pick box drawn last), or "W"/"C"
// with two corners (on the same line or as the next two answers).
int PickInteractively(AcDbDatabase* db, const SelectionFilter& filter, std::vector<std::uint64_t>& found)
{
    auto& view = platform::cad::ViewOf(db);
    for (;;) {
        platform::cad::PromptReply reply = platform::cad::ReadReply("\n选择对象: ");
        if (reply.cancel)
            return RTCAN;
        filter.Forget();
        std::uint64_t slot = 0;
        if (reply.nameType == RTENAME) {
            if (NamedSlot(db, reply.name, filter, slot))
                AddPicked(found, {slot});
            continue;
        }
        if (reply.nameType == RTPICKS) {
            Adesk::Int32 n = 0;
            acedSSLength(reply.name, &n);
            for (Adesk::Int32 i = 0; i < n; ++i) {
                ads_name e;
                if (acedSSName(reply.name, i, e) == RTNORM && NamedSlot(db, e, filter, slot))
                    AddPicked(found, {slot});
            }
            continue;
        }
        const std::string& text = reply.text;
        if (text.empty())
            break;
        AcGePoint3d a, b;
        char mode = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        bool window = (mode == 'W' || mode == 'C') && (text.size() == 1 || text[1] == ' ');
        if (window) {
            char c1[64] = {}, c2[64] = {};
            bool inline2 = std::sscanf(text.c_str() + 1, " %63s %63s", c1, c2) == 2;
            bool ok = inline2 ? platform::cad::ParsePointText(c1, a) && platform::cad::ParsePointText(c2, b)
                              : text.size() == 1 && platform::cad::ReadPoint("\n指定第一个角点: ", a) == RTNORM &&
                                    platform::cad::ReadPoint("\n指定对角点: ", b) == RTNORM;
            if (ok) {
                AreaKind kind = mode == 'W' ? AreaKind::Window : AreaKind::Crossing;
                AddPicked(found, SelectInView(db, SelectionArea(kind, {{a.x, a.y}, {b.x, b.y}}), filter));
                continue;
            }
        } else if (platform::cad::ParsePointText(text, a)) {
            double half = 3 * view.height / view.screenHeight;
            auto hits = SelectInView(
                db, SelectionArea(AreaKind::Crossing, {{a.x - half, a.y - half}, {a.x + half, a.y + half}}), filter);
            if (!hits.empty())
                AddPicked(found, {hits.back()});
            continue;
        } else {
            ads_name e;
            std::string handle = text.substr(0, text.find(' '));
            if (acdbHandEnt(handle.c_str(), e) == RTNORM && NamedSlot(db, e, filter, slot)) {
                AddPicked(found, {slot});
                continue;
            }
        }
        platform::cad::PrintToCommandLine("\n*无效选择*");
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
