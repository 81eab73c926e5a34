#include "browser/browser_settings.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/text/gbk.h"
#include "platform/win/registry.h"

const char* const kBrowserSettingsKey = "Software\\Dero\\Tallyview";

namespace {

constexpr DWORD kMaxStringBytes = 255;

// The twelve link values in the order they are read and written.
struct LinkValue {
    const char* name;
    int LinkSettings::*field;
    LinkSettings BrowserLinkSettings::*group;
};
constexpr LinkValue kLinkValues[] = {
    {"Redraw_Ent", &LinkSettings::redraw, &BrowserLinkSettings::entity},
    {"Redraw_Point", &LinkSettings::redraw, &BrowserLinkSettings::point},
    {"Redraw_Line", &LinkSettings::redraw, &BrowserLinkSettings::line},
    {"Redraw_Region", &LinkSettings::redraw, &BrowserLinkSettings::region},
    {"Scale_Ent", &LinkSettings::scale, &BrowserLinkSettings::entity},
    {"Scale_Point", &LinkSettings::scale, &BrowserLinkSettings::point},
    {"Scale_Line", &LinkSettings::scale, &BrowserLinkSettings::line},
    {"Scale_Region", &LinkSettings::scale, &BrowserLinkSettings::region},
    {"Times_Ent", &LinkSettings::times, &BrowserLinkSettings::entity},
    {"Times_Point", &LinkSettings::times, &BrowserLinkSettings::point},
    {"Times_Line", &LinkSettings::times, &BrowserLinkSettings::line},
    {"Times_Region", &LinkSettings::times, &BrowserLinkSettings::region},
};

// Closes the key when it goes out of scope.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (m_key != nullptr) RegCloseKey(m_key);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    bool OpenForReading() {
        return RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, KEY_READ, &m_key) == ERROR_SUCCESS;
    }
    bool CreateForWriting() {
        return RegCreateKeyExA(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                               nullptr, &m_key, nullptr) == ERROR_SUCCESS;
    }
    template <typename T>
    void Read(const char* name, T& value) const {
        DWORD data = 0;
        DWORD type = 0;
        DWORD size = sizeof data;
        if (RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&data), &size) == ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof data)
            value = static_cast<T>(data);
    }
    std::string ReadString(const char* name) const {
        char buffer[kMaxStringBytes + 1] = {};
        DWORD type = 0;
        DWORD size = kMaxStringBytes;
        if (RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            return {};
        std::string text(buffer, strnlen(buffer, std::min<DWORD>(size, kMaxStringBytes)));
        text.erase(0, text.find_first_not_of(" \t"));
        // Blanks and line feeds are single-byte and never GBK trail bytes, so trimming bytes is safe.
        text.erase(text.find_last_not_of(" \n") + 1);
        return text;
    }
    void Write(const char* name, DWORD value) {
        RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void WriteString(const char* name, const char* text) {
        RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
    }

private:
    HKEY m_key = nullptr;
};

}  // namespace

BrowserLinkSettings& ActiveLinkSettings() {
    static BrowserLinkSettings links;
    return links;
}

int UsedZoomScale(const LinkSettings& settings) { return std::clamp(settings.scale, kMinZoomScale, kMaxZoomScale); }

int UsedFlashCount(const LinkSettings& settings) { return std::clamp(settings.times, kMinFlashCount, kMaxFlashCount); }

BrowserSettings ReadBrowserSettings() {
    BrowserSettings settings;
    RegKey key;
    if (!key.OpenForReading()) return settings;
    // Font values missing from the key are 0, the size field included.
    CHARFORMATA format;
    format.cbSize = 0;
    key.Read("BgColor", settings.background);
    key.Read("Font_CharSet", format.bCharSet);
    key.Read("Font_PitchAndFamily", format.bPitchAndFamily);
    key.Read("Font_Size", format.cbSize);
    key.Read("Font_TextColor", format.crTextColor);
    key.Read("Font_Effects", format.dwEffects);
    key.Read("Font_Mask", format.dwMask);
    const std::string face = platform::text::TruncateGbk(key.ReadString("FaceName"), LF_FACESIZE - 1);
    std::memcpy(format.szFaceName, face.c_str(), face.size() + 1);
    key.Read("Height", format.yHeight);
    key.Read("Offset", format.yOffset);
    for (const LinkValue& value : kLinkValues) key.Read(value.name, settings.links.*value.group.*value.field);
    settings.charFormat = format;
    return settings;
}

bool WriteLinkSettings(const BrowserLinkSettings& links) {
    RegKey key;
    if (!key.CreateForWriting()) return false;
    for (const LinkValue& value : kLinkValues) key.Write(value.name, static_cast<DWORD>(links.*value.group.*value.field));
    return true;
}

bool WriteFontSettings(const CHARFORMATA& format) {
    RegKey key;
    if (!key.CreateForWriting()) return false;
    key.Write("Font_CharSet", format.bCharSet);
    key.Write("Font_PitchAndFamily", format.bPitchAndFamily);
    key.Write("Font_Size", format.cbSize);
    key.Write("Font_TextColor", format.crTextColor);
    key.Write("Font_Effects", format.dwEffects);
    key.Write("Font_Mask", format.dwMask);
    key.WriteString("FaceName", std::string(format.szFaceName, strnlen(format.szFaceName, LF_FACESIZE)).c_str());
    key.Write("Height", static_cast<DWORD>(format.yHeight));
    key.Write("Offset", static_cast<DWORD>(format.yOffset));
    return true;
}

bool WriteBackgroundColor(COLORREF color) {
    RegKey key;
    if (!key.CreateForWriting()) return false;
    key.Write("BgColor", color);
    return true;
}
