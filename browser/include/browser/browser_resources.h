// The browser's resources: the dialog shown in its bar, the pop-up menu of its menu button and the
// icons of its buttons, registered once in a resource module of their own.
#pragma once

#include "platform/ui/resources.h"

enum BrowserResourceId : UINT {
    IDD_INFO_VIEW = 200,
    IDC_INFO_TABS = 201,
    IDC_INFO_TEXT = 202,
    IDC_INFO_SAVE = 203,
    IDC_INFO_OPEN = 204,
    IDC_INFO_IMPORT = 205,
    IDC_INFO_SETTINGS = 206,
    IDC_INFO_HELP = 207,
    IDC_INFO_MENU = 208,
    IDC_INFO_EXPORT = 209,
    IDC_INFO_FONT = 210,
    IDC_INFO_BACKGROUND = 211,
    IDR_INFO_MENU = 216,
    ID_INFO_OPEN = 32768,
    ID_INFO_SAVE = 32769,
    ID_INFO_IMPORT = 32770,
    ID_INFO_EXPORT = 32771,
    ID_INFO_SETTINGS = 32772,
};

HINSTANCE BrowserResources();
