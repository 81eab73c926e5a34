// The worker threads a wizard page starts. The page keeps their thread objects (they do not
// delete themselves when their threads return), so that closing the wizard can wait for a
// worker that is still on its last steps after it reported the end of its run: the process
// ends with the wizard, and a worker cut short would leave its last registry writes undone.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/afx_thread.h"

namespace Setup {

class WorkerThreads {
public:
    WorkerThreads() = default;
    // Releases the objects of the workers that have ended; one that has not (a worker abandoned
    // at a safe point) keeps its object, since its thread still refers to it.
    ~WorkerThreads();
    WorkerThreads(const WorkerThreads&) = delete;
    WorkerThreads& operator=(const WorkerThreads&) = delete;

    // Starts proc(param) at normal priority as the running worker; null when it cannot start.
    CWinThread* Start(AFX_THREADPROC proc, LPVOID param);
    // The running worker is suspended for good and is not waited for.
    void Abandon() { running_ = nullptr; }
    // Waits until the running worker has returned, still handling what it sends to the windows
    // of the calling thread meanwhile.
    void WaitForRunning();

private:
    std::vector<std::unique_ptr<CWinThread>> started_;
    CWinThread* running_ = nullptr;
};

}  // namespace Setup
