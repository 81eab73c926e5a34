// The host's rules for extended entity data: items follow a 1001 application name; the
// application must be registered in the drawing; strings hold at most 255 bytes; braces
// (1002) balance; an object holds at most 16 KB of it.
#pragma once

#include <string_view>
#include <vector>

#include "platform/cad/acad_status.h"
#include "platform/cad/db_object.h"

namespace platform::cad {

constexpr std::size_t kMaxXDataString = 255;
constexpr std::size_t kMaxXDataBytes = 16383;

// The registered name of an application (as its record spells it), or false.
#ifdef DERO_HOST_EXTRAS
bool FindRegisteredApp(AcDbDatabase* database, std::string_view app, std::string& registered);
#endif

// Splits tags (1001 heads and items) into applications, checking every rule. Fails with
// eRegappIdNotFound, eXdataSizeExceeded or eInvalidInput and leaves apps unchanged.
Acad::ErrorStatus ParseXData(AcDbDatabase* database, const DxfTagList& tags, std::vector<XDataApp>& apps);
Acad::ErrorStatus ParseXData(AcDbDatabase* database, DxfTagList&& tags, std::vector<XDataApp>& apps);
// The same for a chain of result buffers (setXData's), straight from the buffers; a buffer that
// holds no value (ResbufHoldsValue) fails the chain with eInvalidResBuf before any rule.
Acad::ErrorStatus ParseXData(AcDbDatabase* database, const resbuf* chain, std::vector<XDataApp>& apps);

// Appends the application's 1001 buffer and its items at *link, moving link past them; false when
// memory ran out (what was made stays linked, for the caller to free with its chain).
bool AppendXDataResbufs(const XDataApp& app, resbuf**& link);

// The bytes XData takes in a drawing, as the 16 KB limit counts them.
std::size_t XDataSize(const std::vector<XDataApp>& apps);

// The XData of an object after apps replace their namesakes in current; false when the result
// would pass the 16 KB limit.
bool MergeXData(std::vector<XDataApp>& current, const std::vector<XDataApp>& apps);
// The same, taking the items of apps rather than copying them.
bool MergeXData(std::vector<XDataApp>& current, std::vector<XDataApp>&& apps);
// The two halves of a merge, so that an object can refuse data too large before it changes:
// whether the result stays within the limit, and the merge itself in place.
bool MergedXDataFits(const std::vector<XDataApp>& current, const std::vector<XDataApp>& apps);
void ApplyXData(std::vector<XDataApp>& current, std::vector<XDataApp>&& apps);

}  // namespace platform::cad
