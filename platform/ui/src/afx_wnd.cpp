// CWnd: attachment to windows, message routing through the maps, and the window calls.
#include "platform/ui/afx_wnd.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/ui/afx_data_exchange.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/window_system.h"
#include "window_system.h"

namespace {

std::recursive_mutex g_mutex;
std::map<HWND, CWnd*>& Permanent() {
    static auto* map = new std::map<HWND, CWnd*>();
    return *map;
}
std::map<HWND, std::unique_ptr<CWnd>>& Temporary() {
    static auto* map = new std::map<HWND, std::unique_ptr<CWnd>>();
    return *map;
}

struct CurrentMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local std::vector<CurrentMessage> t_messages;

void DropTemporary(HWND hwnd) {
    std::unique_ptr<CWnd> temp;
    {
        std::lock_guard lock(g_mutex);
        auto it = Temporary().find(hwnd);
        if (it != Temporary().end()) {
            temp = std::move(it->second);
            Temporary().erase(it);
        }
    }
    if (temp) {
        temp->m_hWnd = nullptr;
    }
}

bool InstallFramework() {
    platform::ui::SetPreTranslateFilter([](MSG* msg) -> bool { return AfxPreTranslateMessage(msg) != FALSE; });
    platform::ui::SetWindowDestroyObserver(&DropTemporary);
    return true;
}
const bool g_installed = InstallFramework();

bool IsDialogWindow(HWND hwnd) {
    auto w = platform::ui::detail::Find(hwnd);
    return w && w->isDialog;
}

}  // namespace

LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) {
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    t_messages.push_back(CurrentMessage{hwnd, msg, wParam, lParam});
    LRESULT result = wnd->WindowProc(msg, wParam, lParam);
    t_messages.pop_back();
    return result;
}

CWnd::CWnd() { (void)g_installed; }

CWnd::~CWnd() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        // The object goes first: the window is destroyed without it.
        HWND hwnd = UnsubclassWindow();
        ::DestroyWindow(hwnd);
    } else if (m_hWnd) {
        Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    std::lock_guard lock(g_mutex);
    auto it = Permanent().find(hwnd);
    return it == Permanent().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd)) {
        return nullptr;
    }
    std::lock_guard lock(g_mutex);
    if (CWnd* wnd = FromHandlePermanent(hwnd)) {
        return wnd;
    }
    auto& temp = Temporary()[hwnd];
    if (!temp) {
        temp = std::make_unique<CWnd>();
        temp->m_hWnd = hwnd;
    }
    return temp.get();
}

