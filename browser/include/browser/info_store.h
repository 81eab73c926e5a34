// Keeping the whole item list in an ".info" file the user chooses, or in the current drawing.
//
// Each operation is one action of the user, with its own dialogs and questions. Opening and
// importing read into a new list and swap it in only when the whole image read cleanly, so a
// damaged file or record never costs the items already shown. They return true when the list was
// replaced, so that the caller can rebuild what shows it.
#pragma once

#include <cstdint>

// The first four bytes of an ".info" file.
constexpr std::uint32_t kInfoFileMagic = 0x0519120C;

void SaveInfoFile();
bool OpenInfoFile();
void ExportItemsToDrawing();
bool ImportItemsFromDrawing();
