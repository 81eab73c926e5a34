// The per-thread framework object and its message pump.
#include "platform/ui/afx_thread.h"

#include <memory>

#include "platform/ui/dialog_manager.h"

BOOL CWinThread::PreTranslateMessage(MSG* msg) { return AfxPreTranslateMessage(msg); }

BOOL CWinThread::OnIdle(LONG) { return FALSE; }

BOOL CWinThread::PumpMessage() {
    MSG msg;
    if (!::GetMessageA(&msg, nullptr, 0, 0)) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return FALSE;
    }
    if (!PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return TRUE;
}

int CWinThread::Run() {
    MSG msg;
    for (;;) {
        if (!::GetMessageA(&msg, nullptr, 0, 0)) {
            return static_cast<int>(msg.wParam);
        }
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        for (LONG count = 0; !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(count); ++count) {
        }
    }
}

CWinThread* AfxGetThread() {
    thread_local std::unique_ptr<CWinThread> thread = std::make_unique<CWinThread>();
    return thread.get();
}

BOOL AfxPumpMessage() { return AfxGetThread()->PumpMessage(); }
