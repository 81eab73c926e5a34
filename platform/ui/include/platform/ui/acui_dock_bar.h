// The host's dock bars for plug-in windows. The host keeps a bar's place between sessions under
// its tool id, a class id the plug-in gives.
#pragma once

#include <cstdio>

#include "platform/ui/afx_dock_bar.h"
#include "platform/win/com.h"

class CAdUiDockControlBar : public CDockControlBar {
public:
    void SetToolID(CLSID* clsid)
    {
        if (clsid == nullptr)
            return;
        char text[39];
        std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                      static_cast<unsigned long>(clsid->Data1), clsid->Data2, clsid->Data3, clsid->Data4[0],
                      clsid->Data4[1], clsid->Data4[2], clsid->Data4[3], clsid->Data4[4], clsid->Data4[5],
                      clsid->Data4[6], clsid->Data4[7]);
        CDockControlBar::SetToolID(text);
    }
};

class CAcUiDockControlBar : public CAdUiDockControlBar {};
