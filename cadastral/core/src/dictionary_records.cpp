#include "cadastral/dictionary_records.h"

#include "drawingutil/host_objects.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"

namespace cadastral {
namespace {

using drawingutil::Chain;
using drawingutil::Opened;

AcDbObjectId NamedObjects() {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    return db != nullptr ? db->namedObjectsDictionaryId() : AcDbObjectId();
}

// The entry of the dictionary under the key, made as a T when missing (the dictionary is then
// opened for write). Null id when it is neither there nor could be made.
template <typename T>
AcDbObjectId Entry(AcDbObjectId dictionary, const char* key) {
    AcDbObjectId id;
    {
        Opened<AcDbDictionary> read(dictionary, AcDb::kForRead);
        if (!read)
            return AcDbObjectId();
        if (read->getAt(key, id) == Acad::eOk)
            return id;
    }
    Opened<AcDbDictionary> write(dictionary, AcDb::kForWrite);
    if (!write)
        return AcDbObjectId();
    auto* made = new T;
    if (write->setAt(key, made, id) != Acad::eOk) {
        delete made;
        return AcDbObjectId();
    }
    made->close();
    return id;
}

}  // namespace

bool ReadDictionaryRecord(const char* dictionary, const char* record, int& value) {
    if (dictionary == nullptr || record == nullptr)
        return false;
    AcDbObjectId subId;
    {
        Opened<AcDbDictionary> nod(NamedObjects(), AcDb::kForRead);
        if (!nod || nod->getAt(dictionary, subId) != Acad::eOk)
            return false;
    }
    AcDbObjectId recordId;
    {
        Opened<AcDbDictionary> sub(subId, AcDb::kForRead);
        if (!sub || sub->getAt(record, recordId) != Acad::eOk)
            return false;
    }
    Opened<AcDbXrecord> xrecord(recordId, AcDb::kForRead);
    if (!xrecord)
        return false;
    resbuf* data = nullptr;
    xrecord->rbChain(&data);
    Chain chain(data);
    if (chain) {
        if (chain->restype >= 90 && chain->restype <= 99)
            value = static_cast<int>(chain->resval.rlong);
        else if ((chain->restype >= 60 && chain->restype <= 79) || (chain->restype >= 170 && chain->restype <= 179) ||
                 (chain->restype >= 270 && chain->restype <= 289) || (chain->restype >= 400 && chain->restype <= 409))
            value = chain->resval.rint;
    }
    return true;
}

bool WriteDictionaryRecord(const char* dictionary, const char* record, int value) {
    if (dictionary == nullptr || record == nullptr)
        return false;
    Chain data(acutBuildList(90, static_cast<long>(value), 0));
    if (!data)
        return false;
    AcDbObjectId subId = Entry<AcDbDictionary>(NamedObjects(), dictionary);
    if (subId.isNull())
        return false;
    AcDbObjectId recordId = Entry<AcDbXrecord>(subId, record);
    Opened<AcDbXrecord> xrecord(recordId, AcDb::kForWrite);
    return xrecord && xrecord->setFromRbChain(*data) == Acad::eOk;
}

}  // namespace cadastral
