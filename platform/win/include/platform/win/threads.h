// Threads, events and waits. Threads are real; suspending and terminating them are cooperative:
// the request takes effect at the target's next safe point (see safe_points.h), so a thread is
// never stopped half-way through a file, registry or window call.
//
// SuspendThread returns once the target is parked at a safe point (or has ended). A terminated
// thread runs no product code again: it is abandoned at the safe point (its stack is never
// unwound, so no handler of the product can catch the termination) and it never holds up the
// exit of the process. TerminateThread returns once the target has stopped.
#pragma once

#include <cstddef>

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID);

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, std::size_t stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId);
// The previous suspend count, or (DWORD)-1 with the last error set.
DWORD SuspendThread(HANDLE thread);
DWORD ResumeThread(HANDLE thread);
BOOL TerminateThread(HANDLE thread, DWORD exitCode);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// Priorities are kept and reported; the scheduler is not asked.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
DWORD GetCurrentThreadId();
// Closes a thread, event or file handle (closing a thread handle leaves the thread running).
BOOL CloseHandle(HANDLE handle);

// Events (names are not supported: a named event fails with ERROR_INVALID_PARAMETER).
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Waits on threads (signalled once ended) and events; an auto-reset event is reset by the wait it
// satisfies. On the virtual clock a timed wait gives the other threads up to a second of real
// time to signal, then moves the clock to its deadline and times out.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// Waits on the process clock (clock.h); on the virtual clock it moves the clock instead.
void Sleep(DWORD milliseconds);

namespace platform::win {

// Closes a thread or event handle; false (last error untouched) when the handle is neither.
bool CloseKernelHandle(HANDLE handle);

// Whether the calling thread has a suspend or terminate request waiting for its next safe point;
// blocking calls of other stand-ins wake up and come to a safe point when it turns true.
bool StopRequested();

// Called with the id of a thread that was asked to stop, so that a stand-in that blocks it in a
// wait of its own wakes it up. Runs with no lock of ours held.
void AddThreadWakeObserver(void (*observer)(DWORD threadId));
// Called on a terminated thread just before it is abandoned, to release what the stand-ins hold
// for it (its windows, senders waiting on it). Must not call back into product code.
void AddThreadEndObserver(void (*observer)());

// Test seams. ParkWorkerAt parks the worker'th thread created from now on (1 = the next one) at
// its n'th safe point, as if it had been suspended there; ResumeThread lets it go on.
void ParkWorkerAt(unsigned worker, unsigned safePoint);
// Waits (in real time, at most the given milliseconds) until that thread is parked; false when
// it did not park in time or ended.
bool WaitUntilParked(HANDLE thread, unsigned realMilliseconds);
// The thread handle of the worker'th thread created since the last ParkWorkerAt, duplicated for
// the caller (close it), or null.
HANDLE OpenParkedWorker(unsigned realMilliseconds);
// The number of safe points the thread has passed.
unsigned SafePointsPassed(HANDLE thread);

}  // namespace platform::win
