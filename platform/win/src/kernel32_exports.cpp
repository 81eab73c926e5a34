// The calls programs look up by name in "kernel32.dll".
#include "platform/win/folders.h"
#include "platform/win/modules.h"

namespace {

const bool registered = [] {
    using platform::win::ExportOf;
    platform::win::RegisterSystemModule(u"kernel32.dll",
                                        {
                                            {"GetDiskFreeSpaceExW", ExportOf(&GetDiskFreeSpaceExW)},
                                            {"GetDiskFreeSpaceExA", ExportOf(&GetDiskFreeSpaceExA)},
                                        });
    return true;
}();

}  // namespace
