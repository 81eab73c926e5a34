// What mapping a Windows path learnt of the path itself on the way, so that the file call that
// asked for the mapping need not ask the same question again straight after.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "platform/win/win_types.h"

namespace platform::win {

struct PathSeen {
    enum class Kind {
        Unknown,          // not asked, or found only by another case
        Present,          // there as mapped: status is its own (a link is not followed)
        MissingInFolder,  // not there in any case, and the folder that would hold it is a folder:
                          // status is the folder's own
    };
    Kind kind = Kind::Unknown;
    struct stat status {};
};

// MapToLinux, telling also what was seen of the path.
std::string MapToLinuxSeeing(std::u16string_view windowsPath, LONG* error, PathSeen* seen);

}  // namespace platform::win
