// The two ways the install engine reaches cabinets.
#pragma once
#include <cstdint>
#include <string>

#include "platform/win/win_types.h"

namespace Cabinet {

// 1 for a cabinet of the form the key expects, filling both sizes and the file count; 0
// otherwise, with secondSize and fileCount 0 and size untouched. Sends nothing.
int QueryCabinetInfo(const std::u16string& cabinetPath, std::uint32_t* size, std::uint32_t* secondSize,
                     std::uint32_t* fileCount, const char* key);

// Extracts the whole set into destination, reporting to window with WM_CAB_INFO and
// WM_CAB_ERROR lines. True only when every member of the set was extracted: a run must not go on
// to install from a partial folder.
bool ExtractCabinetFile(const std::u16string& cabinetPath, const std::u16string& destination, HWND window,
                        const char* key);

}  // namespace Cabinet
