// File, font and colour dialogs answered by the answer source.
#include "platform/ui/afx_common_dialogs.h"

#include <cstring>

#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"

namespace {

thread_local DWORD t_lastError = 0;

std::string FolderOf(const std::string& path) {
    std::size_t sep = platform::text::GbkFindLastSeparator(path);
    return sep == std::string::npos ? std::string() : path.substr(0, sep);
}

std::string NameOf(const std::string& path) {
    std::size_t sep = platform::text::GbkFindLastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::size_t ExtensionStart(const std::string& name) {
    std::size_t dot = platform::text::GbkFindLast(name, '.');
    return dot == std::string::npos ? std::string::npos : dot + 1;
}

// The default extension as the dialog appends it: without "*." or ".", at most three characters.
std::string DefaultExtension(std::string ext) {
    while (!ext.empty() && (ext[0] == '*' || ext[0] == '.')) {
        ext.erase(0, 1);
    }
    return platform::text::TruncateGbk(ext, 3);
}

}  // namespace

DWORD CommDlgExtendedError() { return t_lastError; }

CFileDialog::CFileDialog(BOOL openFileDialog, LPCSTR defaultExt, LPCSTR fileName, DWORD flags, LPCSTR filter,
                         CWnd* parent)
    : open_(openFileDialog) {
    if (filter) {
        filter_ = filter;
        for (std::size_t i = 0; i < filter_.size(); i += platform::text::GbkCharLength(filter_, i)) {
            if (filter_[i] == '|') {
                filter_[i] = '\0';
            }
        }
        filter_.push_back('\0');
        m_ofn.lpstrFilter = filter_.c_str();
    }
    if (defaultExt) {
        defaultExt_ = defaultExt;
        m_ofn.lpstrDefExt = defaultExt_.c_str();
    }
    buffer_.assign(MAX_PATH, '\0');
    if (fileName) {
        std::string name = platform::text::TruncateGbk(fileName, MAX_PATH - 1);
        std::memcpy(buffer_.data(), name.data(), name.size());
    }
    m_ofn.lpstrFile = buffer_.data();
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.Flags = flags | OFN_EXPLORER;
    m_ofn.hwndOwner = parent ? parent->m_hWnd : nullptr;
}

INT_PTR CFileDialog::DoModal() {
    t_lastError = 0;
    platform::ui::Request request;
    request.kind = open_ ? platform::ui::RequestKind::OpenFile : platform::ui::RequestKind::SaveFile;
    request.caption = m_ofn.lpstrTitle ? m_ofn.lpstrTitle : (open_ ? "打开" : "另存为");
    request.text = m_ofn.lpstrFile ? m_ofn.lpstrFile : "";
    if (m_ofn.lpstrFilter) {
        for (const char* p = m_ofn.lpstrFilter; *p; p += std::strlen(p) + 1) {
            request.choices.push_back(p);
        }
    }
    platform::ui::Answer answer = platform::ui::Ask(request);
    if (answer.cancel) {
        return IDCANCEL;
    }
    std::vector<std::string> paths = open_ ? answer.paths : std::vector<std::string>{answer.text};
    if (paths.size() > 1 && !(m_ofn.Flags & OFN_ALLOWMULTISELECT)) {
        platform::ui::AppendTranscript("  file dialog takes one file: cancel");
        return IDCANCEL;
    }
    for (auto& path : paths) {
        std::string name = NameOf(path);
        if (m_ofn.lpstrDefExt && !name.empty() && ExtensionStart(name) == std::string::npos) {
            std::string ext = DefaultExtension(m_ofn.lpstrDefExt);
            if (!ext.empty()) {
                path += "." + ext;
            }
        }
    }
    // The chosen files as the dialog writes them into the caller's buffer.
    std::string image;
    WORD offset = 0;
    if (paths.size() == 1) {
        image = paths[0];
        image.push_back('\0');
        std::string folder = FolderOf(paths[0]);
        offset = static_cast<WORD>(folder.empty() && paths[0].find(':') == std::string::npos ? 0 : folder.size() + 1);
    } else {
        std::string folder = FolderOf(paths[0]);
        for (auto& path : paths) {
            if (!platform::text::GbkEqualNoCase(FolderOf(path), folder)) {
                platform::ui::AppendTranscript("  files from several folders cannot be chosen at once: cancel");
                return IDCANCEL;
            }
        }
        image = folder;
        image.push_back('\0');
        offset = static_cast<WORD>(folder.size() + 1);
        for (auto& path : paths) {
            image += NameOf(path);
            image.push_back('\0');
        }
    }
    image.push_back('\0');
    if (!m_ofn.lpstrFile || image.size() > m_ofn.nMaxFile) {
        t_lastError = FNERR_BUFFERTOOSMALL;
        platform::ui::AppendTranscript(platform::text::Format("  the names need %u bytes, the buffer holds %u: cancel",
                                                              static_cast<unsigned>(image.size()), m_ofn.nMaxFile));
        return IDCANCEL;
    }
    std::memcpy(m_ofn.lpstrFile, image.data(), image.size());
    m_ofn.nFileOffset = offset;
    std::string first = NameOf(paths[0]);
    std::size_t ext = ExtensionStart(first);
    m_ofn.nFileExtension = paths.size() == 1 && ext != std::string::npos ? static_cast<WORD>(offset + ext) : 0;
    chosen_ = paths;
    return IDOK;
}

CString CFileDialog::GetPathName() const { return chosen_.empty() ? CString() : CString(chosen_.front()); }
CString CFileDialog::GetFileName() const { return chosen_.empty() ? CString() : CString(NameOf(chosen_.front())); }
CString CFileDialog::GetFileExt() const {
    std::string name = chosen_.empty() ? std::string() : NameOf(chosen_.front());
    std::size_t ext = ExtensionStart(name);
    return ext == std::string::npos ? CString() : CString(name.substr(ext));
}
CString CFileDialog::GetFileTitle() const {
    std::string name = chosen_.empty() ? std::string() : NameOf(chosen_.front());
    std::size_t ext = ExtensionStart(name);
    return CString(ext == std::string::npos ? name : name.substr(0, ext - 1));
}
POSITION CFileDialog::GetStartPosition() const {
    return chosen_.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<std::uintptr_t>(1));
}
CString CFileDialog::GetNextPathName(POSITION& position) const {
    auto index = reinterpret_cast<std::uintptr_t>(position);
    if (index == 0 || index > chosen_.size()) {
        position = nullptr;
        return CString();
    }
    CString path(chosen_[index - 1]);
    position = index < chosen_.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
    return path;
}