BOOL CWnd::Attach(HWND hwnd) {
    if (!hwnd || m_hWnd) {
        return FALSE;
    }
    std::lock_guard lock(g_mutex);
    Permanent()[hwnd] = this;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd) {
        std::lock_guard lock(g_mutex);
        auto it = Permanent().find(hwnd);
        if (it != Permanent().end() && it->second == this) {
            Permanent().erase(it);
        }
    }
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
    if (!::IsWindow(hwnd) || FromHandlePermanent(hwnd) || !Attach(hwnd)) {
        return FALSE;
    }
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc)));
    if (m_pfnSuper == &AfxWndProc) {
        m_pfnSuper = nullptr;
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent) {
        return FALSE;
    }
    HWND item = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return item && SubclassWindow(item);
}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd && m_pfnSuper) {
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }
void CWnd::PreSubclassWindow() {}
void CWnd::PostNcDestroy() {}
void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id, void*) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, nullptr);
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                    UINT id, LPVOID param) {
    CREATESTRUCT cs;
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = rect.left;
    cs.y = rect.top;
    cs.cx = rect.right - rect.left;
    cs.cy = rect.bottom - rect.top;
    cs.hwndParent = parent ? parent->m_hWnd : nullptr;
    cs.hMenu = reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id));
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs) || m_hWnd) {
        return FALSE;
    }
    platform::ui::detail::SetCreateHook([this](HWND hwnd) { SubclassWindow(hwnd); });
    HWND hwnd = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                                cs.cx, cs.cy, cs.hwndParent, cs.hMenu, AfxGetResourceHandle(), cs.lpCreateParams);
    platform::ui::detail::SetCreateHook(nullptr);
    if (!hwnd) {
        if (m_hWnd) {
            Detach();
        }
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd) {
        return FALSE;
    }
    HWND hwnd = m_hWnd;
    if (!FromHandlePermanent(hwnd)) {
        m_hWnd = nullptr;
    }
    return ::DestroyWindow(hwnd);
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, msg, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, msg, wParam, lParam);
}
LRESULT CWnd::SendDlgItemMessage(int id, UINT msg, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessageA(m_hWnd, id, msg, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(msg, wParam, lParam, &result)) {
        result = DefWindowProc(msg, wParam, lParam);
    }
    return result;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) {
        return CallWindowProcA(m_pfnSuper, m_hWnd, msg, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, msg, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (t_messages.empty()) {
        return 0;
    }
    CurrentMessage m = t_messages.back();
    return DefWindowProc(m.msg, m.wParam, m.lParam);
}

bool CWnd::Dispatch(const MessageMap* map, UINT msg, UINT code, UINT id, WPARAM wParam, LPARAM lParam,
                    LRESULT& result) {
    for (; map; map = map->base ? map->base() : nullptr) {
        for (const MessageMapEntry* e = map->entries; e && e->call; ++e) {
            if (e->message != msg) {
                continue;
            }
            if (msg == WM_COMMAND || msg == WM_NOTIFY || msg == kReflectBase + WM_COMMAND ||
                msg == kReflectBase + WM_NOTIFY) {
                if (e->code != code || id < e->firstId || id > e->lastId) {
                    continue;
                }
            }
            return e->call(this, wParam, lParam, result);
        }
    }
    return false;
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT r = 0;
    bool handled = false;
    if (msg == WM_COMMAND) {
        handled = OnCommand(wParam, lParam) != FALSE;
    } else if (msg == WM_NOTIFY) {
        handled = OnNotify(wParam, lParam, &r) != FALSE;
    } else {
        if (msg == WM_DRAWITEM || msg == WM_MEASUREITEM) {
            // Owner-drawn controls answer these themselves when they reflect them.
            UINT id = static_cast<UINT>(wParam);
            HWND child = msg == WM_DRAWITEM && lParam ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem
                                                      : ::GetDlgItem(m_hWnd, static_cast<int>(id));
            if (CWnd* control = FromHandlePermanent(child); control && control != this &&
                                                             control->OnChildNotify(msg, wParam, lParam, &r)) {
                if (result) {
                    *result = TRUE;
                }
                return TRUE;
            }
        }
        handled = Dispatch(GetMessageMap(), msg, 0, 0, wParam, lParam, r);
    }
    if (handled && result) {
        *result = r;
    }
    return handled;
}

BOOL CWnd::OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    LRESULT r = 0;
    UINT code = 0;
    if (msg == WM_NOTIFY && lParam) {
        code = reinterpret_cast<NMHDR*>(lParam)->code;
    } else if (msg == WM_COMMAND) {
        code = HIWORD(wParam);
    }
    bool handled = Dispatch(GetMessageMap(), kReflectBase + msg, code, static_cast<UINT>(GetDlgCtrlID()), wParam,
                            lParam, r);
    if (handled && result) {
        *result = r;
    }
    return handled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control) {
        // The control that sent the notification may handle it itself.
        if (CWnd* child = FromHandlePermanent(control); child && child != this) {
            LRESULT ignored = 0;
            if (child->OnChildNotify(WM_COMMAND, wParam, lParam, &ignored)) {
                return TRUE;
            }
        }
    }
    LRESULT result = 0;
    return Dispatch(GetMessageMap(), WM_COMMAND, code, id, wParam, lParam, result);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) {
        return FALSE;
    }
    if (CWnd* child = FromHandlePermanent(header->hwndFrom); child && child != this) {
        if (child->OnChildNotify(WM_NOTIFY, header->idFrom, lParam, result)) {
            return TRUE;
        }
    }
    LRESULT r = 0;
    bool handled = Dispatch(GetMessageMap(), WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom),
                            header->idFrom, lParam, r);
    if (handled && result) {
        *result = r;
    }
    return handled;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CWnd::GetThisMessageMap() {
    using ThisClass = CWnd;
    static const MessageMapEntry entries[] = {ON_WM_NCDESTROY() MessageMapEntry{}};
    static const MessageMap map{nullptr, entries};
    return &map;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return dx.Failed() ? FALSE : TRUE;
}

