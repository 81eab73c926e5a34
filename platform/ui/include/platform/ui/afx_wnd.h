// The framework's window object: CWnd wraps a window handle, receives its messages through a
// message map, and offers the window calls as member functions.
//
// A CWnd is attached to its window either at creation (Create, CreateEx, dialogs) or by
// subclassing an existing window (SubclassWindow, SubclassDlgItem, DDX_Control). Messages the
// map does not handle go to the window's original procedure. When the window is destroyed the
// object is detached and PostNcDestroy runs (where self-owning objects delete themselves).
#pragma once

#include "platform/ui/afx_message_map.h"
#include "platform/ui/afx_string.h"
#include "platform/ui/afx_types.h"
#include "platform/ui/window_api.h"

class CDataExchange;

// The wait cursor: 1 shows it (counted), -1 takes one back, 0 shows it again when it is due.
void AfxDoWaitCursor(int code);

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    void BeginWaitCursor() { AfxDoWaitCursor(1); }
    void EndWaitCursor() { AfxDoWaitCursor(-1); }
    void RestoreWaitCursor() { AfxDoWaitCursor(0); }

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The permanent object of a window, or a temporary one that lives until the window is
    // destroyed; null for a null or dead handle.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);

    virtual BOOL Create(LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        void* context = nullptr);
    virtual BOOL CreateEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, const RECT& rect,
                          CWnd* parent, UINT id, LPVOID param = nullptr);
    virtual BOOL DestroyWindow();
    BOOL Attach(HWND hwnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Message handling.
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const;
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A control's chance at a notification it sent (the reflected entries of its map).
    virtual BOOL OnChildNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual void PreSubclassWindow();
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual void PostNcDestroy();
    virtual void DoDataExchange(CDataExchange* dx);
    virtual const MessageMap* GetMessageMap() const;
    // Calls the default procedure with the message being handled.
    LRESULT Default();

    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Text.
    void SetWindowText(LPCSTR text);
    void SetWindowText(LPCWSTR text);
    void GetWindowText(CString& text) const;
    void GetWindowText(std::u16string& text) const;
    int GetWindowText(LPSTR buffer, int size) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int id, LPCSTR text);
    void SetDlgItemText(int id, LPCWSTR text);
    int GetDlgItemText(int id, std::u16string& text) const;
    int GetDlgItemText(int id, CString& text) const;
    int GetDlgItemText(int id, LPSTR buffer, int size) const;
    void SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE);
    UINT GetDlgItemInt(int id, BOOL* translated = nullptr, BOOL isSigned = TRUE) const;
    void CheckDlgButton(int id, UINT check);
    UINT IsDlgButtonChecked(int id) const;
    void CheckRadioButton(int firstId, int lastId, int checkId);

    // Tree and state.
    CWnd* GetDlgItem(int id) const;
    void GetDlgItem(int id, HWND* out) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    CWnd* SetParent(CWnd* parent);
    static CWnd* GetFocus();
    CWnd* SetFocus();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int command);
    BOOL IsWindowVisible() const;
    BOOL IsWindow() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    void SetFont(HFONT font, BOOL redraw = TRUE);
    HFONT GetFont() const;
    BOOL EnableToolTips(BOOL enable = TRUE);

    // Geometry.
    void MoveWindow(int x, int y, int cx, int cy, BOOL repaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    void Invalidate(BOOL erase = TRUE);
    void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT rect = nullptr, void* region = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void CenterWindow(CWnd* alternate = nullptr);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc);
    BOOL KillTimer(UINT_PTR id);
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

protected:
    static const MessageMap* GetThisMessageMap();

    // Default handlers: each passes the message on to the default procedure.
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnNcDestroy();
    void OnClose();
    void OnSize(UINT type, int cx, int cy);
    void OnMove(int x, int y);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* dc);
    void OnShowWindow(BOOL show, UINT status);
    void OnLButtonDown(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    void OnLButtonDblClk(UINT flags, CPoint point);
    void OnRButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnSetFocus(CWnd* old);
    void OnKillFocus(CWnd* next);
    void OnChar(UINT ch, UINT repeat, UINT flags);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);
    void OnHScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnCaptureChanged(CWnd* wnd);
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    void OnDrawItem(int id, LPDRAWITEMSTRUCT item);
    BOOL OnCopyData(CWnd* wnd, COPYDATASTRUCT* data);
    void OnWindowPosChanged(WINDOWPOS* pos);
    void OnEnable(BOOL enable);
    UINT OnGetDlgCode();

    WNDPROC m_pfnSuper = nullptr;

    friend LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    bool Dispatch(const MessageMap* map, UINT msg, UINT code, UINT id, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// The framework's window procedure: routes a window's messages to its CWnd.
LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Offers a message to the CWnd objects from its window up to the top-level window
// (PreTranslateMessage), then to the dialog manager; true when consumed.
BOOL AfxPreTranslateMessage(MSG* msg);

// Registers a window class with the framework's defaults and returns its name.
LPCSTR AfxRegisterWndClass(UINT classStyle, HANDLE cursor = nullptr, HANDLE background = nullptr,
                           HICON icon = nullptr);

// A message box owned by the application, answered by the answer source.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(LPCWSTR text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = 0);

// The caption of the framework's message boxes (the application's name); empty by default.
void AfxSetAppName(LPCSTR name);

// Cursors are not shown; the handles exist so code can ask for them.
inline LPCSTR const IDC_ARROW = reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(32512));
inline LPCSTR const IDC_WAIT = reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(32514));
HANDLE LoadCursorA(HINSTANCE module, LPCSTR name);
inline HANDLE LoadCursor(HINSTANCE module, LPCSTR name) { return LoadCursorA(module, name); }
HANDLE SetCursor(HANDLE cursor);
