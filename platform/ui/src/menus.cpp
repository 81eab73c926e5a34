// Menu handles and pop-up menus.
#include "platform/ui/menus.h"

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/resources.h"

namespace {

struct Item {
    UINT id = 0;
    UINT flags = 0;
    std::string text;
    HMENU popup = nullptr;
};

struct Menu {
    bool isPopup = false;
    std::vector<Item> items;
};

std::recursive_mutex g_mutex;
std::map<HMENU, Menu>& Menus() {
    static auto* menus = new std::map<HMENU, Menu>();
    return *menus;
}
std::atomic<std::uintptr_t> g_next{0xA0000};

HMENU NewMenu(bool popup) {
    auto handle = reinterpret_cast<HMENU>(g_next.fetch_add(8));
    std::lock_guard lock(g_mutex);
    Menus()[handle].isPopup = popup;
    return handle;
}

Menu* Get(HMENU menu) {
    auto it = Menus().find(menu);
    return it == Menus().end() ? nullptr : &it->second;
}

// The item by command id (searching pop-ups too) or by position.
Item* Locate(HMENU menu, UINT item, UINT flags) {
    Menu* m = Get(menu);
    if (!m) {
        return nullptr;
    }
    if (flags & MF_BYPOSITION) {
        return item < m->items.size() ? &m->items[item] : nullptr;
    }
    for (auto& entry : m->items) {
        if (entry.popup) {
            if (Item* inner = Locate(entry.popup, item, flags)) {
                return inner;
            }
        } else if (entry.id == item && !(entry.flags & MF_SEPARATOR)) {
            return &entry;
        }
    }
    return nullptr;
}

Item MakeItem(UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    Item item;
    item.flags = flags;
    if (flags & MF_POPUP) {
        item.popup = reinterpret_cast<HMENU>(idOrPopup);
    } else {
        item.id = static_cast<UINT>(idOrPopup);
    }
    if (text && !(flags & MF_SEPARATOR)) {
        item.text = text;
    }
    return item;
}

HMENU Build(const std::vector<platform::ui::MenuItemTemplate>& items, bool popup) {
    HMENU menu = NewMenu(popup);
    for (auto& t : items) {
        if (!t.popup.empty()) {
            HMENU sub = Build(t.popup, true);
            AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), t.text.c_str());
        } else if (t.id == 0 && t.text.empty()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(menu, MF_STRING, t.id, t.text.c_str());
        }
    }
    return menu;
}

}  // namespace

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

BOOL DestroyMenu(HMENU menu) {
    std::lock_guard lock(g_mutex);
    Menu* m = Get(menu);
    if (!m) {
        return FALSE;
    }
    std::vector<HMENU> subs;
    for (auto& item : m->items) {
        if (item.popup) {
            subs.push_back(item.popup);
        }
    }
    Menus().erase(menu);
    for (HMENU sub : subs) {
        DestroyMenu(sub);
    }
    return TRUE;
}

BOOL IsMenu(HMENU menu) {
    std::lock_guard lock(g_mutex);
    return Get(menu) != nullptr;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    std::lock_guard lock(g_mutex);
    Menu* m = Get(menu);
    if (!m) {
        return FALSE;
    }
    m->items.push_back(MakeItem(flags, idOrPopup, text));
    return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    std::lock_guard lock(g_mutex);
    Menu* m = Get(menu);
    if (!m) {
        return FALSE;
    }
    std::size_t at = m->items.size();
    if (flags & MF_BYPOSITION) {
        at = std::min<std::size_t>(position, m->items.size());
    } else {
        for (std::size_t i = 0; i < m->items.size(); ++i) {
            if (m->items[i].id == position && !m->items[i].popup) {
                at = i;
                break;
            }
        }
    }
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at),
                    MakeItem(flags & ~MF_BYPOSITION, idOrPopup, text));
    return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) {
    std::lock_guard lock(g_mutex);
    Menu* m = Get(menu);
    if (!m) {
        return FALSE;
    }
    for (std::size_t i = 0; i < m->items.size(); ++i) {
        bool hit = (flags & MF_BYPOSITION) ? i == position : (m->items[i].id == position && !m->items[i].popup);
        if (hit) {
            HMENU sub = m->items[i].popup;
            m->items.erase(m->items.begin() + static_cast<std::ptrdiff_t>(i));
            if (sub) {
                DestroyMenu(sub);
            }
            return TRUE;
        }
    }
    return FALSE;
}