void CWnd::SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
void CWnd::SetWindowText(LPCWSTR text) { ::SetWindowTextW(m_hWnd, text); }
void CWnd::GetWindowText(CString& text) const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    char* buffer = text.GetBufferSetLength(length);
    ::GetWindowTextA(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer();
}
void CWnd::GetWindowText(std::u16string& text) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    text.assign(static_cast<std::size_t>(length) + 1, u'\0');
    int n = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
}
int CWnd::GetWindowText(LPSTR buffer, int size) const { return ::GetWindowTextA(m_hWnd, buffer, size); }
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
void CWnd::SetDlgItemText(int id, LPCSTR text) { ::SetDlgItemTextA(m_hWnd, id, text); }
void CWnd::SetDlgItemText(int id, LPCWSTR text) { ::SetDlgItemTextW(m_hWnd, id, text); }
int CWnd::GetDlgItemText(int id, std::u16string& text) const {
    text.clear();
    if (HWND item = ::GetDlgItem(m_hWnd, id)) {
        FromHandle(item)->GetWindowText(text);
    }
    return static_cast<int>(text.size());
}
int CWnd::GetDlgItemText(int id, CString& text) const {
    text.Empty();
    if (HWND item = ::GetDlgItem(m_hWnd, id)) {
        FromHandle(item)->GetWindowText(text);
    }
    return text.GetLength();
}
int CWnd::GetDlgItemText(int id, LPSTR buffer, int size) const {
    return static_cast<int>(::GetDlgItemTextA(m_hWnd, id, buffer, size));
}
void CWnd::SetDlgItemInt(int id, UINT value, BOOL isSigned) { ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
UINT CWnd::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
    return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
}
void CWnd::CheckDlgButton(int id, UINT check) { ::CheckDlgButton(m_hWnd, id, check); }
UINT CWnd::IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) { ::CheckRadioButton(m_hWnd, firstId, lastId, checkId); }

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
void CWnd::GetDlgItem(int id, HWND* out) const {
    if (out) {
        *out = ::GetDlgItem(m_hWnd, id);
    }
}
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::GetOwner() const {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    return FromHandle(owner ? owner : ::GetParent(m_hWnd));
}
CWnd* CWnd::SetParent(CWnd* parent) { return FromHandle(::SetParent(m_hWnd, parent ? parent->m_hWnd : nullptr)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindow() const { return ::IsWindow(m_hWnd); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
    DWORD style = GetStyle();
    DWORD next = (style & ~remove) | add;
    if (next == style) {
        return FALSE;
    }
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(next));
    return TRUE;
}
BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT) {
    DWORD style = GetExStyle();
    DWORD next = (style & ~remove) | add;
    if (next == style) {
        return FALSE;
    }
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, static_cast<LONG>(next));
    return TRUE;
}
void CWnd::SetFont(HFONT font, BOOL redraw) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
HFONT CWnd::GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
BOOL CWnd::EnableToolTips(BOOL) { return TRUE; }

