// MapGIS projects (mapprj60.dll): a list of files, each entry with its record (the title first).
// Handles are 16-bit signed numbers above 0; a handle that names nothing answers 0.
#pragma once

#include "platform/win/win_types.h"

// An entry's record, kept byte for byte; it begins with the entry's title.
struct PRJ_ENTRY {
    char title[128];
    BYTE rest[128];
};

short PrjNew(LONG reserved);                                                        // 3
// A handle, or 0 when the project cannot be opened, -1 when it is damaged.
short PrjOpen(const char* path, LONG, LONG);                                        // 2
// Enters the file at the position (an existing entry there takes the new path; a position past the
// end appends) and makes it the current entry. The entry's number, 0 on failure.
LONG PrjEnterFile(short project, LONG position, const char* filePath, LONG, LONG);  // 23
LONG PrjGetEntry(short project, LONG, PRJ_ENTRY* entry);                            // 27, the current entry
LONG PrjPutEntry(short project, LONG, const PRJ_ENTRY* entry, LONG);                // 26
LONG PrjSetPath(short project, const char* path);                                   // 53
LONG PrjWrite(short project, LONG);                                                 // 9
LONG PrjWriteAs(short project, const char* path);                                   // 10
LONG PrjGetCount(short project);                                                    // 6
// The path of entry i as entered, a relative one joined to the project's folder; null when absent.
const char* PrjGetFilePath(short project, LONG i);                                  // 31
LONG PrjGetEntryAt(short project, LONG i, PRJ_ENTRY* entry);                        // 32
LONG PrjFree(short project);                                                        // 4
LONG PrjRelease(short project);                                                     // 5
