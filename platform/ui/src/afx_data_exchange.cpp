// Dialog data exchange and validation.
#include "platform/ui/afx_data_exchange.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/ui/answer_source.h"

namespace {

// The framework's own validation texts.
constexpr const char* kEnterInteger = "请输入一个整数。";
constexpr const char* kEnterNumber = "请输入一个数。";
constexpr const char* kIntegerRange = "请输入一个介于 %s 和 %s 之间的整数。";
constexpr const char* kNumberRange = "请输入一个介于 %s 和 %s 之间的数。";
constexpr const char* kMaxChars = "请输入不超过 %d 个字符。";

std::string ControlText(HWND control) {
    int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int n = GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

std::string Trimmed(const std::string& text) {
    std::size_t s = text.find_first_not_of(" \t");
    if (s == std::string::npos) {
        return {};
    }
    std::size_t e = text.find_last_not_of(" \t");
    return text.substr(s, e - s + 1);
}

bool ParseLong(const std::string& text, long long& out) {
    std::string t = Trimmed(text);
    if (t.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    out = std::strtoll(t.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

bool ParseDouble(const std::string& text, double& out) {
    std::string t = Trimmed(text);
    if (t.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    out = std::strtod(t.c_str(), &end);
    // "nan" and "inf" are words, not numbers a person means to enter.
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

void Complain(CDataExchange* dx, const std::string& message) {
    AfxMessageBox(message.c_str(), MB_ICONEXCLAMATION);
    dx->Fail();
}

template <typename T>
void ExchangeInteger(CDataExchange* dx, int id, T& value, long long minimum, long long maximum) {
    if (dx->Failed()) {
        return;
    }
    HWND control = dx->PrepareEditCtrl(id);
    if (!control) {
        return;
    }
    if (!dx->m_bSaveAndValidate) {
        SetWindowTextA(control, std::to_string(value).c_str());
        return;
    }
    long long parsed = 0;
    if (!ParseLong(ControlText(control), parsed) || parsed < minimum || parsed > maximum) {
        Complain(dx, kEnterInteger);
        return;
    }
    value = static_cast<T>(parsed);
}

template <typename T>
void ExchangeReal(CDataExchange* dx, int id, T& value, int digits) {
    if (dx->Failed()) {
        return;
    }
    HWND control = dx->PrepareEditCtrl(id);
    if (!control) {
        return;
    }
    if (!dx->m_bSaveAndValidate) {
        SetWindowTextA(control, platform::text::Format("%.*g", digits, static_cast<double>(value)).c_str());
        return;
    }
    double parsed = 0;
    if (!ParseDouble(ControlText(control), parsed)) {
        Complain(dx, kEnterNumber);
        return;
    }
    value = static_cast<T>(parsed);
}

std::string Number(double v) { return platform::text::Format("%.15g", v); }

}  // namespace

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, id) : nullptr;
    if (!control) {
        platform::ui::AppendTranscript(platform::text::Format("data exchange: no control %d", id));
    }
    m_hWndLastControl = control;
    m_bEditLastControl = false;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = true;
    return control;
}

void CDataExchange::Fail() {
    failed_ = true;
    if (m_hWndLastControl && ::IsWindow(m_hWndLastControl)) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) {
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
        }
    }
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    if (dx->Failed()) {
        return;
    }
    HWND control = dx->PrepareEditCtrl(id);
    if (!control) {
        return;
    }
    if (dx->m_bSaveAndValidate) {
        value = CString(ControlText(control));
    } else {
        SetWindowTextA(control, value);
    }
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
    CString text(value);
    DDX_Text(dx, id, text);
    value = text.str();
}

void DDX_Text(CDataExchange* dx, int id, std::u16string& value) {
    if (dx->Failed()) {
        return;
    }
    HWND control = dx->PrepareEditCtrl(id);
    if (!control) {
        return;
    }
    if (dx->m_bSaveAndValidate) {
        int length = GetWindowTextLengthW(control);
        std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
        int n = GetWindowTextW(control, text.data(), length + 1);
        text.resize(static_cast<std::size_t>(std::max(n, 0)));
        value = text;
    } else {
        SetWindowTextW(control, value.c_str());
    }
}

void DDX_Text(CDataExchange* dx, int id, int& value) { ExchangeInteger(dx, id, value, INT_MIN, INT_MAX); }
void DDX_Text(CDataExchange* dx, int id, UINT& value) { ExchangeInteger(dx, id, value, 0, UINT_MAX); }
void DDX_Text(CDataExchange* dx, int id, long& value) { ExchangeInteger(dx, id, value, LONG_MIN, LONG_MAX); }
void DDX_Text(CDataExchange* dx, int id, double& value) { ExchangeReal(dx, id, value, 15); }
void DDX_Text(CDataExchange* dx, int id, float& value) { ExchangeReal(dx, id, value, 6); }

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->Failed()) {
        return;
    }
    HWND control = dx->PrepareCtrl(id);
    if (!control) {
        return;
    }
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    } else {
        SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value < 0 || value > 2 ? 0 : value), 0);
    }
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    if (dx->Failed()) {
        return;
    }
    HWND first = dx->PrepareCtrl(id);
    if (!first) {
        return;
    }
    // The group runs from this button to the next one with WS_GROUP.
    std::vector<HWND> group;
    for (HWND h = first; h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (h != first && (GetWindowLongA(h, GWL_STYLE) & WS_GROUP)) {
            break;
        }
        char cls[16] = {};
        GetClassNameA(h, cls, sizeof cls);
        DWORD type = static_cast<DWORD>(GetWindowLongA(h, GWL_STYLE)) & BS_TYPEMASK;
        if (std::string(cls) == "Button" && (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)) {
            group.push_back(h);
        }
    }
    if (dx->m_bSaveAndValidate) {
        value = -1;
        for (std::size_t i = 0; i < group.size(); ++i) {
            if (SendMessageA(group[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
                value = static_cast<int>(i);
            }
        }
    } else {
        for (std::size_t i = 0; i < group.size(); ++i) {
            SendMessageA(group[i], BM_SETCHECK, static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

namespace {

// The chosen line of a list or combo box, by the control's get and set messages.
void ExchangeCurrentIndex(CDataExchange* dx, int id, int& index, UINT getMessage, UINT setMessage) {
    if (dx->Failed()) {
        return;
    }
    if (HWND control = dx->PrepareCtrl(id)) {
        if (dx->m_bSaveAndValidate) {
            index = static_cast<int>(SendMessageA(control, getMessage, 0, 0));
        } else {
            SendMessageA(control, setMessage, static_cast<WPARAM>(index), 0);
        }
    }
}

}  // namespace

void DDX_CBIndex(CDataExchange* dx, int id, int& index) { ExchangeCurrentIndex(dx, id, index, CB_GETCURSEL, CB_SETCURSEL); }

void DDX_CBString(CDataExchange* dx, int id, CString& value) {
    if (dx->Failed()) {
        return;
    }
    if (HWND control = dx->PrepareCtrl(id)) {
        if (dx->m_bSaveAndValidate) {
            value = CString(ControlText(control));
        } else if (SendMessageA(control, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(value.GetString())) < 0) {
            SetWindowTextA(control, value);
        }
    }
}

void DDX_LBIndex(CDataExchange* dx, int id, int& index) { ExchangeCurrentIndex(dx, id, index, LB_GETCURSEL, LB_SETCURSEL); }

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) {
        return;
    }
    HWND hwnd = dx->PrepareCtrl(id);
    if (hwnd) {
        control.SubclassWindow(hwnd);
    }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum) {
    if (dx->Failed() || !dx->m_bSaveAndValidate) {
        return;
    }
    if (value < minimum || value > maximum) {
        Complain(dx, platform::text::Format(kIntegerRange, std::to_string(minimum), std::to_string(maximum)));
    }
}

void DDV_MinMaxUInt(CDataExchange* dx, UINT value, UINT minimum, UINT maximum) {
    if (dx->Failed() || !dx->m_bSaveAndValidate) {
        return;
    }
    if (value < minimum || value > maximum) {
        Complain(dx, platform::text::Format(kIntegerRange, std::to_string(minimum), std::to_string(maximum)));
    }
}

void DDV_MinMaxDouble(CDataExchange* dx, const double& value, double minimum, double maximum) {
    if (dx->Failed() || !dx->m_bSaveAndValidate) {
        return;
    }
    if (!(value >= minimum && value <= maximum)) {
        Complain(dx, platform::text::Format(kNumberRange, Number(minimum), Number(maximum)));
    }
}

void DDV_MaxChars(CDataExchange* dx, const CString& value, int count) {
    if (dx->Failed()) {
        return;
    }
    if (!dx->m_bSaveAndValidate) {
        if (dx->m_hWndLastControl) {
            SendMessageA(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
        }
        return;
    }
    if (value.GetLength() > count) {
        Complain(dx, platform::text::Format(kMaxChars, count));
    }
}
