#include "gisexchange/module_resources.h"

#include "platform/ui/resources.h"

namespace gisexchange {

HINSTANCE ModuleResources() {
    static HINSTANCE module = platform::ui::CreateResourceModule("Geoport");
    return module;
}

}  // namespace gisexchange
