// The shell link object and its readable ".lnk" text.
#include "platform/win/shell_link.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "platform/text/encoding.h"
#include "platform/win/file_handles.h"

namespace platform::win {
namespace {

constexpr std::string_view kHeader = "[Dero shell link]";

std::string Escape(const std::u16string& value) {
    std::string out;
    for (const char c : text::Utf16ToUtf8(value)) {
        if (c == '%')
            out += "%25";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

std::u16string Unescape(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            const std::string_view code = value.substr(i + 1, 2);
            if (code == "25")
                out += '%';
            else if (code == "0D")
                out += '\r';
            else if (code == "0A")
                out += '\n';
            else {
                out += '%';
                continue;
            }
            i += 2;
        } else {
            out += value[i];
        }
    }
    return text::Utf8ToUtf16(out);
}

HRESULT CopyOut(const std::u16string& value, LPWSTR buffer, int size) {
    if (!buffer || size <= 0)
        return E_INVALIDARG;
    const std::size_t n = std::min(value.size(), static_cast<std::size_t>(size - 1));
    std::copy_n(value.begin(), n, buffer);
    buffer[n] = 0;
    return S_OK;
}

HRESULT LastErrorResult() {
    return HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_FUNCTION);
}

bool ParseInt(std::string_view text, long* value) {
    if (text.empty())
        return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size())
        return false;
    long result = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9' || result > 100000000)
            return false;
        result = result * 10 + (text[i] - '0');
    }
    *value = text[0] == '-' ? -result : result;
    return true;
}

class ShellLink final : public IShellLinkW, public IPersistFile {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IShellLinkW) {
            *object = static_cast<IShellLinkW*>(this);
        } else if (iid == IID_IPersistFile || iid == IID_IPersist) {
            *object = static_cast<IPersistFile*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

    HRESULT GetPath(LPWSTR file, int size, WIN32_FIND_DATAW* findData, DWORD) override {
        if (findData) {
            std::memset(findData, 0, sizeof *findData);
            const auto cut = target_.find_last_of(u"\\/");
            const std::u16string name = cut == std::u16string::npos ? target_ : target_.substr(cut + 1);
            CopyOut(name, findData->cFileName, MAX_PATH);
        }
        const HRESULT copied = CopyOut(target_, file, size);
        return FAILED(copied) ? copied : target_.empty() ? S_FALSE : S_OK;
    }
    HRESULT GetIDList(PIDLIST_ABSOLUTE* list) override {
        if (list)
            *list = nullptr;
        return E_NOTIMPL;
    }
    HRESULT SetIDList(PCIDLIST_ABSOLUTE) override { return E_NOTIMPL; }
    HRESULT GetDescription(LPWSTR name, int size) override { return CopyOut(description_, name, size); }
    HRESULT SetDescription(LPCWSTR name) override { return Set(description_, name); }
    HRESULT GetWorkingDirectory(LPWSTR folder, int size) override { return CopyOut(folder_, folder, size); }
    HRESULT SetWorkingDirectory(LPCWSTR folder) override { return Set(folder_, folder); }
    HRESULT GetArguments(LPWSTR arguments, int size) override { return CopyOut(arguments_, arguments, size); }
    HRESULT SetArguments(LPCWSTR arguments) override { return Set(arguments_, arguments); }
    HRESULT GetHotkey(WORD* hotkey) override {
        if (!hotkey)
            return E_POINTER;
        *hotkey = hotkey_;
        return S_OK;
    }
    HRESULT SetHotkey(WORD hotkey) override {
        hotkey_ = hotkey;
        dirty_ = true;
        return S_OK;
    }
    HRESULT GetShowCmd(int* show) override {
        if (!show)
            return E_POINTER;
        *show = show_;
        return S_OK;
    }
    HRESULT SetShowCmd(int show) override {
        show_ = show;
        dirty_ = true;
        return S_OK;
    }
    HRESULT GetIconLocation(LPWSTR iconPath, int size, int* index) override {
        if (!index)
            return E_POINTER;
        *index = iconIndex_;
        return CopyOut(iconPath_, iconPath, size);
    }
    HRESULT SetIconLocation(LPCWSTR iconPath, int index) override {
        iconIndex_ = index;
        return Set(iconPath_, iconPath);
    }
    HRESULT SetRelativePath(LPCWSTR, DWORD) override { return S_OK; }
    HRESULT Resolve(HWND, DWORD) override { return S_OK; }
    HRESULT SetPath(LPCWSTR file) override {
        if (!file)
            return E_INVALIDARG;
        return Set(target_, file);
    }

    HRESULT GetClassID(CLSID* clsid) override {
        if (!clsid)
            return E_POINTER;
        *clsid = CLSID_ShellLink;
        return S_OK;
    }
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(LPCOLESTR fileName, DWORD) override;
    HRESULT Save(LPCOLESTR fileName, BOOL remember) override;
    HRESULT SaveCompleted(LPCOLESTR) override { return S_OK; }
    HRESULT GetCurFile(LPOLESTR* fileName) override {
        if (!fileName)
            return E_POINTER;
        *fileName = nullptr;
        if (current_.empty())
            return S_FALSE;
        auto* copy = static_cast<WCHAR*>(CoTaskMemAlloc((current_.size() + 1) * sizeof(WCHAR)));
        if (!copy)
            return E_OUTOFMEMORY;
        std::copy(current_.begin(), current_.end(), copy);
        copy[current_.size()] = 0;
        *fileName = copy;
        return S_OK;
    }

private:
    HRESULT Set(std::u16string& field, LPCWSTR value) {
        field = value ? value : u"";
        dirty_ = true;
        return S_OK;
    }
    std::string Text() const;
    bool Parse(std::string_view text);

    std::atomic<ULONG> references_{1};
    std::u16string target_, arguments_, folder_, description_, iconPath_, current_;
    int iconIndex_ = 0;
    int show_ = 1;  // SW_SHOWNORMAL
    WORD hotkey_ = 0;
    bool dirty_ = false;
};

