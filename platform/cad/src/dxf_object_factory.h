// The host class a DXF record is read into, chosen by its type name (and, where one name covers
// several classes, by its flags). Types the host does not model become raw-tag objects.
#pragma once

#include <string_view>

class AcDbEntity;
class AcDbObject;

namespace platform::cad {

// What the POLYLINE that a VERTEX follows turned out to be.
enum class DxfPolylineKind { None, Flat, Spatial, Other };

// The kind of POLYLINE its 70 flags give: 8 a 3D polyline, 16 and 64 meshes (kept raw).
DxfPolylineKind PolylineKindOf(long flags);

// A new entity for the type; dimensionType is the DIMENSION's 70 flags, parent the kind of the
// polyline a VERTEX belongs to.
AcDbEntity* NewDxfEntity(std::string_view type, long flags, DxfPolylineKind parent);

// A new object of the OBJECTS section.
AcDbObject* NewDxfObject(std::string_view type);

}  // namespace platform::cad
