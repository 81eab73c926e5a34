// Window procedures of the built-in classes.
#pragma once

#include "platform/ui/window_api.h"

namespace platform::ui {

LRESULT DialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace detail {

LRESULT ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT RichEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT TabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ListViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT TreeViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT UpDownProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT ToolTipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT PlainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Row height of list boxes, list views and trees, in pixels.
constexpr int kRowHeight = 16;
// Height of a list view's header and of a tab.
constexpr int kHeaderHeight = 20;

}  // namespace detail
}  // namespace platform::ui
