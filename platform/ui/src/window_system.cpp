// Window table, per-thread queues, sent and posted messages, timers and the message retrieval.
#include "window_system.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <map>
#include <unordered_map>

#include "platform/text/encoding.h"
#include "platform/text/gbk.h"
#include "platform/ui/window_system.h"
#include "platform/win/clock.h"
#include "platform/win/safe_points.h"
#include "platform/win/threads.h"

namespace platform::ui::detail {
namespace {

struct ThreadState;

struct SentCall {
    HWND hwnd = nullptr;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool wide = false;
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<ThreadState> sender;
};

struct PostedMessage {
    MSG msg;
    bool wide = false;
};

struct Timer {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    std::uint64_t interval = 0;
    std::uint64_t due = 0;
    TIMERPROC proc = nullptr;
};

struct ThreadState {
    DWORD id = 0;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::shared_ptr<SentCall>> sent;
    std::deque<PostedMessage> posted;
    std::vector<Timer> timers;
    bool quit = false;
    int quitCode = 0;
    bool dead = false;
    HWND focus = nullptr;
    HWND capture = nullptr;
    HWND active = nullptr;
};

std::mutex g_threadsMutex;
std::map<DWORD, std::shared_ptr<ThreadState>>& Threads() {
    static auto* threads = new std::map<DWORD, std::shared_ptr<ThreadState>>();
    return *threads;
}
std::atomic<std::uintptr_t> g_nextHandle{0x1000};
std::atomic<void (*)()> g_safePointHook{nullptr};
std::atomic<void (*)(HWND)> g_destroyObserver{nullptr};
std::atomic<bool> g_keys[256];

thread_local bool t_wideCall = false;
thread_local int t_inSend = 0;
thread_local std::function<void(HWND)> t_createHook;

std::unordered_map<HWND, std::shared_ptr<Window>>& Table() {
    static auto* table = new std::unordered_map<HWND, std::shared_ptr<Window>>();
    return *table;
}

struct WindowClass {
    std::string name;
    WNDPROC proc = nullptr;
    UINT style = 0;
};
std::vector<WindowClass>& Classes() {
    static auto* classes = new std::vector<WindowClass>();
    return *classes;
}

void RemoveThreadWindows(DWORD threadId);

// Made on a thread's first window call; marks the thread dead when it ends so that senders
// waiting on it are released.
struct ThreadHolder {
    std::shared_ptr<ThreadState> state;
    ThreadHolder() {
        state = std::make_shared<ThreadState>();
        state->id = ::GetCurrentThreadId();
        std::lock_guard lock(g_threadsMutex);
        Threads()[state->id] = state;
    }
    ~ThreadHolder() { Release(); }
    // The thread is gone (ended, or terminated and abandoned): its windows go without messages and
    // its senders are released, as when a thread dies on Windows.
    void Release() {
        std::deque<std::shared_ptr<SentCall>> pending;
        {
            std::lock_guard lock(state->mutex);
            state->dead = true;
            pending.swap(state->sent);
        }
        for (auto& call : pending) {
            std::lock_guard lock(call->sender->mutex);
            call->done = true;
            call->sender->wake.notify_all();
        }
        RemoveThreadWindows(state->id);
        std::lock_guard lock(g_threadsMutex);
        Threads().erase(state->id);
    }
};

ThreadHolder& Holder() {
    thread_local ThreadHolder holder;
    return holder;
}
ThreadState& Current() { return *Holder().state; }
std::shared_ptr<ThreadState> CurrentShared() {
    Current();
    std::lock_guard lock(g_threadsMutex);
    return Threads()[Current().id];
}

std::shared_ptr<ThreadState> StateOf(DWORD threadId) {
    std::lock_guard lock(g_threadsMutex);
    auto it = Threads().find(threadId);
    return it == Threads().end() ? nullptr : it->second;
}

void RemoveThreadWindows(DWORD threadId) {
    std::lock_guard lock(TableMutex());
    for (auto it = Table().begin(); it != Table().end();) {
        if (it->second->threadId == threadId) {
            it = Table().erase(it);
        } else {
            ++it;
        }
    }
}

void WakeAll() {
    std::lock_guard lock(g_threadsMutex);
    for (auto& [id, state] : Threads()) {
        std::lock_guard stateLock(state->mutex);
        state->wake.notify_all();
    }
}

void HandleSentCall(SentCall& call) {
    ++t_inSend;
    auto w = Find(call.hwnd);
    WNDPROC proc = nullptr;
    if (w) {
        std::lock_guard lock(TableMutex());
        proc = w->proc;
    }
    LRESULT result = proc ? CallProc(proc, call.hwnd, call.msg, call.wParam, call.lParam, call.wide) : 0;
    --t_inSend;
    std::lock_guard lock(call.sender->mutex);
    call.result = result;
    call.done = true;
    call.sender->wake.notify_all();
}

// Handles every message other threads have sent to this one; true when there was one.
bool ProcessSent(ThreadState& state) {
    bool any = false;
    for (;;) {
        std::shared_ptr<SentCall> call;
        {
            std::lock_guard lock(state.mutex);
            if (state.sent.empty()) {
                return any;
            }
            call = state.sent.front();
            state.sent.pop_front();
        }
        any = true;
        HandleSentCall(*call);
    }
}

bool Matches(const MSG& msg, HWND filter, UINT low, UINT high) {
    if (low != 0 || high != 0) {
        if (msg.message < low || msg.message > high) {
            return false;
        }
    }
    if (filter == reinterpret_cast<HWND>(-1)) {
        return msg.hwnd == nullptr;
    }
    if (filter != nullptr) {
        return msg.hwnd == filter || IsChild(filter, msg.hwnd);
    }
    return true;
}

// A visible window of the thread that waits to be painted.
HWND FindInvalidWindow(DWORD threadId) {
    std::lock_guard lock(TableMutex());
    for (auto& [h, w] : Table()) {
        if (w->threadId == threadId && w->needsPaint && (w->style & WS_VISIBLE)) {
            return h;
        }
    }
    return nullptr;
}

void ValidateWindow(HWND hwnd) {
    std::lock_guard lock(TableMutex());
    auto it = Table().find(hwnd);
    if (it != Table().end()) {
        it->second->needsPaint = false;
    }
}

// Takes the next message for the filter: posted messages first, then the quit request, then due
// timers. Sent messages are handled before looking.
bool TakeMessage(ThreadState& state, MSG& out, bool& wide, HWND filter, UINT low, UINT high, bool remove) {
    ProcessSent(state);
    std::lock_guard lock(state.mutex);
    for (auto it = state.posted.begin(); it != state.posted.end(); ++it) {
        if (Matches(it->msg, filter, low, high)) {
            out = it->msg;
            wide = it->wide;
            if (remove) {
                state.posted.erase(it);
            }
            return true;
        }
    }
    if (state.quit && (filter == nullptr || filter == reinterpret_cast<HWND>(-1))) {
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(state.quitCode);
        wide = false;
        if (remove) {
            state.quit = false;
        }
        return true;
    }
    // Invalid windows are painted when nothing else is waiting, before timers.
    if (HWND invalid = FindInvalidWindow(state.id); invalid) {
        MSG msg;
        msg.hwnd = invalid;
        msg.message = WM_PAINT;
        if (Matches(msg, filter, low, high)) {
            out = msg;
            wide = false;
            if (remove) {
                ValidateWindow(invalid);
            }
            return true;
        }
    }
    std::uint64_t now = platform::ui::NowMilliseconds();
    for (auto& timer : state.timers) {
        MSG msg;
        msg.hwnd = timer.hwnd;
        msg.message = WM_TIMER;
        msg.wParam = timer.id;
        msg.lParam = reinterpret_cast<LPARAM>(timer.proc);
        if (timer.due <= now && Matches(msg, filter, low, high)) {
            out = msg;
            out.time = static_cast<DWORD>(now);
            wide = false;
            if (remove) {
                timer.due = now + timer.interval;
            }
            return true;
        }
    }
    return false;
}

void WaitForInput(ThreadState& state) {
    std::unique_lock lock(state.mutex);
    if (!state.sent.empty() || !state.posted.empty() || state.quit) {
        return;
    }
    std::uint64_t next = UINT64_MAX;
    for (auto& timer : state.timers) {
        next = std::min(next, timer.due);
    }
    // A suspend or terminate request wakes the wait so the thread comes to its safe point.
    auto stop = [] { return platform::win::StopRequested(); };
    if (stop()) {
        return;
    }
    if (next == UINT64_MAX || platform::win::UsingVirtualClock()) {
        state.wake.wait(lock);
        return;
    }
    std::uint64_t now = platform::ui::NowMilliseconds();
    if (next > now) {
        state.wake.wait_for(lock, std::chrono::milliseconds(next - now));
    }
}

}  // namespace

std::recursive_mutex& TableMutex() {
    static auto* mutex = new std::recursive_mutex();
    return *mutex;
}

std::shared_ptr<Window> Find(HWND hwnd) {
    if (hwnd == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(TableMutex());
    auto it = Table().find(hwnd);
    return it == Table().end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<Window>> AllWindows() {
    std::lock_guard lock(TableMutex());
    std::vector<std::shared_ptr<Window>> all;
    for (auto& [h, w] : Table()) {
        all.push_back(w);
    }
    std::sort(all.begin(), all.end(), [](auto& a, auto& b) { return a->handle < b->handle; });
    return all;
}

std::string NarrowText(const Window& w) {
    return w.unicode ? platform::text::Utf16ToGbk(w.wtext) : w.text;
}
std::u16string WideText(const Window& w) {
    return w.unicode ? w.wtext : platform::text::GbkToUtf16(w.text);
}
void SetText(Window& w, std::string_view narrow) {
    if (w.unicode) {
        w.wtext = platform::text::GbkToUtf16(narrow);
    } else {
        w.text = std::string(narrow);
    }
}
void SetTextWide(Window& w, std::u16string_view wide) {
    if (w.unicode) {
        w.wtext = std::u16string(wide);
    } else {
        w.text = platform::text::Utf16ToGbk(wide);
    }
}

bool IsWideCall() { return t_wideCall; }

LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
    bool saved = t_wideCall;
    t_wideCall = wide;
    LRESULT result = proc(hwnd, msg, wParam, lParam);
    t_wideCall = saved;
    return result;
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
    auto w = Find(hwnd);
    if (!w) {
        return 0;
    }
    DWORD owner;
    WNDPROC proc;
    {
        std::lock_guard lock(TableMutex());
        owner = w->threadId;
        proc = w->proc;
    }
    ThreadState& self = Current();
    if (owner == self.id) {
        return CallProc(proc, hwnd, msg, wParam, lParam, wide);
    }
    SafePoint();
    auto target = StateOf(owner);
    if (!target) {
        return 0;
    }
    auto call = std::make_shared<SentCall>();
    call->hwnd = hwnd;
    call->msg = msg;
    call->wParam = wParam;
    call->lParam = lParam;
    call->wide = wide;
    call->sender = CurrentShared();
    {
        std::lock_guard lock(target->mutex);
        if (target->dead) {
            return 0;
        }
        target->sent.push_back(call);
        target->wake.notify_all();
    }
    for (;;) {
        // Blocked in a send the thread may be parked or abandoned; it answers no other sender
        // while it is held.
        if (platform::win::StopRequested()) {
            platform::win::SafePoint();
        }
        ProcessSent(self);
        std::unique_lock lock(self.mutex);
        if (!call->done && self.sent.empty()) {
            self.wake.wait(lock, [&] { return call->done || !self.sent.empty() || platform::win::StopRequested(); });
        }
        if (call->done) {
            lock.unlock();
            // A thread suspended while it waited parks as the send returns.
            if (platform::win::StopRequested()) {
                platform::win::SafePoint();
            }
            return call->result;
        }
    }
}

BOOL Post(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
    std::shared_ptr<ThreadState> target;
    if (hwnd == nullptr) {
        target = CurrentShared();
    } else {
        auto w = Find(hwnd);
        if (!w) {
            return FALSE;
        }
        DWORD owner;
        {
            std::lock_guard lock(TableMutex());
            owner = w->threadId;
        }
        target = StateOf(owner);
    }
    if (!target) {
        return FALSE;
    }
    PostedMessage posted;
    posted.msg.hwnd = hwnd;
    posted.msg.message = msg;
    posted.msg.wParam = wParam;
    posted.msg.lParam = lParam;
    posted.msg.time = static_cast<DWORD>(platform::ui::NowMilliseconds());
    posted.wide = wide;
    std::lock_guard lock(target->mutex);
    if (target->dead) {
        return FALSE;
    }
    target->posted.push_back(posted);
    target->wake.notify_all();
    return TRUE;
}

POINT ScreenOrigin(HWND hwnd) {
    POINT origin;
    std::lock_guard lock(TableMutex());
    for (auto w = Find(hwnd); w; w = Find(w->parent)) {
        origin.x += w->rect.left;
        origin.y += w->rect.top;
    }
    return origin;
}

void NotifyParentCommand(HWND control, UINT code) {
    HWND parent = GetParent(control);
    if (parent) {
        int id = GetDlgCtrlID(control);
        Send(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control), false);
    }
}

LRESULT NotifyParent(HWND control, NMHDR& header, UINT code) {
    header.hwndFrom = control;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
    header.code = code;
    HWND parent = GetParent(control);
    if (!parent) {
        return 0;
    }
    return Send(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header), false);
}

