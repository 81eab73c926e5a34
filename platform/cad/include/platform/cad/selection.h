// Selection sets and the host's object selection: acedSSGet with its modes and filters, and the
// calls that walk and change a set. Results are the host's status codes (RTNORM, RTERROR, RTCAN).
#pragma once

#include <cstddef>
#include <vector>

#include "platform/cad/acad_status.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

// Selects entities into a new set. mode: null or "" lets the user pick (answers of the answer
// source); "X" the whole drawing; "W"/"C" a window or crossing between the corners pt1 and pt2
// (ads_point); "WP"/"CP" a window or crossing polygon and "F" a fence, whose points are a chain of
// RTPOINT/RT3DPOINT buffers passed as pt1. Letter case does not matter. filter: groups 0 (type),
// 8 (layer), -3 with 1001 (XData application present) and -4 "<or" "or>" "<and" "and>".
// RTERROR when nothing is selected (no set is made), the input is bad or too many sets are live;
// RTCAN when the user cancels a pick.
int acedSSGet(const char* mode, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss);

// With a null set: a new set holding the entity (empty when the entity is null too). Otherwise
// adds the entity to the set (result names the set).
int acedSSAdd(const ads_name entity, const ads_name ss, ads_name result);
int acedSSDel(const ads_name entity, const ads_name ss);
// RTNORM when the entity is a member, RTERROR otherwise.
int acedSSMemb(const ads_name entity, const ads_name ss);
int acedSSLength(const ads_name ss, Adesk::Int32* length);
int acedSSName(const ads_name ss, Adesk::Int32 index, ads_name entity);
int acedSSFree(const ads_name ss);
// Makes the set's members the pick-first set (a copy; the caller still frees its set); a null
// set clears it.
int acedSSSetFirst(const ads_name pickfirst, const ads_name grips);

namespace platform::cad {

// The host holds at most this many selection sets at once.
constexpr std::size_t kMaxSelectionSets = 128;
// Sets made and not yet freed, for leak checks.
std::size_t LiveSelectionSetCount();
// The entities of the pick-first set.
std::vector<AcDbObjectId> PickFirstIds();
// Host-side: a new set holding the ids in order (RTERROR at the cap).
int MakeSelectionSet(const std::vector<AcDbObjectId>& ids, ads_name ss);

}  // namespace platform::cad
