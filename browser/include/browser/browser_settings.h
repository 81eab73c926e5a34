// The browser's per-user settings in the registry key "Software\Dero\Tallyview" of the current
// user: the rich edit's background colour and default character format, and for each kind of link
// whether activation zooms, the zoom scale and the flash count.
//
// The values are stored as the user typed them; the clamped forms are what activation uses, so a
// value typed past the dialog's ranges can neither widen a zoom without bound nor block the host
// for minutes of flashing.
#pragma once

#include <optional>

#include "platform/ui/messages.h"

extern const char* const kBrowserSettingsKey;

struct LinkSettings {
    int redraw = 1;  // non-zero: activation zooms
    int scale = 30;  // zoom scale, 1 to 100 in the dialog
    int times = 0;   // flash count, 0 to 9 in the dialog
    bool operator==(const LinkSettings&) const = default;
};

constexpr int kMinZoomScale = 1;
constexpr int kMaxZoomScale = 100;
constexpr int kMinFlashCount = 0;
constexpr int kMaxFlashCount = 9;

int UsedZoomScale(const LinkSettings& settings);
int UsedFlashCount(const LinkSettings& settings);

struct BrowserLinkSettings {
    LinkSettings entity;
    LinkSettings point;
    LinkSettings line;
    LinkSettings region;
    bool operator==(const BrowserLinkSettings&) const = default;
};

// The link settings in force in this module: the defaults until the browser's dialog first starts
// and loads them.
BrowserLinkSettings& ActiveLinkSettings();

struct BrowserSettings {
    BrowserLinkSettings links;
    COLORREF background = 0xFFFFFF;
    // Present only when the key exists; font values missing from it are 0.
    std::optional<CHARFORMATA> charFormat;
};

// The defaults, overridden by every value that exists in the registry and reads.
BrowserSettings ReadBrowserSettings();

// Each returns false, writing nothing, when the key can neither be created nor opened for writing.
bool WriteLinkSettings(const BrowserLinkSettings& links);
bool WriteFontSettings(const CHARFORMATA& format);
bool WriteBackgroundColor(COLORREF color);