void RegisterClassProc(const char* name, WNDPROC proc, UINT style) {
    std::lock_guard lock(TableMutex());
    for (auto& c : Classes()) {
        if (platform::text::GbkEqualNoCase(c.name, name)) {
            c.proc = proc;
            c.style = style;
            return;
        }
    }
    Classes().push_back(WindowClass{name, proc, style});
}

namespace {

void WakeThread(DWORD threadId) {
    if (auto state = StateOf(threadId)) {
        std::lock_guard lock(state->mutex);
        state->wake.notify_all();
    }
}

void ReleaseAbandonedThread() { Holder().Release(); }

// The thread stand-in wakes waits here when it asks a thread to stop or moves the clock.
[[maybe_unused]] const bool g_observing = [] {
    platform::win::AddThreadWakeObserver(WakeThread);
    platform::win::AddThreadEndObserver(ReleaseAbandonedThread);
    platform::win::AddClockObserver(WakeAll);
    return true;
}();

}  // namespace

void SetCreateHook(std::function<void(HWND)> hook) { t_createHook = std::move(hook); }

void SafePoint() {
    if (auto hook = g_safePointHook.load()) {
        hook();
    }
    platform::win::SafePoint();
}

namespace {

const WindowClass* FindClass(std::string_view name) {
    RegisterBuiltinClasses();
    std::lock_guard lock(TableMutex());
    for (auto& c : Classes()) {
        if (platform::text::GbkEqualNoCase(c.name, name)) {
            return &c;
        }
    }
    return nullptr;
}

std::map<std::string, int>& Failures() {
    static auto* failures = new std::map<std::string, int>();
    return *failures;
}

// True when an injected failure takes this creation.
bool TakeInjectedFailure(const std::string& className) {
    std::lock_guard lock(TableMutex());
    for (const std::string& key : {platform::text::GbkToLower(className), std::string("*")}) {
        auto it = Failures().find(key);
        if (it != Failures().end() && it->second > 0) {
            --it->second;
            return true;
        }
    }
    return false;
}

HWND Create(DWORD exStyle, std::string_view className, const std::string* narrowName, const std::u16string* wideName,
            bool unicode, DWORD style, int x, int y, int cx, int cy, HWND parent, HMENU menuOrId, HINSTANCE instance,
            LPVOID param) {
    const WindowClass* cls = FindClass(className);
    if (!cls || TakeInjectedFailure(cls->name)) {
        return nullptr;
    }
    if ((style & WS_CHILD) && !Find(parent)) {
        return nullptr;
    }
    auto w = std::make_shared<Window>();
    w->handle = reinterpret_cast<HWND>(g_nextHandle.fetch_add(4));
    w->className = cls->name;
    w->proc = cls->proc;
    w->unicode = unicode;
    w->style = style;
    w->exStyle = exStyle;
    w->rect = RECT{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
    w->threadId = Current().id;
    w->instance = instance;
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = static_cast<int>(reinterpret_cast<std::intptr_t>(menuOrId));
    } else {
        w->owner = parent;
        w->menu = menuOrId;
    }
    if (narrowName) {
        SetText(*w, *narrowName);
    } else if (wideName) {
        SetTextWide(*w, *wideName);
    }
    HWND hwnd = w->handle;
    {
        std::lock_guard lock(TableMutex());
        Table()[hwnd] = w;
        if (auto p = Find(w->parent)) {
            p->children.push_back(hwnd);
        }
    }
    if (t_createHook) {
        auto hook = std::move(t_createHook);
        t_createHook = nullptr;
        hook(hwnd);
    }
    std::string nameCopy = NarrowText(*w);
    std::string classCopy = w->className;
    CREATESTRUCTA cs;
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menuOrId;
    cs.hwndParent = parent;
    cs.cx = cx;
    cs.cy = cy;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = nameCopy.c_str();
    cs.lpszClass = classCopy.c_str();
    cs.dwExStyle = exStyle;
    if (!Send(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs), false) ||
        Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs), false) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd)) {
        return nullptr;
    }
    RECT client;
    GetClientRect(hwnd, &client);
    Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom), false);
    return hwnd;
}

