// The MapGIS file library (bas60.dll): workspaces, file slots, loading, objects, attributes, tables,
// writing and the ending sequence. Each entry is named for its role; the comment gives its ordinal.
//
// Handles are 16-bit signed numbers above 0; a handle that names nothing (0, negative, freed)
// answers 0 and changes nothing. Objects are numbered from 1 in each file; pointers handed out
// stay valid until the next call of the same kind on the same file.
#pragma once

#include "platform/gis/basroot.h"
#include "platform/win/win_types.h"

// File kinds of a slot and of the objects the attribute calls name.
constexpr short GIS_KIND_LINE = 0;
constexpr short GIS_KIND_POINT = 1;
constexpr short GIS_KIND_AREA = 2;
constexpr short GIS_KIND_TABLE = 7;

// Parameter blocks are stored and given back byte for byte.
constexpr int GIS_POINT_PARAM_SIZE = 94;
constexpr int GIS_LINE_PARAM_SIZE = 67;
constexpr int GIS_AREA_PARAM_SIZE = 24;

// The write mode callers pass to the file write.
constexpr LONG GIS_SAVE_MODE = 0x4460;

struct D_DOT {
    double x;
    double y;
};

short GisNewWorkspace(short reserved);                                              // 12
short GisGetFileSlot(short workspace, short kind);                                  // 16
// Above 0 when the file was loaded; 0 when it cannot be opened, -1 when it is damaged or of another kind.
LONG GisLoadFile(const char* path, short slot, LONG, LONG, LONG);                   // 8
LONG GisNewFile(const char* name, short slot, LONG, LONG, LONG);                    // 30

short GisGetFileHandle(short workspace);                                            // 14, rewinds the stepping
LONG GisGetObjectCount(short workspace);                                            // 13
short GisNextObject(short workspace);                                               // 15
LONG GisCurrentPoint(short file);                                                   // 177
LONG GisCurrentLine(short file);                                                    // 175
LONG GisCurrentArea(short file);                                                    // 176

LONG GisGetPoint(short file, LONG number, D_DOT* position, const char** text, BYTE* params);        // 1557
LONG GisGetLine(short file, LONG number, const D_DOT** points, LONG* count, BYTE* params);          // 1551
// The line list: entry 0 holds the number of entries that follow; rings are separated by 0 and a
// negative number walks its line backwards.
LONG GisGetArea(short file, LONG number, const LONG** lineList, LONG* length, BYTE* params);        // 44

// The writes return the new object's number, 0 when nothing was written.
LONG GisWritePoint(short file, const D_DOT* position, const char* text, short textLength, const BYTE* params,
                   short mode);                                                                      // 1559
LONG GisWriteLine(short file, const D_DOT* points, LONG count, const BYTE* params, short mode);      // 1552
LONG GisBuildArea(short file, const LONG* lineList, LONG length, const BYTE* params);               // 47
// Above 0 when the file is on disk under the path; a failed write leaves nothing under it.
LONG GisSaveFile(short file, const char* path, LONG mode, LONG, LONG, LONG);                        // 33
LONG GisIsEmpty(short file);                                                                        // 36

LONG GisGetAttribute(short file, short kind, LONG number, CATT_STRU** structure, ATT_VALUES** values);  // 114
LONG GisSetFieldText(CATT_STRU* structure, ATT_VALUES* values, const char* fieldName, const char* text); // 205
LONG GisPutAttribute(short file, short kind, LONG number, CATT_STRU* structure, ATT_VALUES* values);     // 121
LONG GisAddField(short file, const CFIELD_HEAD* field);                                                 // 112
// Table rows: a blank row, its fields by position, then the append, which gives the row's number.
LONG GisNewTableRow(short table, short kind, CATT_STRU** structure, ATT_VALUES** values);               // 98
LONG GisSetFieldNumber(CATT_STRU* structure, ATT_VALUES* values, short position, double number);        // 206
LONG GisSetFieldValue(CATT_STRU* structure, ATT_VALUES* values, short position, const char* text);      // 207
LONG GisAppendTableRow(short table, CATT_STRU* structure, ATT_VALUES* values);                          // 239

// The ending sequence.
LONG GisSlotHasFile(short slot);             // 35
LONG GisCloseFile(short slot, LONG);         // 88
LONG GisFreeSlot(short slotOrWorkspace);     // 4, a workspace handle frees all its slots
LONG GisFreeRecords(short workspace);        // 5
LONG GisFreeWorkspace(short workspace);      // 210
