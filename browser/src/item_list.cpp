#include "browser/item_list.h"

const char* const kDefaultItemTitle = "信息";

std::vector<CInfoItem>& BrowserItems()
{
    static std::vector<CInfoItem> items;
    return items;
}

namespace {
ItemListView* g_view = nullptr;
}  // namespace

void SetItemListView(ItemListView* view) { g_view = view; }

std::size_t FindItem(const std::string& title)
{
    const std::vector<CInfoItem>& items = BrowserItems();
    std::size_t i = 0;
    while (i < items.size() && items[i].Title() != title)
        ++i;
    return i;
}

std::size_t FindOrAddItemTab(const std::string& title, const std::string& text)
{
    const std::string key = title.empty() ? std::string(kDefaultItemTitle) : title;
    std::vector<CInfoItem>& items = BrowserItems();
    std::size_t i = FindItem(key);
    if (i < items.size()) {
        items[i].AppendItemText(text);
        if (g_view != nullptr)
            g_view->ItemTextAdded(i, false);
        return i;
    }
    CInfoItem item;
    item.SetTitle(key);
    item.AppendItemText(text);
    items.push_back(item);
    if (g_view != nullptr)
        g_view->ItemTextAdded(i, true);
    return i;
}

void ClearItem(const std::string& title)
{
    if (title.empty())
        return;
    std::size_t i = FindItem(title);
    if (i >= BrowserItems().size())
        return;
    BrowserItems()[i].Clear();
    if (g_view != nullptr)
        g_view->ItemCleared(i);
}

void RemoveItem(const std::string& title)
{
    if (title.empty())
        return;
    std::vector<CInfoItem>& items = BrowserItems();
    std::size_t i = FindItem(title);
    if (i >= items.size())
        return;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
    if (g_view != nullptr)
        g_view->ItemRemoved(i);
}