void DestroyTree(HWND hwnd) {
    auto w = Find(hwnd);
    if (!w) {
        return;
    }
    {
        std::lock_guard lock(TableMutex());
        if (w->destroying) {
            return;
        }
        w->destroying = true;
    }
    // Owned top-level windows go first, as they would on the desktop.
    for (auto& other : AllWindows()) {
        bool owned;
        {
            std::lock_guard lock(TableMutex());
            owned = other->owner == hwnd && !other->destroying;
        }
        if (owned) {
            DestroyTree(other->handle);
        }
    }
    ThreadState& state = Current();
    if (state.capture == hwnd) {
        state.capture = nullptr;
    }
    Send(hwnd, WM_DESTROY, 0, 0, false);
    std::vector<HWND> children;
    {
        std::lock_guard lock(TableMutex());
        children = w->children;
    }
    for (HWND child : children) {
        DestroyTree(child);
    }
    if (state.focus == hwnd) {
        state.focus = nullptr;
    }
    if (state.active == hwnd) {
        state.active = nullptr;
    }
    Send(hwnd, WM_NCDESTROY, 0, 0, false);
    {
        std::lock_guard lock(TableMutex());
        if (auto p = Find(w->parent)) {
            std::erase(p->children, hwnd);
        }
        Table().erase(hwnd);
    }
    {
        std::lock_guard lock(state.mutex);
        std::erase_if(state.timers, [&](const Timer& t) { return t.hwnd == hwnd; });
    }
    if (auto observer = g_destroyObserver.load()) {
        observer(hwnd);
    }
}

}  // namespace
}  // namespace platform::ui::detail

