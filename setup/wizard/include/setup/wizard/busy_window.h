// A small captioned window with a text line and an endless marquee, shown on a thread of its own
// so that it keeps painting while the user-interface thread is blocked.
#pragma once

#include <string>

#include "platform/ui/afx_thread.h"
#include "platform/ui/window_types.h"

namespace Setup {

// Marquee messages: timer interval, block count (read), block count (set, 1 to 20), extra block
// width, gap between blocks; WM_USER reads the interval.
constexpr UINT MQM_SETINTERVAL = 1025;
constexpr UINT MQM_GETBLOCKS = 1026;
constexpr UINT MQM_SETBLOCKS = 1027;
constexpr UINT MQM_SETEXTRAWIDTH = 1028;
constexpr UINT MQM_SETGAP = 1029;

inline constexpr char kMarqueeClass[] = "gs_nonprogressbar";
inline constexpr char kBusyWindowClass[] = "waiting";

class BusyWindow {
public:
    explicit BusyWindow(bool showNow = false, bool topmost = false);
    ~BusyWindow();
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

    // Null texts take "system waiting..." and "请稍候，系统正在处理中...". Returns once the busy
    // thread has its window up, or after 5000 ms without it (the thread is then stopped).
    void ShowBusyWindow(const char16_t* caption = nullptr, const char16_t* text = nullptr);
    void CloseBusyWindow();
    // Makes the window, its label and marquee on the calling thread.
    HWND CreateBusyWindow(const std::u16string& caption, const std::u16string& text);

    HWND Window() const { return window_; }
    HWND Marquee() const { return marquee_; }
    HWND Label() const { return label_; }

    int blockCount = 5;
    int extraWidth = 10;
    int gap = 12;
    int interval = 25;
    int topmost = 0;

private:
    friend UINT RunBusyWindowThread(LPVOID param);

    std::u16string caption_;
    std::u16string text_;
    HANDLE ready_ = nullptr;
    CWinThread* thread_ = nullptr;
    HFONT font_ = nullptr;
    HWND window_ = nullptr;
    HWND marquee_ = nullptr;
    HWND label_ = nullptr;
};

UINT RunBusyWindowThread(LPVOID param);

// Registers the marquee and busy window classes once.
void RegisterBusyWindowClasses();

}  // namespace Setup
