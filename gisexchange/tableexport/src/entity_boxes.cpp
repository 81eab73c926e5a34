#include "gisexchange/entity_boxes.h"

#include <algorithm>

#include "drawingutil/host_objects.h"
#include "platform/cad/db_entity.h"

namespace gisexchange {
namespace {

bool MeasureEntity(AcDbObjectId id, geometry::Extents& box)
{
    drawingutil::Opened<AcDbEntity> entity(id, AcDb::kForRead);
    AcDbExtents extents;
    if (!entity || entity->getGeomExtents(extents) != Acad::eOk || extents.isEmpty())
        return false;
    box.min = {extents.minPoint().x, extents.minPoint().y};
    box.max = {extents.maxPoint().x, extents.maxPoint().y};
    return !box.IsEmpty();
}

// The measured boxes, made before the index that is built over them.
std::vector<geometry::Extents> Measure(std::vector<AcDbObjectId>& ids, std::vector<AcDbObjectId>& unmeasured)
{
    std::vector<geometry::Extents> boxes;
    std::vector<AcDbObjectId> measured;
    boxes.reserve(ids.size());
    measured.reserve(ids.size());
    for (AcDbObjectId id : ids) {
        geometry::Extents box;
        if (MeasureEntity(id, box)) {
            measured.push_back(id);
            boxes.push_back(box);
        } else {
            unmeasured.push_back(id);
        }
    }
    ids = std::move(measured);
    return boxes;
}

bool Inside(const geometry::Extents& inner, const geometry::Extents& outer)
{
    return inner.min.x >= outer.min.x && inner.max.x <= outer.max.x && inner.min.y >= outer.min.y &&
           inner.max.y <= outer.max.y;
}

}  // namespace

EntityBoxes::EntityBoxes(std::vector<AcDbObjectId> ids)
    : ids_(std::move(ids)), boxes_(Measure(ids_, unmeasured_)), index_(boxes_)
{
}

bool EntityBoxes::AnyUnmeasuredBut(AcDbObjectId self) const
{
    return std::any_of(unmeasured_.begin(), unmeasured_.end(), [&](AcDbObjectId id) { return id != self; });
}

bool EntityBoxes::AnyTouching(const geometry::Extents& box, AcDbObjectId self) const
{
    if (AnyUnmeasuredBut(self))
        return true;
    std::vector<std::uint32_t> found;
    index_.Query(box, found);
    return std::any_of(found.begin(), found.end(), [&](std::uint32_t at) { return ids_[at] != self; });
}

bool EntityBoxes::AnyInside(const geometry::Extents& box, AcDbObjectId self) const
{
    if (AnyUnmeasuredBut(self))
        return true;
    std::vector<std::uint32_t> found;
    index_.Query(box, found);
    return std::any_of(found.begin(), found.end(),
                       [&](std::uint32_t at) { return ids_[at] != self && Inside(boxes_[at], box); });
}

bool EntityBoxes::Touching(const geometry::Extents& box, std::vector<AcDbObjectId>& found) const
{
    found.clear();
    if (!unmeasured_.empty())
        return false;
    std::vector<std::uint32_t> at;
    index_.Query(box, at);
    found.reserve(at.size());
    for (std::uint32_t k : at)
        found.push_back(ids_[k]);
    return true;
}

geometry::Extents ExtentsOfPoints(const AcGePoint2dArray& points)
{
    geometry::Extents box;
    for (int i = 0; i < points.length(); ++i)
        box.Include(geometry::Point2d{points[i].x, points[i].y});
    return box;
}

}  // namespace gisexchange
