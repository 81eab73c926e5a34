// The paint of one window: a device context handle whose drawing is kept as the window's last paint.
#pragma once

#include <string>

#include "platform/ui/window_types.h"

namespace platform::ui {

HDC BeginPaintDc(HWND hwnd);
void EndPaintDc(HWND hwnd, HDC dc);
// A device context of no window (memory), a drawing line added to one, and its end.
HDC NewMemoryDc();
void RecordOn(HDC dc, const std::string& line);
void DropDc(HDC dc);

}  // namespace platform::ui
