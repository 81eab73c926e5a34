// Module resources defined in code: dialog templates, menus, icons and strings, registered per
// module handle. Lookups go to the current resource module only, as on the desktop, so a dialog
// asked for while another module's resources are current is not found.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/window_types.h"

namespace platform::ui {

// Kinds of template controls; each maps to a window class and its base style.
enum class ControlKind {
    Static,
    PushButton,
    DefPushButton,
    CheckBox,       // automatic check box
    RadioButton,    // automatic radio button
    GroupBox,
    Edit,
    RichEdit,       // first rich edit version, class "RICHEDIT"
    ListBox,
    ComboBox,
    ListView,
    TreeView,
    TabControl,
    UpDown,
    Progress,
    Custom,         // className names the class
};

struct ControlTemplate {
    int id = -1;  // -1 for labels without an id
    ControlKind kind = ControlKind::Static;
    std::string caption;  // GBK
    int x = 0;            // dialog units
    int y = 0;
    int cx = 0;
    int cy = 0;
    DWORD style = 0;      // added to the kind's base style (WS_CHILD | WS_VISIBLE ...)
    DWORD exStyle = 0;
    std::string className;  // Custom only
    bool hidden = false;    // created without WS_VISIBLE
    bool disabled = false;
};

// A template control, for tables written in code: Control(203, ControlKind::Edit, "", 71, 30, 40, 14).
inline ControlTemplate Control(int id, ControlKind kind, std::string caption, int x, int y, int cx, int cy,
                               DWORD style = 0) {
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.caption = std::move(caption);
    c.x = x;
    c.y = y;
    c.cx = cx;
    c.cy = cy;
    c.style = style;
    return c;
}

struct DialogTemplate {
    UINT id = 0;
    std::string caption;  // GBK
    std::string fontFace = "MS Sans Serif";
    int pointSize = 8;
    int cx = 0;  // dialog units
    int cy = 0;
    DWORD style = 0;  // e.g. DS_MODALFRAME | WS_CAPTION | WS_SYSMENU, or WS_CHILD
    std::vector<ControlTemplate> controls;
    // Wide windows keep their texts in UTF-16, so what a person types need not fit GBK.
    bool unicode = false;
};

struct MenuItemTemplate {
    UINT id = 0;  // 0 with an empty text is a separator
    std::string text;
    std::vector<MenuItemTemplate> popup;  // non-empty: a pop-up
};

struct MenuTemplate {
    UINT id = 0;
    std::vector<MenuItemTemplate> items;
};

struct IconResource {
    UINT id = 0;
    int width = 32;
    int height = 32;
};

// Creates a resource module (a module handle that holds resources) with a name for messages.
HINSTANCE CreateResourceModule(const std::string& name);
std::string ResourceModuleName(HINSTANCE module);
void AddDialog(HINSTANCE module, DialogTemplate dialog);
void AddMenu(HINSTANCE module, MenuTemplate menu);
void AddIcon(HINSTANCE module, IconResource icon);
void AddString(HINSTANCE module, UINT id, std::string text);

// Lookups in one module; null when it has no such resource.
const DialogTemplate* FindDialog(HINSTANCE module, UINT id);
const MenuTemplate* FindMenu(HINSTANCE module, UINT id);
const IconResource* FindIcon(HINSTANCE module, UINT id);
#ifdef DERO_HOST_EXTRAS
const std::string* FindString(HINSTANCE module, UINT id);
#endif

// The current resource module of this thread (initially the application's, see
// SetApplicationResources) and a scope that makes another one current for its lifetime.
HINSTANCE CurrentResources();
void SetCurrentResources(HINSTANCE module);
void SetApplicationResources(HINSTANCE module);

class ResourceScope {
public:
    explicit ResourceScope(HINSTANCE module);
    ~ResourceScope();
    ResourceScope(const ResourceScope&) = delete;
    ResourceScope& operator=(const ResourceScope&) = delete;

private:
    HINSTANCE saved_;
};

// Dialog units to pixels for a template font: average character width and height in pixels.
SIZE DialogBaseUnits(const std::string& fontFace, int pointSize);
RECT DialogUnitsToPixels(const RECT& units, SIZE baseUnits);

}  // namespace platform::ui

// The framework's resource-handle calls.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
HINSTANCE AfxGetInstanceHandle();

// The string resource into the buffer, cut to size - 1 bytes and ended; the bytes copied, 0 when
// the module has no such string.
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);
