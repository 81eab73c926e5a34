#include "drawingutil/message_pump.h"

#include "platform/ui/afx_thread.h"
#include "platform/ui/window_api.h"

void PumpMessages()
{
    CWinThread* thread = AfxGetThread();
    MSG msg{};
    if (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(-1);
        } else if (thread == nullptr || !thread->PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    if (thread != nullptr) {
        thread->OnIdle(0);
        thread->OnIdle(1);
    }
}
