// The colour class of the host; this stand-in keeps indexed colours only.
#pragma once

#include "platform/cad/acad_status.h"

class AcCmColor {
public:
    AcCmColor() = default;
    Adesk::UInt16 colorIndex() const { return index_; }
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 index);
    bool isByLayer() const { return index_ == AcDb::kColorByLayer; }
    bool isByBlock() const { return index_ == AcDb::kColorByBlock; }

private:
    Adesk::UInt16 index_ = AcDb::kColorByLayer;
};
