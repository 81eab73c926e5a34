// Attribute values as text (w60area.dll).
#pragma once

#include "platform/gis/basroot.h"
#include "platform/win/win_types.h"

// 210: the value of the field at the position, as text, cut to fit the buffer without splitting a
// GBK character. Above 0 on success.
LONG GisGetFieldText(const CATT_STRU* structure, const ATT_VALUES* values, short position, char* buffer,
                     short size, LONG, LONG);
