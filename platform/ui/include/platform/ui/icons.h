// Icons loaded from module resources. Nothing is drawn, but an icon handle says which resource
// it came from and at what size, so code and tests can tell icons apart.
#pragma once

#include "platform/ui/resources.h"

constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

// The icon with that id in the module (the current resource module when module is null), at the
// asked size (0 and 0: the resource's own); null, and a transcript line, when it is not there.
HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags);
HICON LoadIconA(HINSTANCE module, LPCSTR name);
BOOL DestroyIcon(HICON icon);
inline HICON LoadIcon(HINSTANCE module, LPCSTR name) { return LoadIconA(module, name); }
inline HANDLE LoadImage(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    return LoadImageA(module, name, type, cx, cy, flags);
}

namespace platform::ui {

struct IconInfo {
    HINSTANCE module = nullptr;
    UINT id = 0;
    int width = 0;
    int height = 0;
};

// What an icon handle stands for; false for an unknown or destroyed handle.
bool GetIconInfo(HICON icon, IconInfo& info);

}  // namespace platform::ui
