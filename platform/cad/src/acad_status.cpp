#include "platform/cad/acad_status.h"

namespace Acad {

const char* ErrorStatusName(ErrorStatus status)
{
    switch (status) {
#define DERO_NAME(e) \
    case e:          \
        return #e;
        DERO_NAME(eOk)
        DERO_NAME(eNotImplementedYet)
        DERO_NAME(eNotApplicable)
        DERO_NAME(eInvalidInput)
        DERO_NAME(eOutOfMemory)
        DERO_NAME(eInvalidOpenState)
        DERO_NAME(eNullObjectPointer)
        DERO_NAME(eNullObjectId)
        DERO_NAME(eNullEntityPointer)
        DERO_NAME(eIllegalEntityType)
        DERO_NAME(eKeyNotFound)
        DERO_NAME(eDuplicateKey)
        DERO_NAME(eInvalidIndex)
        DERO_NAME(eAlreadyInDb)
        DERO_NAME(eInvalidAdsName)
        DERO_NAME(eInvalidSymbolTableName)
        DERO_NAME(eInvalidKey)
        DERO_NAME(eWrongObjectType)
        DERO_NAME(eWrongDatabase)
        DERO_NAME(eObjectToBeDeleted)
        DERO_NAME(eNotOpenForRead)
        DERO_NAME(eNotOpenForWrite)
        DERO_NAME(eNotThatKindOfClass)
        DERO_NAME(eInvalidBlockName)
        DERO_NAME(eInvalidDxfCode)
        DERO_NAME(eInvalidResBuf)
        DERO_NAME(eWasErased)
        DERO_NAME(eWasNotErased)
        DERO_NAME(eWasOpenForRead)
        DERO_NAME(eWasOpenForWrite)
        DERO_NAME(eWasOpenForNotify)
        DERO_NAME(eAtMaxReaders)
        DERO_NAME(eHadMultipleReaders)
        DERO_NAME(eNotAnEntity)
        DERO_NAME(eDuplicateRecordName)
        DERO_NAME(eSelfReference)
        DERO_NAME(eCannotBeErasedByCaller)
        DERO_NAME(eNotInDatabase)
        DERO_NAME(eNotInGroup)
        DERO_NAME(eInvalidLayer)
        DERO_NAME(eRegappIdNotFound)
        DERO_NAME(eXdataSizeExceeded)
        DERO_NAME(eDegenerateGeometry)
        DERO_NAME(eInvalidExtents)
        DERO_NAME(eNotOnCurve)
        DERO_NAME(eNoIntersections)
        DERO_NAME(eUnknownHandle)
        DERO_NAME(eHandleInUse)
        DERO_NAME(eOnLockedLayer)
        DERO_NAME(eAlreadyInGroup)
        DERO_NAME(eFileNotFound)
        DERO_NAME(eFileAccessErr)
#undef DERO_NAME
    }
    return "eUnknown";
}

}  // namespace Acad
