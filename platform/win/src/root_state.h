// Process-wide state that hangs off the root: other parts are told when the root changes.
#pragma once

namespace platform::win {

// Called with the registry lock free whenever SetRoot changes the root.
void DropRegistryCache();

}  // namespace platform::win