void CWnd::MoveWindow(int x, int y, int cx, int cy, BOOL repaint) { ::MoveWindow(m_hWnd, x, y, cx, cy, repaint); }
void CWnd::MoveWindow(LPCRECT rect, BOOL repaint) {
    if (rect) {
        ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
    }
}
BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    HWND after = insertAfter ? insertAfter->m_hWnd : nullptr;
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
}
void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::ScreenToClient(LPPOINT point) const { ::ScreenToClient(m_hWnd, point); }
void CWnd::ScreenToClient(LPRECT rect) const {
    if (!rect) {
        return;
    }
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    ::ScreenToClient(m_hWnd, &a);
    ::ScreenToClient(m_hWnd, &b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}
void CWnd::ClientToScreen(LPPOINT point) const { ::ClientToScreen(m_hWnd, point); }
void CWnd::ClientToScreen(LPRECT rect) const {
    if (!rect) {
        return;
    }
    POINT a{rect->left, rect->top};
    POINT b{rect->right, rect->bottom};
    ::ClientToScreen(m_hWnd, &a);
    ::ClientToScreen(m_hWnd, &b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}
void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
void CWnd::InvalidateRect(LPCRECT rect, BOOL erase) { ::InvalidateRect(m_hWnd, rect, erase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT rect, void* region, UINT flags) { return ::RedrawWindow(m_hWnd, rect, region, flags); }
void CWnd::CenterWindow(CWnd* alternate) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    CWnd* around = alternate ? alternate : GetParent();
    if (around) {
        around->GetWindowRect(&area);
    }
    RECT mine;
    GetWindowRect(&mine);
    int cx = mine.right - mine.left;
    int cy = mine.bottom - mine.top;
    POINT at{area.left + ((area.right - area.left) - cx) / 2, area.top + ((area.bottom - area.top) - cy) / 2};
    if ((GetStyle() & WS_CHILD) && ::GetParent(m_hWnd)) {
        ::ScreenToClient(::GetParent(m_hWnd), &at);
    }
    ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type) { return ::MessageBoxA(m_hWnd, text, caption, type); }

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() {
    Default();
    UnsubclassWindow();
    PostNcDestroy();
}
void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMove(int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnShowWindow(BOOL, UINT) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CWnd*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CWnd*) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT) { Default(); }
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) { return static_cast<BOOL>(Default()); }
void CWnd::OnWindowPosChanged(WINDOWPOS*) { Default(); }
void CWnd::OnEnable(BOOL) { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }

BOOL AfxPreTranslateMessage(MSG* msg) {
    bool sawDialog = false;
    for (HWND h = msg->hwnd; h; h = (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD) ? ::GetParent(h) : nullptr) {
        CWnd* wnd = CWnd::FromHandlePermanent(h);
        if (wnd) {
            if (wnd->PreTranslateMessage(msg)) {
                return TRUE;
            }
            if (IsDialogWindow(h)) {
                sawDialog = true;
            }
        }
        if (!::IsWindow(msg->hwnd)) {
            return TRUE;  // the window went away while the message was offered
        }
    }
    return !sawDialog && platform::ui::DefaultPreTranslate(msg);
}

LPCSTR AfxRegisterWndClass(UINT classStyle, HANDLE, HANDLE, HICON) {
    static std::mutex mutex;
    static std::set<std::string>* names = new std::set<std::string>();
    std::string name = platform::text::Format("Afx:%x", classStyle);
    std::lock_guard lock(mutex);
    auto [it, added] = names->insert(name);
    if (added) {
        WNDCLASSA wc;
        wc.style = classStyle;
        wc.lpfnWndProc = &DefWindowProcA;
        wc.lpszClassName = it->c_str();
        RegisterClassA(&wc);
    }
    return it->c_str();
}

namespace {
std::mutex g_appNameMutex;
std::string g_appName;
std::string AppName() {
    std::lock_guard lock(g_appNameMutex);
    return g_appName;
}
}  // namespace

void AfxSetAppName(LPCSTR name) {
    std::lock_guard lock(g_appNameMutex);
    g_appName = name ? name : "";
}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
    return ::MessageBoxA(::GetActiveWindow(), text, AppName().c_str(), type);
}

int AfxMessageBox(LPCWSTR text, UINT type, UINT) {
    std::u16string caption = platform::text::GbkToUtf16(AppName());
    return ::MessageBoxW(::GetActiveWindow(), text, caption.c_str(), type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
    const std::string* text = platform::ui::FindString(AfxGetResourceHandle(), stringId);
    return AfxMessageBox(text ? text->c_str() : "", type, helpId);
}

HANDLE LoadCursorA(HINSTANCE, LPCSTR name) { return reinterpret_cast<HANDLE>(const_cast<char*>(name)); }
HANDLE SetCursor(HANDLE cursor) {
    static thread_local HANDLE current = nullptr;
    HANDLE old = current;
    current = cursor;
    return old;
}