using namespace platform::ui::detail;

namespace platform::ui {

void SetSafePointHook(void (*hook)()) { g_safePointHook = hook; }
// One clock with Sleep and the timed waits; its observer wakes the timer waits here.
void UseVirtualClock(bool on) { platform::win::UseVirtualClock(on); }
bool UsingVirtualClock() { return platform::win::UsingVirtualClock(); }
void AdvanceClock(std::uint32_t milliseconds) { platform::win::AdvanceClock(milliseconds); }
std::uint64_t NowMilliseconds() { return platform::win::NowMilliseconds(); }
void SetKeyDown(UINT virtualKey, bool down) { g_keys[virtualKey & 0xFF] = down; }
void SetWindowDestroyObserver(void (*observer)(HWND)) { g_destroyObserver = observer; }
void FailWindowCreation(const std::string& className, int count) {
    std::lock_guard lock(TableMutex());
    Failures()[className == "*" ? className : platform::text::GbkToLower(className)] = std::max(count, 0);
}

int LiveWindowCount() {
    std::lock_guard lock(TableMutex());
    return static_cast<int>(Table().size());
}

}  // namespace platform::ui

BOOL RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
        return FALSE;
    }
    RegisterBuiltinClasses();
    RegisterClassProc(wc->lpszClassName, wc->lpfnWndProc, wc->style);
    return TRUE;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* wc) {
    if (!className) {
        return FALSE;
    }
    const WindowClass* cls = FindClass(className);
    if (!cls) {
        return FALSE;
    }
    if (wc) {
        wc->style = cls->style;
        wc->lpfnWndProc = cls->proc;
        wc->lpszClassName = cls->name.c_str();
    }
    return TRUE;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    auto w = Find(hwnd);
    if (!w || !buffer || size <= 0) {
        return 0;
    }
    std::lock_guard lock(TableMutex());
    std::size_t n = std::min(w->className.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, w->className.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int cx, int cy,
                     HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
    if (!className) {
        return nullptr;
    }
    std::string name = windowName ? windowName : "";
    return Create(exStyle, className, &name, nullptr, false, style, x, y, cx, cy, parent, menuOrId, instance, param);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int cx, int cy,
                     HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param) {
    if (!className) {
        return nullptr;
    }
    std::u16string name = windowName ? windowName : u"";
    return Create(exStyle, platform::text::Utf16ToGbk(className), nullptr, &name, true, style, x, y, cx, cy, parent,
                  menuOrId, instance, param);
}

BOOL DestroyWindow(HWND hwnd) {
    auto w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    {
        std::lock_guard lock(TableMutex());
        if (w->threadId != Current().id) {
            return FALSE;  // only the owning thread may destroy a window
        }
    }
    DestroyTree(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return Find(hwnd) != nullptr; }

BOOL IsWindowUnicode(HWND hwnd) {
    auto w = Find(hwnd);
    return w && w->unicode;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) return Broadcast(msg, wParam, lParam, false, false);
    return Send(hwnd, msg, wParam, lParam, false);
}
LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) return Broadcast(msg, wParam, lParam, true, false);
    return Send(hwnd, msg, wParam, lParam, true);
}
BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) return static_cast<BOOL>(Broadcast(msg, wParam, lParam, false, true));
    return Post(hwnd, msg, wParam, lParam, false);
}
BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) return static_cast<BOOL>(Broadcast(msg, wParam, lParam, true, true));
    return Post(hwnd, msg, wParam, lParam, true);
}

