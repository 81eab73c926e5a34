// FDI is offered as the system module "Cabinet.dll": programs load it by name and look up its
// entry points, as they do on Windows.
#include "platform/fdi/fdi.h"
#include "platform/win/modules.h"

namespace {

const bool registered = [] {
    using platform::win::ExportOf;
    platform::win::RegisterSystemModule(u"Cabinet.dll", {
                                                            {"FDICreate", ExportOf(&FDICreate)},
                                                            {"FDICopy", ExportOf(&FDICopy)},
                                                            {"FDIIsCabinet", ExportOf(&FDIIsCabinet)},
                                                            {"FDIDestroy", ExportOf(&FDIDestroy)},
                                                        });
    return true;
}();

}  // namespace
