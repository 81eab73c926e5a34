// Everything a drawing holds, object by object, for comparing a drawing with itself before a change.
#pragma once

#include <map>

#include "platform/cad/db_database.h"
#include "platform/cad/db_object.h"

using Dump = std::map<std::uint64_t, platform::cad::DxfTagList>;

// Everything a drawing holds, object by object: definition fields, XData, owned lists.
inline Dump DumpDrawing(AcDbDatabase* db)
{
    Dump dump;
    for (std::uint64_t slot = 0; slot < db->objects().Size(); ++slot) {
        platform::cad::ObjectStub* stub = db->objects().At(slot);
        if (stub->erased || stub->object == nullptr)
            continue;
        AcDbDxfFiler filer;
        filer.writeString(0, stub->object->dxfTypeName());
        stub->object->dxfOutFields(&filer);
        for (const auto& app : stub->object->xdataApps()) {
            filer.writeString(1001, app.app);
            for (const auto& tag : app.items)
                filer.writeTag(tag);
        }
        AcDbObjectIdArray owned;
        stub->object->subObjectIds(owned);
        for (const auto& id : owned)
            if (!id.isErased())
                filer.writeObjectId(-2, id);
        dump[stub->handle] = filer.tags();
    }
    dump[0].push_back(platform::cad::DxfTag::Id(8, db->clayer()));
    return dump;
}

