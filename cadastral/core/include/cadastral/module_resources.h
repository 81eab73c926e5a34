// The module's resources (its dialog templates), registered with the UI layer once per process
// under the name "DeroPelgar". A dialog of the module runs with them made current.
#pragma once

#include "platform/ui/window_types.h"

namespace cadastral {

HINSTANCE ModuleResources();

}  // namespace cadastral