int GetMenuItemCount(HMENU menu) {
    std::lock_guard lock(g_mutex);
    Menu* m = Get(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
    std::lock_guard lock(g_mutex);
    Menu* m = Get(menu);
    if (!m || position < 0 || position >= static_cast<int>(m->items.size())) {
        return static_cast<UINT>(-1);
    }
    const Item& item = m->items[static_cast<std::size_t>(position)];
    if (item.popup) {
        return static_cast<UINT>(-1);
    }
    return (item.flags & MF_SEPARATOR) ? 0 : item.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
    std::lock_guard lock(g_mutex);
    Menu* m = Get(menu);
    if (!m || position < 0 || position >= static_cast<int>(m->items.size())) {
        return nullptr;
    }
    return m->items[static_cast<std::size_t>(position)].popup;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
    std::lock_guard lock(g_mutex);
    Item* entry = Locate(menu, item, flags);
    if (!entry) {
        return 0;
    }
    if (!buffer || size <= 0) {
        return static_cast<int>(entry->text.size());
    }
    std::string cut = platform::text::TruncateGbk(entry->text, static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, cut.data(), cut.size());
    buffer[cut.size()] = '\0';
    return static_cast<int>(cut.size());
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
    std::lock_guard lock(g_mutex);
    Item* entry = Locate(menu, item, flags);
    return entry ? entry->flags : static_cast<UINT>(-1);
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT flags) {
    std::lock_guard lock(g_mutex);
    Item* entry = Locate(menu, item, flags);
    if (!entry) {
        return static_cast<UINT>(-1);
    }
    UINT old = entry->flags & (MF_GRAYED | MF_DISABLED);
    entry->flags = (entry->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return old;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
    std::lock_guard lock(g_mutex);
    Item* entry = Locate(menu, item, flags);
    if (!entry) {
        return static_cast<DWORD>(-1);
    }
    DWORD old = entry->flags & MF_CHECKED;
    entry->flags = (entry->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
    return old;
}

HMENU LoadMenuA(HINSTANCE module, LPCSTR name) {
    UINT id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
    HINSTANCE from = module ? module : platform::ui::CurrentResources();
    const platform::ui::MenuTemplate* t = platform::ui::FindMenu(from, id);
    if (!t) {
        platform::ui::AppendTranscript(
            platform::text::Format("menu %u not found in %s", id, platform::ui::ResourceModuleName(from)));
        return nullptr;
    }
    return Build(t->items, false);
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
    platform::ui::Request request;
    request.kind = platform::ui::RequestKind::Menu;
    request.text = platform::text::Format("at %d,%d", x, y);
    {
        std::lock_guard lock(g_mutex);
        Menu* m = Get(menu);
        if (!m) {
            return FALSE;
        }
        for (auto& item : m->items) {
            if (item.flags & MF_SEPARATOR) {
                request.choices.push_back("-");
            } else {
                request.choices.push_back(platform::text::Format("%u %s", item.id, item.text));
            }
        }
    }
    if (owner && !(flags & TPM_NONOTIFY)) {
        SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    }
    platform::ui::Answer answer = platform::ui::Ask(request);
    if (answer.cancel) {
        return FALSE;
    }
    UINT id = static_cast<UINT>(answer.button);
    {
        std::lock_guard lock(g_mutex);
        Item* entry = Locate(menu, id, MF_BYCOMMAND);
        if (!entry || (entry->flags & (MF_GRAYED | MF_DISABLED))) {
            platform::ui::AppendTranscript(platform::text::Format("menu entry %u cannot be picked: nothing chosen", id));
            return FALSE;
        }
    }
    if (flags & TPM_RETURNCMD) {
        return static_cast<BOOL>(id);
    }
    if (owner) {
        PostMessageA(owner, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    return TRUE;
}
