// The host's main frame window: the parent of dock bars and dialogs, with the caption that
// modules may set.
#pragma once

#include <string>

#include "platform/ui/afx_dock_bar.h"

// Made on first use.
CFrameWnd* acedGetAcadFrame();
HWND adsw_acadMainWnd();

namespace platform::cad {
// The caption now (GBK).
std::string MainFrameCaption();
}  // namespace platform::cad
