// Worker threads started by the framework, held and abandoned from the user-interface thread
// while they copy files and report by sent messages.
#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/ui/afx_app.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/files.h"
#include "platform/win/root.h"
#include "test_support.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

constexpr int kFiles = 1000;
constexpr int kLabel = 7;
constexpr UINT kStatus = WM_APP;      // wParam: 0 copying, 1 done
constexpr UINT kProgress = WM_APP + 1;  // wParam: files copied
const std::string kContent(3000, 'x');

std::u16string Numbered(const char16_t* folder, int i) {
    std::u16string path = u"C:\\";
    path += folder;
    path += u"\\f";
    for (int div = 1000; div > 0; div /= 10) path += static_cast<char16_t>(u'0' + (i / div) % 10);
    return path;
}

struct CopyJob {
    HWND progress = nullptr;
    std::atomic<int> copied{0};
    std::atomic<int> reported{0};
    std::atomic<bool> finished{false};
};

UINT CopyWorker(LPVOID parameter) {
    auto* job = static_cast<CopyJob*>(parameter);
    for (int i = 0; i < kFiles; ++i) {
        if (!CopyFileW(Numbered(u"src", i).c_str(), Numbered(u"dst", i).c_str(), FALSE)) return 1;
        job->copied = i + 1;
        if (i == 100) SendMessageA(job->progress, kStatus, 0, 0);
        if (i % 10 == 0) SendMessageA(job->progress, kProgress, static_cast<WPARAM>(i + 1), 0);
    }
    SendMessageA(job->progress, kStatus, 1, 0);
    job->finished = true;
    return 0;
}

CopyJob* g_job = nullptr;

