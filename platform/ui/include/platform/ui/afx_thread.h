// The framework's thread object: the message pump with pre-translation and idle processing.
#pragma once

#include "platform/ui/afx_wnd.h"

class CWinThread {
public:
    virtual ~CWinThread() = default;
    // Offers a message to the window objects it is for (and their parents).
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Idle work between messages; the default has none.
    virtual BOOL OnIdle(LONG count);
    // Waits for one message and handles it; FALSE when it was WM_QUIT (which is then kept for
    // the caller's own loop).
    virtual BOOL PumpMessage();
    // Handles messages until WM_QUIT and returns its exit code.
    virtual int Run();

    CWnd* m_pMainWnd = nullptr;
};

// This thread's thread object (one per thread, made on first use).
CWinThread* AfxGetThread();
BOOL AfxPumpMessage();
