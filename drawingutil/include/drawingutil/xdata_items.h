// Items of an XData chain: group codes of the value kinds, conversion of value texts into items
// and of items back into text, and registration of applications.
#pragma once

#include <string>

#include "platform/cad/db_database.h"
#include "platform/cad/resbuf.h"

namespace drawingutil {

// The group code that holds a value kind (0 and 4: 1000, 1: 1070, 2: 1071, 3: 1040); 0 for a
// number outside 0..4.
int GroupOfKind(int kind);

// The value text as a string item may hold it: whole up to 255 bytes, else cut to at most 255
// bytes without splitting a double-byte character.
std::string FitValueText(const char* text);

// Makes `item` the kind's group holding the converted value (decimal conversion as atoi and atol
// do, the 16-bit value kept in 16 bits; reals as atof); any number but 1..3 makes a string.
// Releases a string the item held before. False when memory runs out.
bool SetItemValue(resbuf* item, int kind, const char* text);

// A new item of the kind holding the value, or null.
resbuf* NewItem(int kind, const char* text);

// The item's text by its own group: strings as stored, 1070 "%d", 1071 "%ld", 1040 with the
// given format; the empty text for any other group.
std::string ItemText(const resbuf* item, const char* realFormat);

// Registers the application in the database unless it is there already; false when the host
// refuses the name.
bool EnsureRegisteredApp(AcDbDatabase* database, const char* application);

}  // namespace drawingutil
