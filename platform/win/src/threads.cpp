// Threads, events, waits and the cooperative suspend and terminate.
#include "platform/win/threads.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "kernel_waits.h"
#include "platform/win/clock.h"
#include "platform/win/safe_points.h"

namespace platform::win::detail {
namespace {

using Steady = std::chrono::steady_clock;

struct Object {
    virtual ~Object() = default;
};

struct Event : Object {
    bool manualReset = false;
    bool signalled = false;
};

struct Thread : Object {
    DWORD id = 0;
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    int priority = THREAD_PRIORITY_NORMAL;
    DWORD suspendCount = 0;
    bool terminating = false;
    DWORD terminateCode = 0;
    bool finished = false;
    DWORD exitCode = STILL_ACTIVE;
    bool parked = false;
    unsigned safePoints = 0;
    unsigned parkAt = 0;  // test seam: park at this safe point
    std::atomic<bool> stop{false};

    void UpdateStop() { stop = suspendCount > 0 || terminating; }
};

// Never destroyed: abandoned threads are still parked on them while the process exits.
std::mutex& Mutex() {
    static auto* mutex = new std::mutex();
    return *mutex;
}
std::condition_variable& Changed() {
    static auto* changed = new std::condition_variable();
    return *changed;
}
std::map<std::uintptr_t, std::shared_ptr<Object>>& Handles() {
    static auto* handles = new std::map<std::uintptr_t, std::shared_ptr<Object>>();
    return *handles;
}
// Apart from the file and find handles' numbers.
std::uintptr_t g_nextHandle = 0x40000000;
std::atomic<DWORD> g_nextId{1};

thread_local DWORD t_id = 0;
thread_local Thread* t_self = nullptr;  // threads made by CreateThread

unsigned g_parkWorker = 0;
unsigned g_parkAt = 0;
std::shared_ptr<Thread> g_seamThread;

std::mutex& ObserverMutex() {
    static auto* mutex = new std::mutex();
    return *mutex;
}
std::vector<void (*)(DWORD)>& WakeObservers() {
    static auto* observers = new std::vector<void (*)(DWORD)>();
    return *observers;
}
std::vector<void (*)()>& EndObservers() {
    static auto* observers = new std::vector<void (*)()>();
    return *observers;
}

template <typename T>
std::vector<T> Copy(const std::vector<T>& list) {
    std::lock_guard lock(ObserverMutex());
    return list;
}

HANDLE AddHandle(std::shared_ptr<Object> object) {
    std::lock_guard lock(Mutex());
    const std::uintptr_t id = g_nextHandle;
    g_nextHandle += 4;
    Handles().emplace(id, std::move(object));
    return reinterpret_cast<HANDLE>(id);
}

template <typename T>
std::shared_ptr<T> Find(HANDLE handle) {
    std::lock_guard lock(Mutex());
    const auto it = Handles().find(reinterpret_cast<std::uintptr_t>(handle));
    return it == Handles().end() ? nullptr : std::dynamic_pointer_cast<T>(it->second);
}

// Tells a thread that was asked to stop to look at its requests: waits here see the condition,
// waits of other stand-ins hear from their observers.
void Wake(const Thread& thread) {
    { std::lock_guard lock(Mutex()); }
    Changed().notify_all();
    for (auto observer : Copy(WakeObservers())) observer(thread.id);
}

// The thread was terminated at a safe point: it ends here without returning into the code that
// called the safe point. Its stack is never unwound, so no destructor or handler of that code
// runs, and the parked thread does not hold up the exit of the process.
[[noreturn]] void Abandon(std::unique_lock<std::mutex>& lock, Thread& self) {
    self.finished = true;
    self.exitCode = self.terminateCode;
    self.parked = false;
    Changed().notify_all();
    lock.unlock();
    for (auto observer : Copy(EndObservers())) observer();
    for (;;) ::pause();
}

void ParkLocked(std::unique_lock<std::mutex>& lock, Thread& self, bool count) {
    if (count) {
        ++self.safePoints;
        if (self.parkAt != 0 && self.safePoints == self.parkAt) {
            self.parkAt = 0;
            ++self.suspendCount;
            self.UpdateStop();
        }
    }
    while (self.suspendCount > 0 && !self.terminating) {
        self.parked = true;
        Changed().notify_all();
        Changed().wait(lock);
    }
    self.parked = false;
    if (self.terminating) Abandon(lock, self);
}

void Run(std::shared_ptr<Thread> thread) {
    t_id = thread->id;
    {
        std::unique_lock lock(Mutex());
        // Created suspended: held before the first line of the thread's code.
        while (thread->suspendCount > 0 && !thread->terminating) {
            thread->parked = true;
            Changed().notify_all();
            Changed().wait(lock);
        }
        thread->parked = false;
        if (thread->terminating) {
            // Ended before it began: nothing of it ran, so the thread may simply end.
            thread->finished = true;
            thread->exitCode = thread->terminateCode;
            Changed().notify_all();
            return;
        }
    }
    t_self = thread.get();
    const DWORD code = thread->start(thread->parameter);
    t_self = nullptr;
    std::lock_guard lock(Mutex());
    thread->finished = true;
    thread->exitCode = code;
    Changed().notify_all();
}

DWORD FailWait(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return WAIT_FAILED;
}

bool Signalled(const Object& object) {
    if (auto* event = dynamic_cast<const Event*>(&object)) return event->signalled;
    if (auto* thread = dynamic_cast<const Thread*>(&object)) return thread->finished;
    return false;
}

void Consume(Object& object) {
    if (auto* event = dynamic_cast<Event*>(&object); event && !event->manualReset) event->signalled = false;
}

DWORD Wait(const HANDLE* handles, DWORD count, bool all, DWORD milliseconds) {
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) return FailWait(ERROR_INVALID_PARAMETER);
    std::vector<std::shared_ptr<Object>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto object = Find<Object>(handles[i]);
        if (!object) return FailWait(ERROR_INVALID_HANDLE);
        objects.push_back(std::move(object));
    }
    ThreadSafePoint();
    const bool timed = milliseconds != INFINITE;
    const bool onVirtual = UsingVirtualClock();
    const std::uint64_t virtualDeadline = NowMilliseconds() + milliseconds;
    // On the virtual clock the real wait is only a grace for the others to signal.
    const auto realDeadline =
        Steady::now() + std::chrono::milliseconds(onVirtual ? std::min<DWORD>(milliseconds, 1000) : milliseconds);
    std::unique_lock lock(Mutex());
    for (;;) {
        if (t_self && t_self->stop) {
            ParkLocked(lock, *t_self, false);
            continue;
        }
        if (all) {
            if (std::all_of(objects.begin(), objects.end(), [](auto& o) { return Signalled(*o); })) {
                for (auto& object : objects) Consume(*object);
                return WAIT_OBJECT_0;
            }
        } else {
            for (DWORD i = 0; i < count; ++i)
                if (Signalled(*objects[i])) {
                    Consume(*objects[i]);
                    return WAIT_OBJECT_0 + i;
                }
        }
        if (!timed) {
            Changed().wait(lock);
            continue;
        }
        if (onVirtual && NowMilliseconds() >= virtualDeadline) return WAIT_TIMEOUT;
        if (Steady::now() >= realDeadline) {
            if (onVirtual) {
                lock.unlock();
                const std::uint64_t now = NowMilliseconds();
                if (now < virtualDeadline) AdvanceClock(static_cast<std::uint32_t>(virtualDeadline - now));
            }
            return WAIT_TIMEOUT;
        }
        Changed().wait_until(lock, realDeadline);
    }
}

}  // namespace