std::string ShellLink::Text() const {
    std::string text(kHeader);
    text += "\r\nTarget=" + Escape(target_);
    text += "\r\nArguments=" + Escape(arguments_);
    text += "\r\nWorkingDirectory=" + Escape(folder_);
    text += "\r\nDescription=" + Escape(description_);
    text += "\r\nIconLocation=" + Escape(iconPath_);
    text += "\r\nIconIndex=" + std::to_string(iconIndex_);
    text += "\r\nShowCommand=" + std::to_string(show_);
    text += "\r\nHotkey=" + std::to_string(hotkey_);
    text += "\r\n";
    return text;
}

bool ShellLink::Parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::size_t start = 0;
    bool first = true;
    ShellLink parsed;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (line != kHeader)
                return false;
            first = false;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        long number = 0;
        if (key == "Target")
            parsed.target_ = Unescape(value);
        else if (key == "Arguments")
            parsed.arguments_ = Unescape(value);
        else if (key == "WorkingDirectory")
            parsed.folder_ = Unescape(value);
        else if (key == "Description")
            parsed.description_ = Unescape(value);
        else if (key == "IconLocation")
            parsed.iconPath_ = Unescape(value);
        else if (key == "IconIndex" && ParseInt(value, &number))
            parsed.iconIndex_ = static_cast<int>(number);
        else if (key == "ShowCommand" && ParseInt(value, &number))
            parsed.show_ = static_cast<int>(number);
        else if (key == "Hotkey" && ParseInt(value, &number) && number >= 0 && number <= 0xFFFF)
            parsed.hotkey_ = static_cast<WORD>(number);
    }
    if (first)
        return false;
    target_ = std::move(parsed.target_);
    arguments_ = std::move(parsed.arguments_);
    folder_ = std::move(parsed.folder_);
    description_ = std::move(parsed.description_);
    iconPath_ = std::move(parsed.iconPath_);
    iconIndex_ = parsed.iconIndex_;
    show_ = parsed.show_;
    hotkey_ = parsed.hotkey_;
    return true;
}

HRESULT ShellLink::Load(LPCOLESTR fileName, DWORD) {
    if (!fileName || !*fileName)
        return E_INVALIDARG;
    const HANDLE file =
        CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? STG_E_FILENOTFOUND
                                                                              : HRESULT_FROM_WIN32(error);
    }
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    BOOL ok;
    // A link is a few hundred bytes; anything far larger is not one.
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0 && text.size() < (1u << 20))
        text.append(buffer, got);
    const HRESULT readResult = ok ? S_OK : LastErrorResult();
    CloseHandle(file);
    if (FAILED(readResult))
        return readResult;
    if (!Parse(text))
        return E_FAIL;
    current_ = fileName;
    dirty_ = false;
    return S_OK;
}

HRESULT ShellLink::Save(LPCOLESTR fileName, BOOL remember) {
    const std::u16string path = fileName ? std::u16string(fileName) : current_;
    if (path.empty())
        return E_INVALIDARG;
    const std::string text = Text();
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return LastErrorResult();
    DWORD written = 0;
    HRESULT result = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
                         ? S_OK
                         : LastErrorResult();
    if (!CloseHandle(file) && SUCCEEDED(result))
        result = LastErrorResult();
    if (FAILED(result)) {
        // Never leave half a link behind as if it were one.
        DeleteFileW(path.c_str());
        return result;
    }
    if (remember || !fileName) {
        current_ = path;
        dirty_ = false;
    }
    return S_OK;
}

HRESULT CreateShellLink(REFIID iid, void** object) {
    auto* link = new ShellLink();
    const HRESULT result = link->QueryInterface(iid, object);
    link->Release();
    return result;
}

const bool registered = [] {
    RegisterComClass(CLSID_ShellLink, &CreateShellLink);
    return true;
}();

}  // namespace
}  // namespace platform::win
