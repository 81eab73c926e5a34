#include "drawingutil/entity_positions.h"

#include <cmath>
#include <memory>

#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_text.h"
#include "platform/text/gbk.h"

#include "drawingutil/entity_types.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

// Below this a text counts as unrotated and is measured as it stands.
constexpr double kRotationTolerance = 0.01;

AcGePoint3d Moved(const AcGePoint3d& from, double angle, double distance)
{
    return AcGePoint3d(from.x + distance * std::cos(angle), from.y + distance * std::sin(angle), from.z);
}

}  // namespace

void GetTextString(const ads_name entity, std::string& text)
{
    text.clear();
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return;
    Opened<AcDbEntity> object(id, AcDb::kForRead);
    if (const AcDbText* t = AsEntityText(object.get()))
        text = t->textStringConst();
}

bool GetTextBoxCorners(const ads_name entity, AcGePoint3d& c1, AcGePoint3d& c2, AcGePoint3d& c3, AcGePoint3d& c4)
{
    std::string type;
    if (!GetEntityTypeName(entity, type) ||
        !(platform::text::GbkEqualNoCase(type.c_str(), "TEXT") || platform::text::GbkEqualNoCase(type.c_str(), "ATTRIB")))
        return false;
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbEntity> object(id, AcDb::kForRead);
    const AcDbText* text = AsEntityText(object.get());
    if (text == nullptr)
        return false;
    double rotation = text->rotation();
    AcGePoint3d p = text->position();
    // A rotated text is measured on an unrotated copy outside the drawing: the drawing never
    // holds a text whose rotation was taken away, whatever happens while measuring.
    AcDbExtents extents;
    if (std::fabs(rotation) > kRotationTolerance) {
        std::unique_ptr<AcDbText> copy(static_cast<AcDbText*>(text->clone()));
        if (!copy || copy->setRotation(0) != Acad::eOk || copy->getGeomExtents(extents) != Acad::eOk)
            return false;
    } else if (text->getGeomExtents(extents) != Acad::eOk) {
        return false;
    }
    AcGePoint3d lo = extents.minPoint(), hi = extents.maxPoint();
    double w = hi.x - lo.x, h = hi.y - lo.y;
    double up = rotation + M_PI / 2;
    c1 = Moved(p, rotation, lo.x - p.x);
    c2 = Moved(c1, rotation, w);
    c4 = Moved(c1, up, h);
    c3 = Moved(c4, rotation, w);
    return true;
}

bool GetBlockPosition(const ads_name entity, AcGePoint3d& point)
{
    Opened<AcDbBlockReference> reference(entity, AcDb::kForRead);
    if (!reference)
        return false;
    point = reference->position();
    return true;
}

bool GetCircleCenter(const ads_name entity, AcGePoint3d& point)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbEntity> object(id, AcDb::kForRead);
    const AcDbCircle* circle = AsCircle(object.get());
    if (circle == nullptr)
        return false;
    point = circle->center();
    return true;
}
