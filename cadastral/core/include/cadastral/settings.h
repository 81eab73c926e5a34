// The per-user settings of the product, read once at load from Software\Quorvane\Dero under the
// current user. Only the minimum gap is ever written by the toolkit, through
// the dialog of `setmindist`.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/win/win_types.h"

namespace cadastral {

// The key of the settings, under HKEY_CURRENT_USER.
inline constexpr const char* kSettingsKey = "Software\\Quorvane\\Dero";

// Text settings keep at most capacity - 1 bytes (the capacities of the record count the
// terminating zero); a longer value is cut at a character boundary.
inline constexpr std::size_t kPathCapacity = 264;
inline constexpr std::size_t kPrefixCapacity = 20;
inline constexpr std::size_t kNameCapacity = 32;
inline constexpr std::size_t kTemplateCapacity = 56;

// Defaults as at module load; the record's fields are read in this order.
struct HostSettings {
    int Rdo54 = 0;
    double czdist = 0.0;
    int usecz = 0;
    int tuoqiu = 0;
    std::string userpath = "..\\demo\\";
    std::string mapdbf = "mapinfo.mdb";
    int dj_coorddot = 3;
    int dj_distdot = 2;
    int dj_areadot = 1;
    int dj_jzdorder = 0;
    int dj_jzdstart = 0;
    int dj_mu = 0;
    int dj_zdttext = 0;
    int dj_manfu = 0;
    int dj_tufu = 0;
    signed char dj_quanshu = 31;
    std::string dj_prefix;
    double textfactor = 0.8;
    std::string dj_cgbzhibiao;
    std::string dj_cgbshenhe;
    bool dj_jzdtxtintime = false;
    int dj_jzddirect = 0;
    std::string dj_zdthtr;
    std::string dj_zdtshr;
    std::string dj_userdjtk = "gddjtk4";
    double dj_usertext = 3.0;
    double dj_userwidth = 130.0;
    double dj_userhigh = 140.0;
    double dj_userdhx = 19.0;
    double dj_userdhy = 153.5;
    double dj_userdwx = 81.0;
    double dj_userdwy = 150.5;
    double dj_usertfx = 19.0;
    double dj_usertfy = 146.5;
    double dj_zdheight = 2.0;
    double dj_tbheight = 2.0;
    double dj_userhuturiqix = 19.0;
    double dj_userhuturiqiy = 3.0;
    double dj_userhuturenx = 96.0;
    double dj_userhutureny = 3.0;
    double dj_usershenherenx = 96.0;
    double dj_usershenhereny = 3.0;
    double min_dist = 0.1;  // metres
};

// The module's one settings record.
HostSettings& Settings();

// Reads the whole record from the registry, starting from the defaults. Without the key,
// Rdo54 = 1, czdist = 1.0, usecz = 1, tuoqiu = 0 and the rest keep their defaults.
void ReadHostSettings();

// Reads dj_coorddot and dj_distdot again, for the commands that print coordinates and distances
// with the decimals a user may have changed since the module was loaded; a missing key or value
// keeps what is held.
void RereadDecimalSettings();

// Reads a 4-byte value into target; a value that cannot be read leaves it unchanged.
void ReadRegistryDword(HKEY key, const char* name, int& target);
// Reads a 4-byte value as hundredths; false (target unchanged) when it cannot be read.
bool ReadRegistryReal(HKEY key, const char* name, double& target);
// Empties target, then reads a text of at most 254 bytes, trims it and keeps at most
// capacity - 1 bytes of it. A missing or longer value leaves target empty.
void ReadRegistryString(HKEY key, const char* name, std::string& target, std::size_t capacity);
// Writes the real as a REG_DWORD of hundredths: the decimal value cut after two decimals, toward
// zero (0.29 -> 29, 0.057 -> 5, -0.057 -> -5). A product that lies within a rounding error of a
// whole number counts as that number, so a value that has two decimals keeps them exactly.
LONG WriteRegistryReal(HKEY key, const char* name, double value);
// The integer WriteRegistryReal stores for the value.
int RealToHundredths(double value);

// Removes leading blanks and tabs, then trailing blanks and line feeds (trailing tabs stay).
void TrimSpaces(std::string& text);

// The remainder of the integer divided by 32, with the sign of the dividend, as one signed byte.
signed char QuanshuFromInteger(int value);

}  // namespace cadastral
