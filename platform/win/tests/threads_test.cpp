#include "platform/win/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "platform/win/clock.h"
#include "platform/win/file_handles.h"
#include "platform/win/safe_points.h"

namespace {

struct Counter {
    std::atomic<int> passes{0};
    std::atomic<int> limit{1000000};
    std::atomic<bool> after{false};
    std::atomic<bool> caught{false};
    std::atomic<bool> unwound{false};
};

struct UnwindProbe {
    Counter* counter;
    ~UnwindProbe() { counter->unwound = true; }
};

// Passes a safe point, then counts, until the limit; a catch-all around it as worker code has.
DWORD CountingWorker(LPVOID parameter) {
    auto* counter = static_cast<Counter*>(parameter);
    try {
        UnwindProbe probe{counter};
        while (counter->passes < counter->limit) {
            platform::win::SafePoint();
            ++counter->passes;
        }
    } catch (...) {
        counter->caught = true;
    }
    counter->after = true;
    return 42;
}

void SpinUntil(const std::atomic<int>& value, int at_least) {
    for (int i = 0; i < 100000 && value < at_least; ++i) std::this_thread::yield();
}

}  // namespace

TEST(ThreadsTest, EventsAndWaitsFollowTheirResetRules) {
    HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(automatic, nullptr);
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT) << "the wait reset it";
    EXPECT_EQ(WaitForSingleObject(manual, 10), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0) << "a manual event stays set";

    HANDLE both[] = {automatic, manual};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(automatic));
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT) << "wait-all consumed the automatic event";
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    // Another thread's signal ends an endless wait.
    std::thread signaller([&] { SetEvent(automatic); });
    EXPECT_EQ(WaitForSingleObject(automatic, INFINITE), WAIT_OBJECT_0);
    signaller.join();

    EXPECT_EQ(WaitForMultipleObjects(0, both, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(CreateEventW(nullptr, FALSE, FALSE, u"Global\\x"), nullptr);
    EXPECT_TRUE(CloseHandle(automatic));
    EXPECT_TRUE(CloseHandle(manual));
    EXPECT_FALSE(CloseHandle(manual));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(ThreadsTest, ThreadsStartSuspendedEndWithTheirCodeAndKeepTheirIds) {
    Counter counter;
    counter.limit = 3;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, CountingWorker, &counter, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, GetCurrentThreadId());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.passes, 0) << "created suspended, nothing of it runs";
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);

    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(counter.passes, 3);
    EXPECT_TRUE(counter.unwound) << "a thread that returns ends normally";
    EXPECT_EQ(ResumeThread(thread), 0u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_EQ(SuspendThread(thread), 0xFFFFFFFFu);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // A thread terminated before it began ends without running a line.
    Counter never;
    HANDLE idle = CreateThread(nullptr, 0, CountingWorker, &never, CREATE_SUSPENDED, nullptr);
    EXPECT_TRUE(TerminateThread(idle, 5));
    EXPECT_EQ(WaitForSingleObject(idle, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(idle, &code));
    EXPECT_EQ(code, 5u);
    EXPECT_EQ(never.passes, 0);
    EXPECT_FALSE(never.after);
    CloseHandle(idle);
}

TEST(ThreadsTest, SuspendAndTerminateTakeEffectAtTheNextSafePoint) {
    Counter counter;
    HANDLE thread = CreateThread(nullptr, 0, CountingWorker, &counter, 0, nullptr);
    SpinUntil(counter.passes, 100);
    EXPECT_EQ(SuspendThread(thread), 0u);
    const int held = counter.passes;
    const unsigned points = platform::win::SafePointsPassed(thread);
    EXPECT_EQ(points, static_cast<unsigned>(held) + 1) << "parked at a safe point, before the count after it";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.passes, held) << "parked, it does not run";
    EXPECT_EQ(SuspendThread(thread), 1u);
    EXPECT_EQ(ResumeThread(thread), 2u);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(counter.passes, held) << "still suspended once";
    EXPECT_EQ(ResumeThread(thread), 1u);
    SpinUntil(counter.passes, held + 100);
    EXPECT_GT(counter.passes, held) << "resumed where it stopped";

    EXPECT_TRUE(TerminateThread(thread, 9));
    const int last = counter.passes;
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "terminate returns once the thread stopped";
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 9u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(counter.passes, last) << "a terminated thread runs nothing more";
    EXPECT_FALSE(counter.after);
    EXPECT_FALSE(counter.caught) << "no handler of the thread sees the termination";
    EXPECT_FALSE(counter.unwound) << "nor does a destructor of its frames";
    EXPECT_EQ(SuspendThread(thread), 0u) << "an ended thread is not waited for";
    CloseHandle(thread);
}

