// The common dialogs of the framework: open/save file, font and colour. Each asks the answer
// source; a cancel (or no answer) gives IDCANCEL and leaves the object's values as they were.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/afx_wnd.h"
#include "platform/ui/fonts.h"

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CC_RGBINIT = 0x00000001;
constexpr DWORD CC_FULLOPEN = 0x00000002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

struct OPENFILENAMEA {
    DWORD lStructSize = sizeof(OPENFILENAMEA);
    HWND hwndOwner = nullptr;
    LPCSTR lpstrFilter = nullptr;
    DWORD nFilterIndex = 0;
    LPSTR lpstrFile = nullptr;
    DWORD nMaxFile = 0;
    LPSTR lpstrFileTitle = nullptr;
    DWORD nMaxFileTitle = 0;
    LPCSTR lpstrInitialDir = nullptr;
    LPCSTR lpstrTitle = nullptr;
    DWORD Flags = 0;
    WORD nFileOffset = 0;
    WORD nFileExtension = 0;
    LPCSTR lpstrDefExt = nullptr;
};
using OPENFILENAME = OPENFILENAMEA;

// The error of the last common dialog on this thread (0, or FNERR_BUFFERTOOSMALL).
DWORD CommDlgExtendedError();

// A position in the list of chosen files.
using POSITION = void*;

class CFileDialog {
public:
    CFileDialog(BOOL openFileDialog, LPCSTR defaultExt = nullptr, LPCSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr, CWnd* parent = nullptr);
    virtual ~CFileDialog() = default;

    // IDOK with the chosen names in m_ofn.lpstrFile ("folder\0name\0name\0\0" for several files,
    // as the explorer-style dialog writes them), or IDCANCEL. Names that do not fit the buffer
    // give IDCANCEL with FNERR_BUFFERTOOSMALL.
    virtual INT_PTR DoModal();
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;
    CString GetFileTitle() const;
    POSITION GetStartPosition() const;
    CString GetNextPathName(POSITION& position) const;

    OPENFILENAMEA m_ofn;

private:
    BOOL open_;
    std::string filter_;  // with the '|' separators turned into zeros
    std::string defaultExt_;
    std::string buffer_;  // used when the caller gives no buffer of its own
    std::vector<std::string> chosen_;
};

class CFontDialog {
public:
    // Starts from a rich edit's character format (the font is reported back the same way).
    CFontDialog(const CHARFORMATA& format, DWORD flags = CF_SCREENFONTS, HDC printer = nullptr, CWnd* parent = nullptr);
    explicit CFontDialog(const LOGFONTA* font = nullptr, DWORD flags = CF_SCREENFONTS | CF_EFFECTS, HDC printer = nullptr,
                         CWnd* parent = nullptr);
    virtual ~CFontDialog() = default;
    virtual INT_PTR DoModal();
    void GetCharFormat(CHARFORMATA& format) const;
    void GetCurrentFont(LOGFONTA* font) const;
    CString GetFaceName() const;
    int GetSize() const;  // tenths of a point
    COLORREF GetColor() const;
    BOOL IsBold() const;
    BOOL IsItalic() const;

    CHARFORMATA m_cf;

private:
    std::string title_;
};

class CColorDialog {
public:
    explicit CColorDialog(COLORREF initial = 0, DWORD flags = 0, CWnd* parent = nullptr);
    virtual ~CColorDialog() = default;
    virtual INT_PTR DoModal();
    COLORREF GetColor() const { return color_; }

private:
    COLORREF color_;
};