BOOL PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto target = StateOf(threadId);
    if (!target) {
        return FALSE;
    }
    PostedMessage posted;
    posted.msg.message = msg;
    posted.msg.wParam = wParam;
    posted.msg.lParam = lParam;
    std::lock_guard lock(target->mutex);
    target->posted.push_back(posted);
    target->wake.notify_all();
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    ThreadState& state = Current();
    std::lock_guard lock(state.mutex);
    state.quit = true;
    state.quitCode = exitCode;
}

namespace {
thread_local bool t_lastWide = false;

BOOL GetMessageImpl(LPMSG msg, HWND hwnd, UINT low, UINT high) {
    if (!msg) {
        return -1;
    }
    ThreadState& state = Current();
    for (;;) {
        bool wide = false;
        if (TakeMessage(state, *msg, wide, hwnd, low, high, true)) {
            t_lastWide = wide;
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        WaitForInput(state);
        // Waiting for input is a wait: a suspended or terminated thread stops here.
        if (platform::win::StopRequested()) {
            platform::win::SafePoint();
        }
    }
}

BOOL PeekMessageImpl(LPMSG msg, HWND hwnd, UINT low, UINT high, UINT remove) {
    if (!msg) {
        return FALSE;
    }
    bool wide = false;
    if (TakeMessage(Current(), *msg, wide, hwnd, low, high, (remove & PM_REMOVE) != 0)) {
        t_lastWide = wide;
        return TRUE;
    }
    return FALSE;
}

LRESULT DispatchImpl(const MSG* msg, bool wide) {
    if (!msg) {
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam != 0) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(platform::ui::NowMilliseconds()));
        return 0;
    }
    auto w = Find(msg->hwnd);
    if (!w) {
        return 0;
    }
    WNDPROC proc;
    {
        std::lock_guard lock(TableMutex());
        proc = w->proc;
    }
    return CallProc(proc, msg->hwnd, msg->message, msg->wParam, msg->lParam, wide);
}
}  // namespace

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT low, UINT high) { return GetMessageImpl(msg, hwnd, low, high); }
BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT low, UINT high) { return GetMessageImpl(msg, hwnd, low, high); }
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT low, UINT high, UINT remove) {
    return PeekMessageImpl(msg, hwnd, low, high, remove);
}
BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT low, UINT high, UINT remove) {
    return PeekMessageImpl(msg, hwnd, low, high, remove);
}
LRESULT DispatchMessageA(const MSG* msg) { return DispatchImpl(msg, t_lastWide); }
LRESULT DispatchMessageW(const MSG* msg) { return DispatchImpl(msg, t_lastWide); }

BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) {
        return FALSE;
    }
    UINT vk = static_cast<UINT>(msg->wParam);
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    WPARAM ch = 0;
    if (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK || vk == VK_TAB || vk == VK_SPACE) {
        ch = vk;
    } else if (vk >= 'A' && vk <= 'Z') {
        ch = ctrl ? vk - 'A' + 1 : (shift ? vk : vk + ('a' - 'A'));
    } else if (vk >= '0' && vk <= '9') {
        ch = vk;
    }
    if (ch == 0) {
        return FALSE;
    }
    // The character comes next, before anything posted later.
    ThreadState& state = Current();
    PostedMessage posted;
    posted.msg = *msg;
    posted.msg.message = WM_CHAR;
    posted.msg.wParam = ch;
    posted.wide = t_lastWide;
    std::lock_guard lock(state.mutex);
    state.posted.push_front(posted);
    return TRUE;
}

BOOL WaitMessage() {
    ThreadState& state = Current();
    ProcessSent(state);
    MSG msg;
    bool wide;
    if (!TakeMessage(state, msg, wide, nullptr, 0, 0, false)) {
        WaitForInput(state);
        if (platform::win::StopRequested()) {
            platform::win::SafePoint();
        }
    }
    return TRUE;
}

BOOL InSendMessage() { return t_inSend > 0; }

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
    if (processId) {
        *processId = 1;
    }
    auto w = Find(hwnd);
    if (!w) {
        return 0;
    }
    std::lock_guard lock(TableMutex());
    return w->threadId;
}

