#include "platform/cad/cm_color.h"

Acad::ErrorStatus AcCmColor::setColorIndex(Adesk::UInt16 index)
{
    if (index > 257)
        return Acad::eInvalidInput;
    index_ = index;
    return Acad::eOk;
}
