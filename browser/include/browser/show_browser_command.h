// The command "KELVO_SHOW": shows the item list. Without the browser's bar, the items go to the
// command line, each entry with what it links to, so that a headless run shows what was received.
#pragma once

#include <string>

#include "browser/info_item.h"

// The lines that show one item: its title, then one line per entry.
std::string DescribeItem(const CInfoItem& item);

void ShowBrowserCommand();
