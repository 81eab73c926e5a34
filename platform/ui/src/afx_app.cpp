// The application object, its run and the wait cursor.
#include "platform/ui/afx_app.h"

#include <atomic>

namespace platform::ui::detail {
void SetCurrentThreadObject(CWinThread* thread);
}  // namespace platform::ui::detail

namespace {
std::atomic<CWinApp*> g_app{nullptr};
std::atomic<int> g_waitCursors{0};
}  // namespace

CWinApp::CWinApp(LPCSTR appName) {
    g_app = this;
    if (appName) {
        AfxSetAppName(appName);
    }
}

CWinApp::~CWinApp() {
    CWinApp* self = this;
    g_app.compare_exchange_strong(self, nullptr);
}

int CWinApp::Run() {
    m_nExitCode = CWinThread::Run();
    return m_nExitCode;
}

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app) {
        return -1;
    }
    platform::ui::detail::SetCurrentThreadObject(app);
    if (app->InitInstance()) {
        app->Run();
    }
    const int code = app->ExitInstance();
    platform::ui::detail::SetCurrentThreadObject(nullptr);
    return code;
}

void AfxDoWaitCursor(int code) {
    int shown;
    if (code > 0) {
        shown = ++g_waitCursors;
    } else if (code < 0) {
        int now = g_waitCursors.load();
        while (now > 0 && !g_waitCursors.compare_exchange_weak(now, now - 1)) {
        }
        shown = now > 0 ? now - 1 : 0;
    } else {
        shown = g_waitCursors;
    }
    ::SetCursor(::LoadCursor(nullptr, shown > 0 ? IDC_WAIT : IDC_ARROW));
}

namespace platform::ui {
bool WaitCursorShown() { return g_waitCursors > 0; }
}  // namespace platform::ui
