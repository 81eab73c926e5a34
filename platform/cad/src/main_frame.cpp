#include "platform/cad/main_frame.h"

#include "platform/ui/window_api.h"

CFrameWnd* acedGetAcadFrame()
{
    static CFrameWnd* frame = [] {
        auto* f = new CFrameWnd;
        f->CreateFrame("cadhost", RECT{0, 0, 1280, 800});
        f->EnableDocking(CBRS_ALIGN_ANY);
        return f;
    }();
    return frame;
}

HWND adsw_acadMainWnd() { return acedGetAcadFrame()->GetSafeHwnd(); }

namespace platform::cad {

std::string MainFrameCaption()
{
    HWND hwnd = adsw_acadMainWnd();
    int n = GetWindowTextLengthA(hwnd);
    std::string caption(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
    int got = GetWindowTextA(hwnd, caption.data(), static_cast<int>(caption.size()));
    caption.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return caption;
}

}  // namespace platform::cad
