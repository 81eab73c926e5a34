// The messages a worker sends to the page that started it, and what they carry. Texts travel as
// blocks made by DuplicateWideString; the receiver frees each with delete[] after use.
#pragma once
#include <atomic>
#include <string_view>

#include "platform/win/win_types.h"

namespace Setup {

// Setup progress page.
constexpr UINT WM_SETUP_STATUS = 1690;     // lParam: text or null (empties the status line)
constexpr UINT WM_SETUP_POSITION = 1691;   // wParam: new position; lParam: text or null
constexpr UINT WM_SETUP_ERROR = 1692;      // lParam: text
constexpr UINT WM_SETUP_RANGE = 1693;      // wParam: upper bound; lParam: lower bound
constexpr UINT WM_SETUP_FINISHED = 1694;   // wParam: 0 done, 1 nothing done or undone; lParam: text
constexpr UINT WM_SETUP_REGISTERING = 1695;  // lParam: text
// Cabinet drivers, to either page.
constexpr UINT WM_CAB_INFO = 1051;   // an information line
constexpr UINT WM_CAB_ERROR = 1052;  // a fatal error
// Patch progress page.
constexpr UINT WM_PATCH_POSITION = 1025;
constexpr UINT WM_PATCH_RANGE = 1026;
constexpr UINT WM_PATCH_REGISTERING = 1027;
constexpr UINT WM_PATCH_FINISHED = 1028;

// A zero-filled block of length + 3 code units holding the text; two zero code units for a null
// or empty text.
WCHAR* DuplicateWideString(const WCHAR* text);
WCHAR* DuplicateWideString(std::u16string_view text);

// The window the running worker reports to (set by the page before it starts the worker) and the
// worker's position on the page's progress bar. Only the running worker writes them.
extern std::atomic<HWND> g_progressWindow;
extern std::atomic<int> g_progressPosition;

// Sends msg with a copy of text to window and waits until it is handled; when the window is gone
// the copy is freed here, so no text is lost track of.
LRESULT SendProgressText(HWND window, UINT msg, WPARAM wParam, std::u16string_view text);

}  // namespace Setup
