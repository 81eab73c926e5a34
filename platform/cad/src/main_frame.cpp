#include "platform/cad/main_frame.h"

#include <cstring>
#include <string>

#include "platform/cad/documents.h"
#include "platform/ui/afx_message_map.h"
#include "platform/ui/window_api.h"

namespace {

// The host's frame takes command strings sent to it as copy-data with the tag 1, as modules send
// them from their modeless windows, and runs them on the current drawing's command line.
class CHostFrame : public CFrameWnd {
protected:
    BOOL OnCopyData(CWnd*, COPYDATASTRUCT* data)
    {
        if (data == nullptr || data->dwData != 1 || data->lpData == nullptr || data->cbData == 0)
            return FALSE;
        const char* text = static_cast<const char*>(data->lpData);
        std::string command(text, strnlen(text, data->cbData));
        AcApDocument* doc = acDocManager->curDocument();
        return doc != nullptr && acDocManager->sendStringToExecute(doc, command.c_str()) == Acad::eOk;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHostFrame, CFrameWnd)
ON_WM_COPYDATA()
END_MESSAGE_MAP()

}  // namespace

CFrameWnd* acedGetAcadFrame()
{
    static CFrameWnd* frame = [] {
        auto* f = new CHostFrame;
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
