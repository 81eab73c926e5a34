#include "gisexchange/module_resources.h"

#include "gisexchange/file_list_dialog.h"
#include "platform/ui/resources.h"

namespace gisexchange {

HINSTANCE ModuleResources() {
    static HINSTANCE module = [] {
        HINSTANCE made = platform::ui::CreateResourceModule("Geoport");
        platform::ui::AddDialog(made, FileListDialogTemplate());
        return made;
    }();
    return module;
}

}  // namespace gisexchange
