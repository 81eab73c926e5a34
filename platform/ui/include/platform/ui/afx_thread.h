// The framework's thread object: the message pump with pre-translation and idle processing, and
// worker threads started with AfxBeginThread.
#pragma once

#include "platform/ui/afx_wnd.h"
#include "platform/win/threads.h"

using AFX_THREADPROC = UINT (*)(LPVOID);

class CWinThread {
public:
    CWinThread() = default;
    CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}
    // Closes the thread handle; the thread itself goes on.
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread: the thread procedure when there is one, else InitInstance and Run.
    BOOL CreateThread(DWORD flags = 0, UINT stackSize = 0, LPSECURITY_ATTRIBUTES attributes = nullptr);
    // Suspending takes effect at the thread's next safe point (platform/win/threads.h).
    DWORD SuspendThread();
    DWORD ResumeThread();
    BOOL SetThreadPriority(int priority);
    int GetThreadPriority();
    operator HANDLE() const { return m_hThread; }

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }
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
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    // The object deletes itself when its thread returns.
    BOOL m_bAutoDelete = TRUE;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;
};

// This thread's thread object: the one it was started with, else one made on first use.
CWinThread* AfxGetThread();
BOOL AfxPumpMessage();

// Starts proc(param) on a new thread and returns its thread object (which deletes itself when
// the thread returns), or null.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0, LPSECURITY_ATTRIBUTES attributes = nullptr);
