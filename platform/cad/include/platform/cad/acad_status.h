// Result codes, open modes and the small enumerations of the host's drawing interface.
#pragma once

#include <cstdint>

namespace Adesk {
using Int8 = std::int8_t;
using Int16 = std::int16_t;
using Int32 = std::int32_t;
using Int64 = std::int64_t;
using UInt8 = std::uint8_t;
using UInt16 = std::uint16_t;
using UInt32 = std::uint32_t;
using UInt64 = std::uint64_t;
using Boolean = bool;
constexpr bool kTrue = true;
constexpr bool kFalse = false;
}  // namespace Adesk

namespace Acad {
// Only eOk has a value that callers may rely on; the others are compared by name.
enum ErrorStatus {
    eOk = 0,
    eNotImplementedYet,
    eNotApplicable,
    eInvalidInput,
    eOutOfMemory,
    eInvalidOpenState,
    eNullObjectPointer,
    eNullObjectId,
    eNullEntityPointer,
    eIllegalEntityType,
    eKeyNotFound,
    eDuplicateKey,
    eInvalidIndex,
    eAlreadyInDb,
    eInvalidAdsName,
    eInvalidSymbolTableName,
    eInvalidKey,
    eWrongObjectType,
    eWrongDatabase,
    eObjectToBeDeleted,
    eNotOpenForRead,
    eNotOpenForWrite,
    eNotThatKindOfClass,
    eInvalidBlockName,
    eInvalidDxfCode,
    eInvalidResBuf,
    eWasErased,
    eWasNotErased,
    eWasOpenForRead,
    eWasOpenForWrite,
    eWasOpenForNotify,
    eAtMaxReaders,
    eHadMultipleReaders,
    eNotAnEntity,
    eDuplicateRecordName,
    eSelfReference,
    eCannotBeErasedByCaller,
    eNotInDatabase,
    eNotInGroup,
    eInvalidLayer,
    eRegappIdNotFound,
    eXdataSizeExceeded,
    eDegenerateGeometry,
    eInvalidExtents,
    eNotOnCurve,
    eNoIntersections,
    eUnknownHandle,
    eHandleInUse,
    eOnLockedLayer,
    eAlreadyInGroup,
    eFileNotFound,
    eFileAccessErr,
};

// The enumerator's name, for messages and test output.
const char* ErrorStatusName(ErrorStatus status);
}  // namespace Acad

namespace AcDb {
enum OpenMode { kForRead = 0, kForWrite = 1, kForNotify = 2 };

// Which operands of an intersection are taken beyond their ends.
enum Intersect { kOnBothOperands = 0, kExtendThis = 1, kExtendArg = 2, kExtendBoth = 3 };

enum Poly2dType { k2dSimplePoly = 0, k2dFitCurvePoly = 1, k2dQuadSplinePoly = 2, k2dCubicSplinePoly = 3 };
enum Vertex2dType {
    k2dVertex = 0,
    k2dSplineCtlVertex = 1,
    k2dSplineFitVertex = 2,
    k2dCurveFitVertex = 3
};
enum Poly3dType { k3dSimplePoly = 0, k3dQuadSplinePoly = 1, k3dCubicSplinePoly = 2 };
enum Vertex3dType { k3dSimpleVertex = 0, k3dControlVertex = 1, k3dFitVertex = 2 };

enum TextHorzMode { kTextLeft = 0, kTextCenter = 1, kTextRight = 2, kTextAlign = 3, kTextMid = 4, kTextFit = 5 };
enum TextVertMode { kTextBase = 0, kTextBottom = 1, kTextVertMid = 2, kTextTop = 3 };

enum Visibility { kVisible = 0, kInvisible = 1 };

enum BoolOperType { kBoolUnite = 0, kBoolIntersect = 1, kBoolSubtract = 2 };

// Colour indexes with a meaning of their own.
constexpr int kColorByBlock = 0;
constexpr int kColorByLayer = 256;
}  // namespace AcDb

namespace AcRx {
// Order of a dictionary walk: by key (the host's default) or by insertion.
enum DictIterType { kDictCollated = 0, kDictSorted = 1 };
}  // namespace AcRx
