// Dialogs from templates, the dialog keyboard interface, the message pump and the headless modal
// loop.
#pragma once

#include <functional>

#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

#ifndef MAKEINTRESOURCEA
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE(i) MAKEINTRESOURCEA(i)
#endif

// Dialogs from the current resource module (or the given one); null / -1 when the template is
// not there.
HWND CreateDialogParamA(HINSTANCE module, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR templateName, HWND parent, DLGPROC proc, LPARAM param);

namespace platform::ui {

inline constexpr const char* kDialogClass = "#32770";

// Creates the dialog window and its controls, then sends WM_INITDIALOG. attach runs before the
// first message reaches the dialog window (the framework attaches its object there).
HWND CreateDialogFromTemplate(const DialogTemplate& dialog, HWND parent, DLGPROC proc, LPARAM param,
                              std::function<void(HWND)> attach = {});

// Runs a shown dialog modally without a person: the answer source's actions are applied, the
// pending messages handled, and a dialog still open after that is cancelled (IDCANCEL, then
// ended by force) and logged. The owner is disabled meanwhile. Returns the EndDialog result.
INT_PTR RunModalDialog(HWND dialog, UINT templateId);

bool IsDialogEnded(HWND dialog);
// The EndDialog result while the window exists; IDCANCEL otherwise.
INT_PTR DialogResult(HWND dialog);

// Handles every message waiting for this thread through the pre-translate filter, then
// TranslateMessage and DispatchMessage. A WM_QUIT found is posted again and stops the pump.
// Returns the number of messages handled.
int PumpPendingMessages();

// Handles one retrieved message as the pump would: filter, translate, dispatch.
void HandleMessage(MSG& msg);

// The application's pre-translate step (the framework installs its own); true consumes the
// message. The default offers the message to the dialog that contains its window.
void SetPreTranslateFilter(bool (*filter)(MSG*));
bool DefaultPreTranslate(MSG* msg);

}  // namespace platform::ui
