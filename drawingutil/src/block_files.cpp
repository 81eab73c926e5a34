#include <memory>

#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/file_search.h"
#include "platform/text/format.h"

#include "drawingutil/blocks.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

bool HasBlock(AcDbDatabase* db, const char* name)
{
    Opened<AcDbBlockTable> table(db->blockTableId(), AcDb::kForRead);
    return table && table->has(name);
}

}  // namespace

bool InsertBlockFromFile(const char* blockName)
{
    if (blockName == nullptr || *blockName == '\0')
        return false;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (HasBlock(db, blockName))
        return true;
    char path[260] = {};
    const std::string file = platform::text::Format("%s.dwg", blockName);
    if (acedFindFile(file.c_str(), path, sizeof path) != RTNORM)
        return false;
    auto side = std::make_unique<AcDbDatabase>(false, true);
    if (side->readDwgFile(path) != Acad::eOk)
        return false;
    AcDbObjectId blockId;
    if (db->insert(blockId, blockName, side.get(), false) != Acad::eOk)
        return false;
    return HasBlock(db, blockName);
}
