// Name-level access to entities: entity names, definition lists, modification, deletion, the
// walk through the drawing, handles and application registration. Results are RTNORM or RTERROR.
#pragma once

#include "platform/cad/acad_status.h"
#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

// The definition list of an entity (the caller frees it with acutRelRb); null when the name is
// not an entity's. acdbEntGetX adds the XData of the applications named in the list (RTSTR
// buffers; "*" for all) under group -3.
resbuf* acdbEntGet(const ads_name entity);
resbuf* acdbEntGetX(const ads_name entity, const resbuf* apps);
// Changes the entity named by the -1 group to the list's values. XData under -3 replaces that
// of each application named; the whole call is refused when one is not registered.
int acdbEntMod(const resbuf* list);
// Erases the entity, or restores it when it was erased.
int acdbEntDel(const ads_name entity);
// Redraw request after acdbEntMod of a sub-entity; nothing to do without a display.
int acdbEntUpd(const ads_name entity);
// The entity after the given one (the first when the name is null), walking into the vertices
// and end marker of polylines and the attributes of block references. RTERROR at the end.
int acdbEntNext(const ads_name entity, ads_name result);
// The last main entity of the drawing.
int acdbEntLast(ads_name result);
// The entity of a hexadecimal handle (erased entities included).
int acdbHandEnt(const char* handle, ads_name result);

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);
Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id);

// Adds the application to the working drawing's application table: RTNORM, or RTERROR when it is
// registered already or the name is not a valid symbol name.
int acdbRegApp(const char* application);