TEST(ThreadsTest, WaitsAndSleepsAreSafePointsAndTheSeamParksTheChosenWorker) {
    // A thread suspended while it waits parks in the wait and, resumed, goes on waiting.
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    static std::atomic<int> woke{0};
    woke = 0;
    HANDLE waiter = CreateThread(
        nullptr, 0,
        [](LPVOID e) -> DWORD {
            DWORD result = WaitForSingleObject(static_cast<HANDLE>(e), INFINITE);
            ++woke;
            return result;
        },
        event, 0, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(SuspendThread(waiter), 0u);
    SetEvent(event);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(woke, 0) << "signalled while parked, it stays parked";
    ResumeThread(waiter);
    EXPECT_EQ(WaitForSingleObject(waiter, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(woke, 1);
    DWORD code = 1;
    GetExitCodeThread(waiter, &code);
    EXPECT_EQ(code, WAIT_OBJECT_0);
    CloseHandle(waiter);
    CloseHandle(event);

    // A sleeping thread is terminated in its sleep.
    static std::atomic<bool> slept{false};
    HANDLE sleeper = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { Sleep(60000); slept = true; return 0; }, nullptr, 0, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(TerminateThread(sleeper, 3));
    EXPECT_FALSE(slept);
    CloseHandle(sleeper);

    // The seam: the second thread from now parks at its fifth safe point.
    platform::win::ParkWorkerAt(2, 5);
    Counter first;
    first.limit = 10;
    Counter second;
    second.limit = 10;
    HANDLE a = CreateThread(nullptr, 0, CountingWorker, &first, 0, nullptr);
    HANDLE b = CreateThread(nullptr, 0, CountingWorker, &second, 0, nullptr);
    HANDLE parked = platform::win::OpenParkedWorker(5000);
    ASSERT_NE(parked, nullptr);
    EXPECT_TRUE(platform::win::WaitUntilParked(b, 1000));
    EXPECT_EQ(second.passes, 4);
    EXPECT_EQ(platform::win::SafePointsPassed(parked), 5u);
    EXPECT_EQ(WaitForSingleObject(a, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(first.passes, 10) << "the first thread is not held";
    EXPECT_EQ(ResumeThread(parked), 1u);
    EXPECT_FALSE(platform::win::WaitUntilParked(b, 0)) << "resumed, it is held no more";
    EXPECT_EQ(WaitForSingleObject(b, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(second.passes, 10);
    EXPECT_FALSE(platform::win::WaitUntilParked(b, 10));
    for (HANDLE h : {a, b, parked}) CloseHandle(h);
}

TEST(ThreadsTest, TheVirtualClockMovesInsteadOfWaiting) {
    platform::win::UseVirtualClock(true);
    const std::uint64_t start = platform::win::NowMilliseconds();
    Sleep(400000);
    EXPECT_EQ(platform::win::NowMilliseconds() - start, 400000u);
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 5000), WAIT_TIMEOUT);
    EXPECT_EQ(platform::win::NowMilliseconds() - start, 405000u) << "a wait in vain ends at its deadline";
    std::thread signaller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, 5000), WAIT_OBJECT_0) << "a signal within the grace ends it";
    signaller.join();
    EXPECT_EQ(platform::win::NowMilliseconds() - start, 405000u);
    platform::win::UseVirtualClock(false);
    CloseHandle(event);
}

TEST(ThreadsDeathTest, ATerminatedThreadDoesNotHoldUpTheExit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            static Counter counter;
            HANDLE thread = CreateThread(nullptr, 0, CountingWorker, &counter, 0, nullptr);
            SpinUntil(counter.passes, 10);
            TerminateThread(thread, 1);
            std::exit(counter.after ? 2 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}
