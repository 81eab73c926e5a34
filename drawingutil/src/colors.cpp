#include "drawingutil/colors.h"

#include "platform/cad/color_palette.h"
#include "platform/cad/db_entity.h"

#include "drawingutil/host_objects.h"

using namespace drawingutil;

void SetEntityColorIndex(const ads_name entity, int colorIndex)
{
    AcDbObjectId id;
    if (colorIndex < 0 || colorIndex > 256 || !IdOfName(entity, id))
        return;
    Opened<AcDbEntity> object(id, AcDb::kForWrite);
    if (object)
        object->setColorIndex(static_cast<Adesk::UInt16>(colorIndex), true);
}

long ColorIndexToRgb(int colorIndex, int& red, int& green, int& blue)
{
    if (colorIndex < 0 || colorIndex > 255)
        return 0;
    std::uint32_t color = acedGetRGB(colorIndex);
    red = static_cast<int>(color & 0xFF);
    green = static_cast<int>((color >> 8) & 0xFF);
    blue = static_cast<int>((color >> 16) & 0xFF);
    return static_cast<long>(color & 0xFFFFFF);
}
