// Attribute values in an entity's extended entity data: one registered application per
// attribute, whose items hold the values. Values pass to and from callers as text.
//
// Every routine opens the entity, acts and closes it within the call, and fails quietly unless a
// verbose flag asks for a message on the command line.
#pragma once

#include <string>

#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

// Value kinds of an item and the group codes that hold them.
enum XDataValueType {
    kXDataString = 0,  // 1000
    kXDataShort = 1,   // 1070, 16-bit integer
    kXDataLong = 2,    // 1071, 32-bit integer
    kXDataReal = 3,    // 1040
    kXDataText = 4,    // 1000, the same as kXDataString
};

// A string item holds at most this many bytes; longer values are cut on a character boundary.
constexpr std::size_t kMaxXDataValueBytes = 255;

// By entity name. `text` is emptied first.
// The first item of the kind's group under the application; false when the entity, its data
// under the application or such an item is missing. Reals read as "%f".
bool GetXDataAsText(const ads_name entity, const char* application, int kind, std::string& text);
// GetXDataAsText of kind 2 as a number; `value` is left alone when there is none.
bool GetXDataLong(const ads_name entity, const char* application, long& value);
// Replaces the application's whole data by one item of the kind (1: 1070, 2: 1071, 3: 1040, any
// other number a 1000 string), registering the application when needed.
void SetXData(const ads_name entity, const char* application, int kind, const char* value);
void SetXDataLong(const ads_name entity, const char* application, long value);
// Leaves only the application name; an entity without data under it is not touched.
void ClearXData(const ads_name entity, const char* application);
// Items after the application name, or -1 when the entity or its data under the application is
// missing.
int CountXDataItems(const ads_name entity, const char* application);

// By object id. Items count from 0 after the application name; -1 is the last item when reading
// and an append when writing.
//
// True with the item's text when the item exists; an item of another kind gives the empty text,
// or with `force` its own text. Reals read as "%.3f".
bool ReadEntityXData(AcDbObjectId id, const char* application, std::string& text, int kind, int index,
                     bool force, bool verbose);
// Overwrites item `index`, inserts before it (`insert`), or appends when it is -1 or past the
// end. An item of another kind is left alone unless `force` retypes it. True when the object was
// written; false for bad arguments, an object that cannot be opened for writing, or data the
// host refuses.
bool WriteEntityXData(AcDbObjectId id, const char* application, const char* value, int kind, int index,
                      bool insert, bool force, bool verbose);
