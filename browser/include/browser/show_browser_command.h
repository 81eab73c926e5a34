// The command "KELVO_SHOW": makes the browser's bar on its first run and shows it again later.
#pragma once

void ShowBrowserCommand();