void WakeKernelWaiters() {
    { std::lock_guard lock(Mutex()); }
    Changed().notify_all();
}

void ThreadSafePoint() {
    Thread* self = t_self;
    if (!self) return;
    std::unique_lock lock(Mutex());
    ParkLocked(lock, *self, true);
}

bool CloseObject(HANDLE handle) {
    std::shared_ptr<Object> object;  // released after the lock
    std::lock_guard lock(Mutex());
    const auto it = Handles().find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == Handles().end()) return false;
    object = std::move(it->second);
    Handles().erase(it);
    return true;
}

}  // namespace platform::win::detail

using namespace platform::win::detail;

namespace {
BOOL Fail(LONG error) {
    SetLastError(static_cast<DWORD>(error));
    return FALSE;
}
constexpr DWORD kFailedCount = 0xFFFFFFFF;
}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, std::size_t, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId) {
    if (!start) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto thread = std::make_shared<Thread>();
        thread->id = g_nextId++;
        thread->start = start;
        thread->parameter = parameter;
        thread->suspendCount = (flags & CREATE_SUSPENDED) ? 1 : 0;
        thread->UpdateStop();
        {
            std::lock_guard lock(Mutex());
            if (g_parkWorker > 0 && --g_parkWorker == 0) {
                thread->parkAt = g_parkAt;
                g_seamThread = thread;
            }
        }
        HANDLE handle = AddHandle(thread);
        try {
            std::thread(Run, thread).detach();
        } catch (...) {
            CloseObject(handle);
            throw;
        }
        if (threadId) *threadId = thread->id;
        return handle;
    } catch (...) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

DWORD SuspendThread(HANDLE handle) {
    auto thread = Find<Thread>(handle);
    if (!thread) {
        Fail(ERROR_INVALID_HANDLE);
        return kFailedCount;
    }
    std::unique_lock lock(Mutex());
    const DWORD previous = thread->suspendCount;
    if (thread->finished) return previous;
    ++thread->suspendCount;
    thread->UpdateStop();
    if (thread.get() == t_self) {
        ParkLocked(lock, *thread, false);
        return previous;
    }
    lock.unlock();
    Wake(*thread);
    lock.lock();
    Changed().wait(lock, [&] {
        return thread->parked || thread->finished || thread->suspendCount == 0 || thread->terminating;
    });
    return previous;
}

