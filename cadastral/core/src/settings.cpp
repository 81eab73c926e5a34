#include "cadastral/settings.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/text/gbk.h"
#include "platform/win/registry.h"

namespace cadastral {
namespace {

// The string reader's buffer: 254 bytes of text and the terminating zero.
constexpr DWORD kStringBuffer = 255;

// Keeps the key open for the reads of one call.
class SettingsKey {
public:
    SettingsKey() {
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~SettingsKey() {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool QueryDword(HKEY key, const char* name, std::int32_t& value) {
    BYTE data[4] = {};
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return false;
    std::memcpy(&value, data, sizeof value);
    return true;
}

}  // namespace

HostSettings& Settings() {
    static HostSettings settings;
    return settings;
}

void TrimSpaces(std::string& text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        text.clear();
        return;
    }
    text.erase(0, first);
    // Blanks and line feeds are single-byte characters that no GBK trail byte can be mistaken for.
    std::size_t last = text.find_last_not_of(" \n");
    text.erase(last == std::string::npos ? 0 : last + 1);
}

signed char QuanshuFromInteger(int value) {
    return static_cast<signed char>(value % 32);
}

void ReadRegistryDword(HKEY key, const char* name, int& target) {
    std::int32_t value = 0;
    if (QueryDword(key, name, value))
        target = value;
}

bool ReadRegistryReal(HKEY key, const char* name, double& target) {
    std::int32_t value = 0;
    if (!QueryDword(key, name, value))
        return false;
    target = value * 0.01;
    return true;
}

void ReadRegistryString(HKEY key, const char* name, std::string& target, std::size_t capacity) {
    target.clear();
    char buffer[kStringBuffer + 1] = {};
    DWORD size = kStringBuffer;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return;
    target = buffer;
    TrimSpaces(target);
    if (capacity > 0 && target.size() > capacity - 1) {
        target = platform::text::TruncateGbk(target, capacity - 1);
        TrimSpaces(target);
    }
}

int RealToHundredths(double value) {
    const double scaled = value * 100.0;
    if (!std::isfinite(scaled))
        return 0;
    // 0.29 * 100 is 28.999999999999996 in binary: a product this close to a whole number is that
    // number, so the value keeps the two decimals it was written with. Anything else is cut.
    const double nearest = std::nearbyint(scaled);
    const double tolerance = 1e-9 * std::fmax(1.0, std::fabs(scaled));
    double kept = std::fabs(scaled - nearest) <= tolerance ? nearest : std::trunc(scaled);
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    kept = std::fmin(std::fmax(kept, lowest), highest);
    return static_cast<int>(kept);
}

LONG WriteRegistryReal(HKEY key, const char* name, double value) {
    const std::int32_t stored = RealToHundredths(value);
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
}

void RereadDecimalSettings() {
    SettingsKey opened;
    if (opened.get() == nullptr)
        return;
    ReadRegistryDword(opened.get(), "dj_coorddot", Settings().dj_coorddot);
    ReadRegistryDword(opened.get(), "dj_distdot", Settings().dj_distdot);
}

void ReadHostSettings() {
    HostSettings& s = Settings();
    s = HostSettings{};
    SettingsKey opened;
    HKEY key = opened.get();
    if (key == nullptr) {
        s.Rdo54 = 1;
        s.czdist = 1.0;
        s.usecz = 1;
        s.tuoqiu = 0;
        return;
    }
    ReadRegistryDword(key, "Rdo54", s.Rdo54);
    ReadRegistryReal(key, "czdist", s.czdist);
    ReadRegistryDword(key, "usecz", s.usecz);
    ReadRegistryDword(key, "tuoqiu", s.tuoqiu);
    ReadRegistryString(key, "userpath", s.userpath, kPathCapacity);
    ReadRegistryString(key, "mapdbf", s.mapdbf, kPathCapacity);
    ReadRegistryDword(key, "dj_coorddot", s.dj_coorddot);
    ReadRegistryDword(key, "dj_distdot", s.dj_distdot);
    ReadRegistryDword(key, "dj_areadot", s.dj_areadot);
    ReadRegistryDword(key, "dj_jzdorder", s.dj_jzdorder);
    ReadRegistryDword(key, "dj_jzdstart", s.dj_jzdstart);
    ReadRegistryDword(key, "dj_mu", s.dj_mu);
    ReadRegistryDword(key, "dj_zdttext", s.dj_zdttext);
    ReadRegistryDword(key, "dj_manfu", s.dj_manfu);
    ReadRegistryDword(key, "dj_tufu", s.dj_tufu);
    // A missing value keeps the default 31 (the remainder of 31 is itself).
    int quanshu = s.dj_quanshu;
    ReadRegistryDword(key, "dj_quanshu", quanshu);
    s.dj_quanshu = QuanshuFromInteger(quanshu);
    ReadRegistryString(key, "dj_prefix", s.dj_prefix, kPrefixCapacity);
    ReadRegistryReal(key, "textfactor", s.textfactor);
    ReadRegistryString(key, "dj_cgbzhibiao", s.dj_cgbzhibiao, kNameCapacity);
    ReadRegistryString(key, "dj_cgbshenhe", s.dj_cgbshenhe, kNameCapacity);
    int intime = 0;
    ReadRegistryDword(key, "dj_jzdtxtintime", intime);
    s.dj_jzdtxtintime = intime != 0;
    ReadRegistryDword(key, "dj_jzddirect", s.dj_jzddirect);
    ReadRegistryString(key, "dj_zdthtr", s.dj_zdthtr, kNameCapacity);
    ReadRegistryString(key, "dj_zdtshr", s.dj_zdtshr, kNameCapacity);
    ReadRegistryString(key, "dj_userdjtk", s.dj_userdjtk, kTemplateCapacity);
    ReadRegistryReal(key, "dj_usertext", s.dj_usertext);
    ReadRegistryReal(key, "dj_userwidth", s.dj_userwidth);
    ReadRegistryReal(key, "dj_userhigh", s.dj_userhigh);
    ReadRegistryReal(key, "dj_userdhx", s.dj_userdhx);
    ReadRegistryReal(key, "dj_userdhy", s.dj_userdhy);
    ReadRegistryReal(key, "dj_userdwx", s.dj_userdwx);
    ReadRegistryReal(key, "dj_userdwy", s.dj_userdwy);
    ReadRegistryReal(key, "dj_usertfx", s.dj_usertfx);
    ReadRegistryReal(key, "dj_usertfy", s.dj_usertfy);
    ReadRegistryReal(key, "dj_zdheight", s.dj_zdheight);
    ReadRegistryReal(key, "dj_tbheight", s.dj_tbheight);
    ReadRegistryReal(key, "dj_userhuturiqix", s.dj_userhuturiqix);
    ReadRegistryReal(key, "dj_userhuturiqiy", s.dj_userhuturiqiy);
    ReadRegistryReal(key, "dj_userhuturenx", s.dj_userhuturenx);
    ReadRegistryReal(key, "dj_userhutureny", s.dj_userhutureny);
    ReadRegistryReal(key, "dj_usershenherenx", s.dj_usershenherenx);
    ReadRegistryReal(key, "dj_usershenhereny", s.dj_usershenhereny);
    if (!ReadRegistryReal(key, "min_dist", s.min_dist))
        s.min_dist = 0.1;
}

}  // namespace cadastral
