#include <memory>

#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"

#include "drawingutil/blocks.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

bool CreateCodedBlockReference(const AcGePoint3d& position, const char* blockName, const char* code, double scale,
                               double rotation, AcDbGroup* group, const char* layer)
{
    if (!InsertBlockFromFile(blockName))
        return false;
    AcDbObjectId blockId;
    {
        Opened<AcDbBlockTable> table(acdbHostApplicationServices()->workingDatabase()->blockTableId(),
                                     AcDb::kForRead);
        if (!table || table->getAt(blockName, blockId) != Acad::eOk)
            return false;
    }
    auto reference = std::make_unique<AcDbBlockReference>(position, blockId);
    if (reference->setScaleFactors(AcGeScale3d(scale, scale, 1)) != Acad::eOk)
        return false;
    reference->setRotation(rotation);
    return !FinishCodedEntity(reference.release(), code, layer, group).isNull();
}
