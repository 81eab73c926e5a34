// The per-thread framework object, its message pump and the worker threads it starts.
#include "platform/ui/afx_thread.h"

#include <memory>

#include "platform/ui/dialog_manager.h"

namespace {

thread_local CWinThread* t_thread = nullptr;

DWORD ThreadEntry(LPVOID parameter) {
    auto* thread = static_cast<CWinThread*>(parameter);
    t_thread = thread;
    int result;
    if (thread->m_pfnThreadProc) {
        result = static_cast<int>(thread->m_pfnThreadProc(thread->m_pThreadParams));
    } else {
        if (!thread->InitInstance()) {
            result = thread->ExitInstance();
        } else {
            result = thread->Run();
            thread->ExitInstance();
        }
    }
    t_thread = nullptr;
    if (thread->m_bAutoDelete) {
        delete thread;
    }
    return static_cast<DWORD>(result);
}

}  // namespace

CWinThread::~CWinThread() {
    if (m_hThread) {
        ::CloseHandle(m_hThread);
    }
}

BOOL CWinThread::CreateThread(DWORD flags, UINT stackSize, LPSECURITY_ATTRIBUTES attributes) {
    m_hThread = ::CreateThread(attributes, stackSize, ThreadEntry, this, flags | CREATE_SUSPENDED, &m_nThreadID);
    if (!m_hThread) {
        return FALSE;
    }
    if (!(flags & CREATE_SUSPENDED)) {
        ::ResumeThread(m_hThread);
    }
    return TRUE;
}

DWORD CWinThread::SuspendThread() { return ::SuspendThread(m_hThread); }
DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }
BOOL CWinThread::SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }
int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }

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
    if (t_thread) {
        return t_thread;
    }
    thread_local std::unique_ptr<CWinThread> thread = std::make_unique<CWinThread>();
    return thread.get();
}

BOOL AfxPumpMessage() { return AfxGetThread()->PumpMessage(); }

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize, DWORD flags,
                           LPSECURITY_ATTRIBUTES attributes) {
    if (!proc) {
        return nullptr;
    }
    auto* thread = new CWinThread(proc, param);
    if (!thread->CreateThread(flags | CREATE_SUSPENDED, stackSize, attributes)) {
        delete thread;
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(flags & CREATE_SUSPENDED)) {
        thread->ResumeThread();
    }
    return thread;
}

namespace platform::ui::detail {
// AfxWinMain runs the application as the thread object of the calling thread.
void SetCurrentThreadObject(CWinThread* thread) { t_thread = thread; }
}  // namespace platform::ui::detail
