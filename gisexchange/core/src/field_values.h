// Field values of the exchange databases as the exchange tables keep them.
#pragma once

#include "platform/dao/ole_variant.h"
#include "platform/ui/afx_string.h"

namespace gisexchange {

// A null field reads as empty text or zero; a number as its value, a text as the number it begins
// with.
CString TextOf(const COleVariant& value);
long IntegerOf(const COleVariant& value);
short ShortOf(const COleVariant& value);
float SingleOf(const COleVariant& value);

}  // namespace gisexchange
