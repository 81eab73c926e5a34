// Icon handles over icon resources.
#include "platform/ui/icons.h"

#include <atomic>
#include <map>
#include <mutex>

#include "platform/text/format.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"

namespace {

std::mutex g_mutex;
std::map<HICON, platform::ui::IconInfo>& Icons() {
    static auto* icons = new std::map<HICON, platform::ui::IconInfo>();
    return *icons;
}
std::atomic<std::uintptr_t> g_next{0x1C000};

}  // namespace

HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT) {
    UINT id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
    HINSTANCE from = module ? module : platform::ui::CurrentResources();
    const platform::ui::IconResource* icon = type == IMAGE_ICON ? platform::ui::FindIcon(from, id) : nullptr;
    if (!icon) {
        platform::ui::AppendTranscript(
            platform::text::Format("icon %u not found in the resources of \"%s\"", id, platform::ui::ResourceModuleName(from)));
        return nullptr;
    }
    platform::ui::IconInfo info;
    info.module = from;
    info.id = id;
    info.width = cx > 0 ? cx : icon->width;
    info.height = cy > 0 ? cy : icon->height;
    auto handle = reinterpret_cast<HICON>(g_next.fetch_add(4));
    std::lock_guard lock(g_mutex);
    Icons()[handle] = info;
    return handle;
}

HICON LoadIconA(HINSTANCE module, LPCSTR name) { return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 0, 0, 0)); }

BOOL DestroyIcon(HICON icon) {
    std::lock_guard lock(g_mutex);
    return Icons().erase(icon) ? TRUE : FALSE;
}

namespace platform::ui {

bool GetIconInfo(HICON icon, IconInfo& info) {
    std::lock_guard lock(g_mutex);
    auto it = Icons().find(icon);
    if (it == Icons().end()) {
        return false;
    }
    info = it->second;
    return true;
}

}  // namespace platform::ui
