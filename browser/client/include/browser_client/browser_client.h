// The sending side of the browser's item-list protocol, for the plug-ins that report findings to
// Tallyview. The plug-ins never link the browser: each routine builds one argument list for the
// browser's LISP function "kelvo_receive", asks the host to invoke it and frees what it made. When
// the browser is not loaded the invocation fails quietly and the caller goes on.
#pragma once

#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"
#include "platform/cad/resbuf.h"

// Code -1: empties the item with the title.
void ClearBrowserItem(const char* title);
// Code 0: appends the text as a new line of the item (made when missing).
void ReportToBrowserPair(const char* title, const char* text);
// Code 1: as code 0, the line linked to the members of the set; the caller keeps and frees it.
void ReportToBrowserSelection(const char* title, const char* text, const ads_name selection);
// Code 3: as code 0, the line linked to the point.
void ReportToBrowserPoint(const char* title, const char* text, const ads_point point);
// Code 3 with a planar point (sent with z = 0).
void ReportJzxGdToBrowser(const char* title, const char* text, const AcGePoint2d& point);

// A new set holding, in order, the entity of every id the host can name; the others are left out.
// RTNORM, or RTERROR when the host can make no more sets (selection is then cleared).
int SelectionFromIds(const AcDbObjectIdArray& ids, ads_name selection);
// Code 1 with a temporary set of the entities of the ids.
void ReportEntitiesToBrowser(const char* title, const char* text, const AcDbObjectIdArray& ids);
void ReportEntityIdToBrowser(const char* title, const char* text, AcDbObjectId id);
// Code 1 with a set of the named entity, or an empty set when the name is null.
void ReportEntityNameToBrowser(const char* title, const char* text, const ads_name entity);

// Runs the browser's command "Kelvo_Show", then "Regen"; results are not looked at.
void ShowBrowser();
