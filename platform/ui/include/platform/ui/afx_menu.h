// The framework's menu object over a menu handle.
#pragma once

#include <map>
#include <memory>

#include "platform/ui/afx_wnd.h"
#include "platform/ui/dialog_manager.h"
#include "platform/ui/menus.h"

class CMenu {
public:
    CMenu() = default;
    ~CMenu() {
        if (owned_) {
            DestroyMenu();
        }
    }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu = nullptr;
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    // From the current resource module, as the framework loads it.
    BOOL LoadMenu(UINT id) { return Attach(::LoadMenuA(nullptr, MAKEINTRESOURCE(id))); }
    BOOL Attach(HMENU menu) {
        if (!menu || m_hMenu) {
            return FALSE;
        }
        m_hMenu = menu;
        return TRUE;
    }
    HMENU Detach() {
        HMENU menu = m_hMenu;
        m_hMenu = nullptr;
        return menu;
    }
    BOOL DestroyMenu() {
        subMenus_.clear();
        if (!m_hMenu) {
            return FALSE;
        }
        BOOL ok = ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
        return ok;
    }
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr) { return ::AppendMenuA(m_hMenu, flags, id, text); }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr) {
        return ::InsertMenuA(m_hMenu, position, flags, id, text);
    }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
    UINT GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
    UINT EnableMenuItem(UINT id, UINT flags) { return ::EnableMenuItem(m_hMenu, id, flags); }
    UINT CheckMenuItem(UINT id, UINT flags) { return static_cast<UINT>(::CheckMenuItem(m_hMenu, id, flags)); }
    int GetMenuString(UINT id, CString& text, UINT flags) const {
        char buffer[512] = {};
        int n = ::GetMenuStringA(m_hMenu, id, buffer, sizeof buffer, flags);
        text = buffer;
        return n;
    }
    // The pop-up at that position; the object is kept by this menu (the handle stays owned by it).
    CMenu* GetSubMenu(int position) {
        HMENU sub = ::GetSubMenu(m_hMenu, position);
        if (!sub) {
            return nullptr;
        }
        auto& slot = subMenus_[sub];
        if (!slot) {
            slot = std::make_unique<CMenu>();
            slot->m_hMenu = sub;
            slot->owned_ = false;
        }
        return slot.get();
    }
    BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr) {
        return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
    }

private:
    std::map<HMENU, std::unique_ptr<CMenu>> subMenus_;
    bool owned_ = true;  // sub-menu objects do not own their handles
};
