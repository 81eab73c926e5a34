#include "setup/wizard/worker_threads.h"

#include "platform/ui/window_api.h"

namespace Setup {

WorkerThreads::~WorkerThreads() {
    for (auto& thread : started_) {
        if (WaitForSingleObject(thread->m_hThread, 0) != WAIT_OBJECT_0) (void)thread.release();
    }
}

CWinThread* WorkerThreads::Start(AFX_THREADPROC proc, LPVOID param) {
    CWinThread* thread = AfxBeginThread(proc, param, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!thread) return nullptr;
    thread->m_bAutoDelete = FALSE;
    started_.emplace_back(thread);
    running_ = thread;
    thread->ResumeThread();
    return thread;
}

void WorkerThreads::WaitForRunning() {
    if (!running_) return;
    MSG msg;
    while (WaitForSingleObject(running_->m_hThread, 50) == WAIT_TIMEOUT) PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    running_ = nullptr;
}

}  // namespace Setup