LRESULT ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kStatus) {
        SetWindowTextA(GetDlgItem(hwnd, kLabel), wParam ? "done" : "copying");
        return 0;
    }
    if (msg == kProgress) {
        g_job->reported = static_cast<int>(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

class WorkerThreadsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        ASSERT_FALSE(folder.path().empty());
        platform::win::SetRoot(folder.path());
        std::filesystem::create_directories(folder.path() + "/c/dst");
        for (int i = 0; i < kFiles; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/c/src/f%04d", i);
            dero::testing::WriteFile(folder.path() + name, kContent);
        }
        static bool registered = [] {
            WNDCLASSA wc;
            wc.lpfnWndProc = &ProgressProc;
            wc.lpszClassName = "copy progress";
            return RegisterClassA(&wc) != FALSE;
        }();
        ASSERT_TRUE(registered);
        window = CreateWindowExA(0, "copy progress", "", WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        CreateWindowExA(0, "STATIC", "waiting", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, window,
                        reinterpret_cast<HMENU>(static_cast<std::intptr_t>(kLabel)), nullptr, nullptr);
        job.progress = window;
        g_job = &job;
    }
    void TearDown() override {
        DestroyWindow(window);
        platform::win::SetRoot("");
        UiTest::TearDown();
    }

    CWinThread* Start(AFX_THREADPROC proc, LPVOID parameter) {
        CWinThread* thread = AfxBeginThread(proc, parameter, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
        EXPECT_NE(thread, nullptr);
        thread->m_bAutoDelete = FALSE;
        thread->ResumeThread();
        return thread;
    }

    // Copied files on disk, each checked to be whole.
    int CompleteCopies() {
        int count = 0;
        for (auto& entry : std::filesystem::directory_iterator(folder.path() + "/c/dst")) {
            EXPECT_EQ(entry.file_size(), kContent.size()) << entry.path() << " was left half copied";
            ++count;
        }
        return count;
    }

    dero::testing::TempFolder folder{"dero-workers"};
    HWND window = nullptr;
    CopyJob job;
};

TEST_F(WorkerThreadsTest, ASuspendedCopyStopsBetweenTwoFilesAndResumesThere) {
    platform::ui::UiDriver driver(window);
    CWinThread* worker = Start(CopyWorker, &job);
    ASSERT_TRUE(driver.Run("until 7 copying"));
    EXPECT_EQ(worker->SuspendThread(), 0u);
    const int held = job.copied;
    EXPECT_GT(held, 100);
    EXPECT_LT(held, kFiles) << "the copy went too fast to be caught";
    EXPECT_EQ(CompleteCopies(), held) << "parked at the entry of a copy, never inside one";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    driver.Pump();  // a report it was sending when held is answered, and it stays held
    EXPECT_EQ(job.copied, held);
    EXPECT_EQ(CompleteCopies(), held);
    EXPECT_EQ(driver.Text(kLabel), "copying");

    EXPECT_EQ(worker->ResumeThread(), 1u);
    ASSERT_TRUE(driver.Run("until 7 done"));
    EXPECT_EQ(WaitForSingleObject(worker->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(job.copied, kFiles);
    EXPECT_EQ(CompleteCopies(), kFiles) << "resumed where it stopped: nothing skipped";
    delete worker;
}

TEST_F(WorkerThreadsTest, ATerminatedCopyRunsNothingMore) {
    platform::ui::UiDriver driver(window);
    CWinThread* worker = Start(CopyWorker, &job);
    ASSERT_TRUE(driver.Run("until 7 copying"));
    EXPECT_TRUE(TerminateThread(worker->m_hThread, 3));
    const int last = job.copied;
    EXPECT_EQ(CompleteCopies(), last);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    driver.Pump();
    EXPECT_EQ(job.copied, last);
    EXPECT_EQ(CompleteCopies(), last);
    EXPECT_FALSE(job.finished);
    EXPECT_FALSE(driver.WaitUntilText(kLabel, "done", 50));
    EXPECT_TRUE(Logged("until 7: after 50 ms it shows \"copying\""));
    delete worker;
}

struct SendJob {
    HWND target = nullptr;
    std::atomic<bool> sending{false};
    std::atomic<bool> returned{false};
};
std::atomic<bool> g_replied{false};

LRESULT ReplyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP + 5) {
        g_replied = true;
        return 55;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

UINT SendingWorker(LPVOID parameter) {
    auto* job = static_cast<SendJob*>(parameter);
    job->sending = true;
    const LRESULT answer = SendMessageA(job->target, WM_APP + 5, 0, 0);
    job->returned = true;
    return static_cast<UINT>(answer);
}

TEST_F(WorkerThreadsTest, AWorkerBlockedInASendToTheSuspenderParksAfterTheReply) {
    static bool registered = [] {
        WNDCLASSA wc;
        wc.lpfnWndProc = &ReplyProc;
        wc.lpszClassName = "replying";
        return RegisterClassA(&wc) != FALSE;
    }();
    ASSERT_TRUE(registered);
    SendJob send;
    send.target = CreateWindowExA(0, "replying", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    g_replied = false;
    CWinThread* worker = Start(SendingWorker, &send);
    while (!send.sending) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(worker->SuspendThread(), 0u) << "returns although this thread has not answered yet";
    EXPECT_FALSE(g_replied);
    platform::ui::UiDriver(send.target).Pump();
    EXPECT_TRUE(g_replied);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(send.returned) << "answered, it stays parked";
    worker->ResumeThread();
    EXPECT_EQ(WaitForSingleObject(worker->m_hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(send.returned);
    DWORD code = 0;
    GetExitCodeThread(worker->m_hThread, &code);
    EXPECT_EQ(code, 55u);
    delete worker;
    DestroyWindow(send.target);
}

class SampleApp : public CWinApp {
public:
    SampleApp() : CWinApp("sample") {}
    BOOL InitInstance() override {
        CWaitCursor wait;
        cursorDuringInit = platform::ui::WaitCursorShown();
        threadIsApp = AfxGetThread() == this;
        PostQuitMessage(4);
        return TRUE;
    }
    bool cursorDuringInit = false;
    bool threadIsApp = false;
};

TEST_F(WorkerThreadsTest, TheApplicationRunsItsStepsAndTheWaitCursorCounts) {
    {
        SampleApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(AfxWinMain(), 4) << "the quit code is the exit code";
        EXPECT_TRUE(app.cursorDuringInit);
        EXPECT_TRUE(app.threadIsApp);
        EXPECT_FALSE(platform::ui::WaitCursorShown());
        app.BeginWaitCursor();
        app.BeginWaitCursor();
        app.EndWaitCursor();
        EXPECT_TRUE(platform::ui::WaitCursorShown()) << "nested: shown until the last end";
        app.EndWaitCursor();
        app.EndWaitCursor();
        EXPECT_FALSE(platform::ui::WaitCursorShown());
    }
    EXPECT_EQ(AfxGetApp(), nullptr);

    // A started thread finds its own object, which deletes itself when it returns.
    static std::atomic<CWinThread*> seen{nullptr};
    seen = nullptr;
    CWinThread* thread = AfxBeginThread([](LPVOID) -> UINT {
        seen = AfxGetThread();
        return 0;
    }, nullptr, THREAD_PRIORITY_TIME_CRITICAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(thread->GetThreadPriority(), THREAD_PRIORITY_TIME_CRITICAL);
    EXPECT_NE(thread->m_nThreadID, GetCurrentThreadId());
    HANDLE handle = thread->m_hThread;
    EXPECT_EQ(WaitForSingleObject(handle, 20), WAIT_TIMEOUT) << "created suspended";
    CWinThread* expected = thread;
    thread->ResumeThread();
    while (!seen) std::this_thread::yield();
    EXPECT_EQ(seen, expected);

    std::string error;
    platform::ui::UiDriver driver(window);
    EXPECT_FALSE(driver.Run("until 7", &error));
    EXPECT_EQ(error, "usage: until ID TEXT");
    EXPECT_FALSE(driver.WaitUntilText(99, "x", 20));
    EXPECT_TRUE(Logged("until 99: no such control"));
}

}  // namespace
