// The framework's application object and the wait cursor.
#pragma once

#include "platform/ui/afx_thread.h"

class CWinApp : public CWinThread {
public:
    // The one application of the process; its name captions the framework's message boxes.
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    BOOL InitInstance() override { return TRUE; }
    // The exit code of the process: the WM_QUIT code when Run ended with one.
    int ExitInstance() override { return m_nExitCode; }
    int Run() override;

    virtual void DoWaitCursor(int code) { AfxDoWaitCursor(code); }
    void BeginWaitCursor() { DoWaitCursor(1); }
    void EndWaitCursor() { DoWaitCursor(-1); }
    void RestoreWaitCursor() { DoWaitCursor(0); }

protected:
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();

// Runs the application on the calling thread as the framework does: InitInstance, then Run
// when it succeeded, then ExitInstance, whose result is returned.
int AfxWinMain();

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor() { AfxDoWaitCursor(1); }
    ~CWaitCursor() { AfxDoWaitCursor(-1); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore() { AfxDoWaitCursor(0); }
};

namespace platform::ui {
// Whether the wait cursor is shown, for tests.
bool WaitCursorShown();
}  // namespace platform::ui
