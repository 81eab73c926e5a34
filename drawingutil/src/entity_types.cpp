#include "drawingutil/entity_types.h"

#include <array>
#include <cstring>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_vertex.h"

#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

template <typename T>
T* AsClass(AcRxObject* object)
{
    return IsKindOfClass(object, T::desc()) ? static_cast<T*>(object) : nullptr;
}

// Host class names in the order of their codes 1 to 11.
constexpr std::array<const char*, 11> kClassNames = {
    "AcDbPoint", "AcDbBlockReference", "AcDbLine",  "AcDbPolyline", "AcDb2dPolyline",       "AcDb3dPolyline",
    "AcDbText",  "AcDbEllipse",        "AcDbCircle", "AcDbArc",     "AcDbAlignedDimension",
};

}  // namespace

bool GetEntityTypeName(const ads_name entity, std::string& typeName)
{
    typeName.clear();
    if (entity == nullptr)
        return false;
    // The class's DXF name when the entity can be opened to look at; the entity's data (group 0)
    // otherwise, and for classes the host keeps as raw data, which have no name of their own.
    {
        Opened<AcDbObject> object(entity, AcDb::kForRead);
        const char* name = object && object->isA() != nullptr ? object->isA()->dxfName() : nullptr;
        if (name != nullptr && *name != '\0') {
            typeName = name;
            return true;
        }
    }
    Chain list(acdbEntGet(entity));
    for (const resbuf* item = list.get(); item != nullptr; item = item->rbnext) {
        if (item->restype == 0) {
            typeName = TextOrEmpty(item->resval.rstring);
            return true;
        }
    }
    return false;
}

bool IsKindOfClass(const AcRxObject* object, const AcRxClass* cls)
{
    return object != nullptr && object->isKindOf(cls);
}

AcDbEntity* AsEntity(AcRxObject* object) { return AsClass<AcDbEntity>(object); }
AcDbLine* AsLine(AcRxObject* object) { return AsClass<AcDbLine>(object); }
AcDbCircle* AsCircle(AcRxObject* object) { return AsClass<AcDbCircle>(object); }
AcDbPolyline* AsPolyline(AcRxObject* object) { return AsClass<AcDbPolyline>(object); }
AcDb2dPolyline* As2dPolyline(AcRxObject* object) { return AsClass<AcDb2dPolyline>(object); }
AcDb2dVertex* As2dVertex(AcRxObject* object) { return AsClass<AcDb2dVertex>(object); }
AcDbSpline* AsSpline(AcRxObject* object) { return AsClass<AcDbSpline>(object); }
AcDbText* AsEntityText(AcRxObject* object) { return AsClass<AcDbText>(object); }

Acad::ErrorStatus OpenBlockReference(AcDbBlockReference*& reference, AcDbObjectId id, AcDb::OpenMode mode)
{
    return acdbOpenObject(reference, id, mode);
}

bool IsCurve(const ads_name entity)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return false;
    Opened<AcDbObject> object(id, AcDb::kForRead);
    return IsKindOfClass(object.get(), AcDbCurve::desc());
}

int ClassifyEntityClass(const ads_name entity)
{
    AcDbObjectId id;
    if (!IdOfName(entity, id))
        return kClassOther;
    std::string name;
    {
        Opened<AcDbEntity> object(id, AcDb::kForRead);
        if (!object)
            return kClassOther;
        name = object->isA()->name();
    }
    for (std::size_t i = 0; i < kClassNames.size(); ++i) {
        if (name == kClassNames[i])
            return static_cast<int>(i) + 1;
    }
    return kClassOther;
}
