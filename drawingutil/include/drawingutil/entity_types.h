// What an entity is: its DXF type name, class tests and casts, and a small code for the classes
// the plug-ins tell apart.
#pragma once

#include <string>

#include "platform/cad/acad_status.h"
#include "platform/cad/db_object.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/rx_object.h"

class AcDbEntity;
class AcDbLine;
class AcDbCircle;
class AcDbPolyline;
class AcDb2dPolyline;
class AcDb2dVertex;
class AcDbSpline;
class AcDbText;
class AcDbBlockReference;

// Codes of ClassifyEntityClass, by exact host class name; a derived class is "other".
enum EntityClassKind {
    kClassOther = -1,
    kClassPoint = 1,
    kClassBlockReference = 2,
    kClassLine = 3,
    kClassPolyline = 4,
    kClass2dPolyline = 5,
    kClass3dPolyline = 6,
    kClassText = 7,
    kClassEllipse = 8,
    kClassCircle = 9,
    kClassArc = 10,
    kClassAlignedDimension = 11,
};

// The DXF type name (group 0 of the definition list), such as "LWPOLYLINE"; false with the empty
// text when the entity cannot be listed.
bool GetEntityTypeName(const ads_name entity, std::string& typeName);

// True when the object's class is the given class or derived from it; false for null.
bool IsKindOfClass(const AcRxObject* object, const AcRxClass* cls);

// The same open object when it is of the class or derived from it, else null.
AcDbEntity* AsEntity(AcRxObject* object);
AcDbLine* AsLine(AcRxObject* object);
AcDbCircle* AsCircle(AcRxObject* object);
AcDbPolyline* AsPolyline(AcRxObject* object);
AcDb2dPolyline* As2dPolyline(AcRxObject* object);
AcDb2dVertex* As2dVertex(AcRxObject* object);
AcDbSpline* AsSpline(AcRxObject* object);
AcDbText* AsEntityText(AcRxObject* object);

// Opens the object only when it is a block reference; otherwise nothing stays open and the
// reference is null. The host's status.
Acad::ErrorStatus OpenBlockReference(AcDbBlockReference*& reference, AcDbObjectId id, AcDb::OpenMode mode);

// True when the entity opens and is a curve.
bool IsCurve(const ads_name entity);

// The EntityClassKind of the entity; -1 for other classes or an entity that cannot be opened.
int ClassifyEntityClass(const ads_name entity);