DWORD GetTickCount() { return static_cast<DWORD>(platform::ui::NowMilliseconds()); }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    std::shared_ptr<ThreadState> state;
    if (hwnd) {
        auto w = Find(hwnd);
        if (!w) {
            return 0;
        }
        DWORD owner;
        {
            // Never hold the table while taking another lock: waiting threads take them the other way.
            std::lock_guard lock(TableMutex());
            owner = w->threadId;
        }
        state = StateOf(owner);
    } else {
        state = CurrentShared();
    }
    if (!state) {
        return 0;
    }
    std::lock_guard lock(state->mutex);
    if (!hwnd) {
        static std::atomic<UINT_PTR> nextId{0x7000};
        id = nextId++;
    }
    std::uint64_t interval = std::max<UINT>(elapse, 10);
    std::uint64_t due = platform::ui::NowMilliseconds() + interval;
    for (auto& t : state->timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.interval = interval;
            t.due = due;
            t.proc = proc;
            return hwnd ? 1 : id;
        }
    }
    state->timers.push_back(Timer{hwnd, id, interval, due, proc});
    state->wake.notify_all();
    return hwnd ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    ThreadState& state = Current();
    std::lock_guard lock(state.mutex);
    auto before = state.timers.size();
    std::erase_if(state.timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    // Messages already taken stay taken; queued WM_TIMERs are never stored, so nothing else to drop.
    return state.timers.size() != before;
}

HWND SetFocus(HWND hwnd) {
    ThreadState& state = Current();
    HWND old = state.focus;
    if (hwnd && !IsWindow(hwnd)) {
        return nullptr;
    }
    if (old == hwnd) {
        return old;
    }
    state.focus = hwnd;
    if (old && IsWindow(old)) {
        Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0, false);
    }
    if (hwnd && state.focus == hwnd) {
        Send(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0, false);
    }
    return old;
}

HWND GetFocus() {
    ThreadState& state = Current();
    if (state.focus && !IsWindow(state.focus)) {
        state.focus = nullptr;
    }
    return state.focus;
}

HWND SetCapture(HWND hwnd) {
    ThreadState& state = Current();
    HWND old = state.capture;
    state.capture = hwnd;
    if (old && old != hwnd) {
        Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd), false);
    }
    return old;
}

HWND GetCapture() {
    ThreadState& state = Current();
    if (state.capture && !IsWindow(state.capture)) {
        state.capture = nullptr;
    }
    return state.capture;
}

BOOL ReleaseCapture() {
    ThreadState& state = Current();
    HWND old = state.capture;
    state.capture = nullptr;
    if (old) {
        Send(old, WM_CAPTURECHANGED, 0, 0, false);
    }
    return TRUE;
}

HWND SetActiveWindow(HWND hwnd) {
    ThreadState& state = Current();
    HWND old = state.active;
    state.active = hwnd;
    return old;
}
HWND GetActiveWindow() { return Current().active; }
BOOL SetForegroundWindow(HWND hwnd) {
    SetActiveWindow(hwnd);
    return IsWindow(hwnd);
}

short GetKeyState(int virtualKey) { return g_keys[virtualKey & 0xFF] ? static_cast<short>(-128) : 0; }
