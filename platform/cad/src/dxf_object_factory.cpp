#include "dxf_object_factory.h"

#include <string>

#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_dimension.h"
#include "platform/cad/db_ellipse.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_region.h"
#include "platform/cad/db_spline.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_unknown.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/db_xrecord.h"

namespace platform::cad {

DxfPolylineKind PolylineKindOf(long flags) {
    if ((flags & (16 | 64)) != 0)
        return DxfPolylineKind::Other;
    return (flags & 8) != 0 ? DxfPolylineKind::Spatial : DxfPolylineKind::Flat;
}

AcDbEntity* NewDxfEntity(std::string_view type, long flags, DxfPolylineKind parent) {
    std::string name(type);
    if (type == "LINE")
        return new AcDbLine;
    if (type == "CIRCLE")
        return new AcDbCircle;
    if (type == "ARC")
        return new AcDbArc;
    if (type == "POINT")
        return new AcDbPoint;
    if (type == "LWPOLYLINE")
        return new AcDbPolyline;
    if (type == "TEXT")
        return new AcDbText;
    if (type == "ATTRIB")
        return new AcDbAttribute;
    if (type == "ATTDEF")
        return new AcDbAttributeDefinition;
    if (type == "INSERT")
        return new AcDbBlockReference;
    if (type == "ELLIPSE")
        return new AcDbEllipse;
    if (type == "SPLINE")
        return new AcDbSpline;
    if (type == "REGION")
        return new AcDbRegion;
    if (type == "HATCH")
        return new AcDbHatch;
    if (type == "SEQEND" && parent != DxfPolylineKind::Other)
        return new AcDbSequenceEnd;
    if (type == "POLYLINE") {
        switch (PolylineKindOf(flags)) {
            case DxfPolylineKind::Flat:
                return new AcDb2dPolyline;
            case DxfPolylineKind::Spatial:
                return new AcDb3dPolyline;
            default:
                break;
        }
    }
    if (type == "VERTEX") {
        if (parent == DxfPolylineKind::Flat)
            return new AcDb2dVertex;
        if (parent == DxfPolylineKind::Spatial)
            return new AcDb3dPolylineVertex;
    }
    if (type == "DIMENSION") {
        // Only the linear kinds are modelled: 0 rotated, 1 aligned (higher bits are flags).
        if ((flags & 0x0F) == 0)
            return new AcDbRotatedDimension;
        if ((flags & 0x0F) == 1)
            return new AcDbAlignedDimension;
    }
    return new AcDbUnknownEntity(name.c_str());
}

AcDbObject* NewDxfObject(std::string_view type) {
    if (type == "DICTIONARY")
        return new AcDbDictionary;
    if (type == "GROUP")
        return new AcDbGroup;
    if (type == "XRECORD")
        return new AcDbXrecord;
    std::string name(type);
    return new AcDbUnknownObject(name.c_str());
}

}  // namespace platform::cad
