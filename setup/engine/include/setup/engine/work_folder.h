// The work folder below the temporary folder: the start-up unpacks the program's payload into it
// and the runs extract the package cabinet into it. A temporary folder such as "C:\Temp" is shared
// by every user of the machine, so whatever is found there may have been planted by someone else:
// it is taken apart first, and a link in it is removed as a link, never followed.
#pragma once

#include <string_view>

namespace Setup {

// What the taking apart leaves of the files at the top of the work folder.
enum class TopFiles {
    Remove,
    // Kept: the payload the start-up has just unpacked, or the files of an installer that an outer
    // one unpacked there and that runs from there. The package's own files all lie in folders, so
    // nothing kept at the top is ever installed.
    Keep,
};

// Takes the work folder apart and makes it afresh: every link in it goes as a link, every folder
// with all it holds (read-only entries included), and the files at its top unless kept; a link
// or a file put where the folder belongs goes too. True when the folder then stands as a folder
// of its own, not a link, holding nothing else.
bool RenewWorkFolder(std::u16string_view folder, TopFiles top);

// The start-up's choice: a program that runs from the work folder itself keeps its own files.
TopFiles StartUpTopFiles(std::u16string_view programPath, std::u16string_view folder);

}  // namespace Setup