CFontDialog::CFontDialog(const CHARFORMATA& format, DWORD, HDC, CWnd*) : m_cf(format) {}

CFontDialog::CFontDialog(const LOGFONTA* font, DWORD, HDC, CWnd*) {
    if (font) {
        m_cf.dwMask = CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_CHARSET;
        std::memcpy(m_cf.szFaceName, font->lfFaceName, sizeof m_cf.szFaceName);
        m_cf.szFaceName[LF_FACESIZE - 1] = '\0';
        int pixels = font->lfHeight < 0 ? -font->lfHeight : font->lfHeight;
        m_cf.yHeight = pixels * 72 * 20 / 96;
        m_cf.dwEffects = (font->lfWeight >= FW_BOLD ? CFE_BOLD : 0) | (font->lfItalic ? CFE_ITALIC : 0);
        m_cf.bCharSet = font->lfCharSet;
        m_cf.bPitchAndFamily = font->lfPitchAndFamily;
    }
}

INT_PTR CFontDialog::DoModal() {
    platform::ui::Request request;
    request.kind = platform::ui::RequestKind::Font;
    request.caption = "字体";
    request.text = platform::text::Format("%s %d", m_cf.szFaceName, static_cast<int>(m_cf.yHeight / 20));
    platform::ui::Answer answer = platform::ui::Ask(request);
    if (answer.cancel) {
        return IDCANCEL;
    }
    const platform::ui::FontChoice& f = answer.font;
    m_cf.cbSize = sizeof(CHARFORMATA);
    m_cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_FACE | CFM_SIZE | CFM_CHARSET;
    m_cf.dwEffects = (f.bold ? CFE_BOLD : 0) | (f.italic ? CFE_ITALIC : 0);
    m_cf.yHeight = f.pointSize * 20;
    m_cf.crTextColor = f.color;
    m_cf.bCharSet = f.charSet;
    m_cf.bPitchAndFamily = f.pitchAndFamily;
    std::string face = platform::text::TruncateGbk(f.face, LF_FACESIZE - 1);
    std::memset(m_cf.szFaceName, 0, sizeof m_cf.szFaceName);
    std::memcpy(m_cf.szFaceName, face.data(), face.size());
    return IDOK;
}

void CFontDialog::GetCharFormat(CHARFORMATA& format) const { format = m_cf; }

void CFontDialog::GetCurrentFont(LOGFONTA* font) const {
    if (!font) {
        return;
    }
    *font = LOGFONTA{};
    font->lfHeight = -(m_cf.yHeight * 96 / (72 * 20));
    font->lfWeight = (m_cf.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    font->lfItalic = (m_cf.dwEffects & CFE_ITALIC) ? 1 : 0;
    font->lfCharSet = m_cf.bCharSet;
    font->lfPitchAndFamily = m_cf.bPitchAndFamily;
    std::memcpy(font->lfFaceName, m_cf.szFaceName, sizeof font->lfFaceName);
}

CString CFontDialog::GetFaceName() const { return CString(m_cf.szFaceName); }
int CFontDialog::GetSize() const { return static_cast<int>(m_cf.yHeight / 2); }
COLORREF CFontDialog::GetColor() const { return m_cf.crTextColor; }
BOOL CFontDialog::IsBold() const { return (m_cf.dwEffects & CFE_BOLD) ? TRUE : FALSE; }
BOOL CFontDialog::IsItalic() const { return (m_cf.dwEffects & CFE_ITALIC) ? TRUE : FALSE; }

CColorDialog::CColorDialog(COLORREF initial, DWORD, CWnd*) : color_(initial) {}

INT_PTR CColorDialog::DoModal() {
    platform::ui::Request request;
    request.kind = platform::ui::RequestKind::Color;
    request.caption = "颜色";
    request.text = platform::text::Format("%u %u %u", color_ & 0xFF, (color_ >> 8) & 0xFF, (color_ >> 16) & 0xFF);
    platform::ui::Answer answer = platform::ui::Ask(request);
    if (answer.cancel) {
        return IDCANCEL;
    }
    color_ = answer.color;
    return IDOK;
}
