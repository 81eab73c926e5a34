// Where texts, block references and circles stand, read by entity name.
#pragma once

#include <string>

#include "platform/cad/ge_types.h"
#include "platform/cad/resbuf.h"

// The string of a text (attributes included); the empty text for anything else.
void GetTextString(const ads_name entity, std::string& text);
// The corners of the box of a "TEXT" or "ATTRIB" entity, counter-clockwise from the lower left of
// the unrotated box, turned with the text: c1 on the baseline's start, c2 along the baseline, c3
// and c4 above them. The drawing is not changed. False for other entities.
bool GetTextBoxCorners(const ads_name entity, AcGePoint3d& c1, AcGePoint3d& c2, AcGePoint3d& c3, AcGePoint3d& c4);
// The insertion point of a block reference; false for other entities.
bool GetBlockPosition(const ads_name entity, AcGePoint3d& point);
// The centre of a circle (arcs are not circles here); false for other entities.
bool GetCircleCenter(const ads_name entity, AcGePoint3d& point);
