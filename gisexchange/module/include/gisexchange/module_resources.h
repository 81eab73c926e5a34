// The module's resources, registered with the UI layer once per process under the name "Geoport".
// A dialog of the module runs with them made current.
#pragma once

#include "platform/ui/window_types.h"

namespace gisexchange {

HINSTANCE ModuleResources();

}  // namespace gisexchange
