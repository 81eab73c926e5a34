// The module's item list: one ordered array of items, found by title. The lowest index with an
// equal title (byte for byte) is the one used. Item i is shown by tab i once the browser's bar
// exists; until then the list is only kept.
#pragma once

#include <string>
#include <vector>

#include "browser/info_item.h"

// The title used when a sender gives none.
extern const char* const kDefaultItemTitle;

std::vector<CInfoItem>& BrowserItems();

// What shows the list (the browser's dialog once its bar exists) hears of each change the
// protocol makes, so that its tabs and text keep in step.
class ItemListView {
public:
    virtual ~ItemListView() = default;
    virtual void ItemTextAdded(std::size_t index, bool newItem) = 0;
    virtual void ItemCleared(std::size_t index) = 0;
    virtual void ItemRemoved(std::size_t index) = 0;
};

// Null: nothing shows the list.
void SetItemListView(ItemListView* view);

// Index of the first item with the title, or the item count when none has it.
std::size_t FindItem(const std::string& title);

// Appends the text as a new entry of the item with the title, adding the item at the end when
// none has it (an empty title stands for kDefaultItemTitle). Returns the item's index.
std::size_t FindOrAddItemTab(const std::string& title, const std::string& text);

// Empties the item's text and entries (it keeps its title and place); nothing for an empty title
// or one no item has.
void ClearItem(const std::string& title);

// Takes the item out of the list; nothing for an empty title or one no item has.
void RemoveItem(const std::string& title);
