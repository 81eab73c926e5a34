#include "browser/show_browser_command.h"

#include "browser/info_view_bar.h"

void ShowBrowserCommand() { ShowBrowserBar(); }
