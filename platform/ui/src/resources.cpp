// Resource modules, their lookups and the current-resource setting.
#include "platform/ui/resources.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace platform::ui {
namespace {

struct Module {
    std::string name;
    std::map<UINT, DialogTemplate> dialogs;
    std::map<UINT, MenuTemplate> menus;
    std::map<UINT, IconResource> icons;
    std::map<UINT, std::string> strings;
};

std::mutex g_mutex;
std::map<HINSTANCE, std::unique_ptr<Module>>& Modules() {
    static auto* modules = new std::map<HINSTANCE, std::unique_ptr<Module>>();
    return *modules;
}
std::atomic<std::uintptr_t> g_next{0x51000};
std::atomic<HINSTANCE> g_application{nullptr};
thread_local HINSTANCE t_current = nullptr;
thread_local bool t_currentSet = false;

Module* Get(HINSTANCE module) {
    auto it = Modules().find(module);
    return it == Modules().end() ? nullptr : it->second.get();
}

template <typename T>
const T* Lookup(HINSTANCE module, UINT id, std::map<UINT, T> Module::*member) {
    std::lock_guard lock(g_mutex);
    Module* m = Get(module);
    if (!m) {
        return nullptr;
    }
    auto it = (m->*member).find(id);
    // Entries are never removed, so the address stays valid after the lock is released.
    return it == (m->*member).end() ? nullptr : &it->second;
}

}  // namespace

HINSTANCE CreateResourceModule(const std::string& name) {
    auto handle = reinterpret_cast<HINSTANCE>(g_next.fetch_add(0x10));
    auto module = std::make_unique<Module>();
    module->name = name;
    std::lock_guard lock(g_mutex);
    Modules()[handle] = std::move(module);
    return handle;
}

std::string ResourceModuleName(HINSTANCE module) {
    std::lock_guard lock(g_mutex);
    Module* m = Get(module);
    return m ? m->name : std::string();
}

void AddDialog(HINSTANCE module, DialogTemplate dialog) {
    std::lock_guard lock(g_mutex);
    if (Module* m = Get(module)) {
        UINT id = dialog.id;
        m->dialogs.insert_or_assign(id, std::move(dialog));
    }
}
void AddMenu(HINSTANCE module, MenuTemplate menu) {
    std::lock_guard lock(g_mutex);
    if (Module* m = Get(module)) {
        UINT id = menu.id;
        m->menus.insert_or_assign(id, std::move(menu));
    }
}
void AddIcon(HINSTANCE module, IconResource icon) {
    std::lock_guard lock(g_mutex);
    if (Module* m = Get(module)) {
        m->icons.insert_or_assign(icon.id, icon);
    }
}
void AddString(HINSTANCE module, UINT id, std::string text) {
    std::lock_guard lock(g_mutex);
    if (Module* m = Get(module)) {
        m->strings.insert_or_assign(id, std::move(text));
    }
}

const DialogTemplate* FindDialog(HINSTANCE module, UINT id) { return Lookup(module, id, &Module::dialogs); }
const MenuTemplate* FindMenu(HINSTANCE module, UINT id) { return Lookup(module, id, &Module::menus); }
const IconResource* FindIcon(HINSTANCE module, UINT id) { return Lookup(module, id, &Module::icons); }
const std::string* FindString(HINSTANCE module, UINT id) { return Lookup(module, id, &Module::strings); }

HINSTANCE CurrentResources() { return t_currentSet ? t_current : g_application.load(); }
void SetCurrentResources(HINSTANCE module) {
    t_current = module;
    t_currentSet = true;
}
void SetApplicationResources(HINSTANCE module) { g_application = module; }

ResourceScope::ResourceScope(HINSTANCE module) : saved_(CurrentResources()) { SetCurrentResources(module); }
ResourceScope::~ResourceScope() { SetCurrentResources(saved_); }

SIZE DialogBaseUnits(const std::string&, int pointSize) {
    // A 96-dpi screen: the font's pixel height, and an average width of half of it, which is what
    // the usual CJK-capable fonts give for their single-byte characters.
    int height = (std::max(pointSize, 1) * 96 + 71) / 72;
    return SIZE{std::max(height / 2, 1), height};
}

RECT DialogUnitsToPixels(const RECT& units, SIZE base) {
    return RECT{units.left * base.cx / 4, units.top * base.cy / 8, units.right * base.cx / 4,
                units.bottom * base.cy / 8};
}

}  // namespace platform::ui

HINSTANCE AfxGetResourceHandle() { return platform::ui::CurrentResources(); }
void AfxSetResourceHandle(HINSTANCE module) { platform::ui::SetCurrentResources(module); }
HINSTANCE AfxGetInstanceHandle() { return platform::ui::CurrentResources(); }

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return 0;
    const std::string* text = platform::ui::FindString(module, id);
    const std::size_t count = text == nullptr ? 0 : std::min(text->size(), static_cast<std::size_t>(size - 1));
    if (count > 0)
        std::memcpy(buffer, text->data(), count);
    buffer[count] = '\0';
    return static_cast<int>(count);
}