DWORD ResumeThread(HANDLE handle) {
    auto thread = Find<Thread>(handle);
    if (!thread) {
        Fail(ERROR_INVALID_HANDLE);
        return kFailedCount;
    }
    std::lock_guard lock(Mutex());
    const DWORD previous = thread->suspendCount;
    if (previous > 0) {
        --thread->suspendCount;
        thread->UpdateStop();
        // No longer held, even before it wakes: a wait for its next park must not see this one.
        if (thread->suspendCount == 0) thread->parked = false;
        Changed().notify_all();
    }
    return previous;
}

BOOL TerminateThread(HANDLE handle, DWORD exitCode) {
    auto thread = Find<Thread>(handle);
    if (!thread) return Fail(ERROR_INVALID_HANDLE);
    std::unique_lock lock(Mutex());
    if (thread->finished) return TRUE;
    if (!thread->terminating) {
        thread->terminating = true;
        thread->terminateCode = exitCode;
        thread->UpdateStop();
    }
    if (thread.get() == t_self) Abandon(lock, *thread);
    lock.unlock();
    Wake(*thread);
    lock.lock();
    Changed().wait(lock, [&] { return thread->finished; });
    return TRUE;
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
    auto thread = Find<Thread>(handle);
    if (!thread) return Fail(ERROR_INVALID_HANDLE);
    if (!exitCode) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(Mutex());
    *exitCode = thread->exitCode;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE handle, int priority) {
    auto thread = Find<Thread>(handle);
    if (!thread) return Fail(ERROR_INVALID_HANDLE);
    const bool known = (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
                       priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
    if (!known) return Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard lock(Mutex());
    thread->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE handle) {
    auto thread = Find<Thread>(handle);
    if (!thread) {
        Fail(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    std::lock_guard lock(Mutex());
    return thread->priority;
}

DWORD GetCurrentThreadId() {
    if (t_id == 0) t_id = g_nextId++;
    return t_id;
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    if (name && *name) {
        Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    try {
        auto event = std::make_shared<Event>();
        event->manualReset = manualReset != FALSE;
        event->signalled = initialState != FALSE;
        HANDLE handle = AddHandle(std::move(event));
        SetLastError(0);
        return handle;
    } catch (...) {
        Fail(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL SetEvent(HANDLE handle) {
    auto event = Find<Event>(handle);
    if (!event) return Fail(ERROR_INVALID_HANDLE);
    {
        std::lock_guard lock(Mutex());
        event->signalled = true;
    }
    Changed().notify_all();
    return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
    auto event = Find<Event>(handle);
    if (!event) return Fail(ERROR_INVALID_HANDLE);
    std::lock_guard lock(Mutex());
    event->signalled = false;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) { return Wait(&handle, 1, false, milliseconds); }

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    return Wait(handles, count, waitAll != FALSE, milliseconds);
}

void Sleep(DWORD milliseconds) {
    ThreadSafePoint();
    if (platform::win::UsingVirtualClock()) {
        platform::win::AdvanceClock(milliseconds);
        return;
    }
    const auto deadline = Steady::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock lock(Mutex());
    for (;;) {
        if (t_self && t_self->stop) {
            ParkLocked(lock, *t_self, false);
            continue;
        }
        if (Steady::now() >= deadline) return;
        Changed().wait_until(lock, deadline);
    }
}

namespace platform::win {

bool CloseKernelHandle(HANDLE handle) { return CloseObject(handle); }

bool StopRequested() { return t_self && t_self->stop; }

void AddThreadWakeObserver(void (*observer)(DWORD)) {
    std::lock_guard lock(ObserverMutex());
    WakeObservers().push_back(observer);
}

void AddThreadEndObserver(void (*observer)()) {
    std::lock_guard lock(ObserverMutex());
    EndObservers().push_back(observer);
}

void ParkWorkerAt(unsigned worker, unsigned safePoint) {
    std::lock_guard lock(Mutex());
    g_parkWorker = worker;
    g_parkAt = safePoint;
    g_seamThread = nullptr;
}

bool WaitUntilParked(HANDLE handle, unsigned realMilliseconds) {
    auto thread = Find<Thread>(handle);
    if (!thread) return false;
    std::unique_lock lock(Mutex());
    return Changed().wait_for(lock, std::chrono::milliseconds(realMilliseconds),
                              [&] { return thread->parked || thread->finished; }) &&
           thread->parked;
}

HANDLE OpenParkedWorker(unsigned realMilliseconds) {
    std::shared_ptr<Thread> thread;
    {
        std::unique_lock lock(Mutex());
        if (!Changed().wait_for(lock, std::chrono::milliseconds(realMilliseconds),
                                [&] { return g_seamThread && g_seamThread->parked; }))
            return nullptr;
        thread = g_seamThread;
    }
    return AddHandle(thread);
}

unsigned SafePointsPassed(HANDLE handle) {
    auto thread = Find<Thread>(handle);
    if (!thread) return 0;
    std::lock_guard lock(Mutex());
    return thread->safePoints;
}

}  // namespace platform::win
