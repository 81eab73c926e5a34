// The host's file search: a bare name is looked for in the current drawing's folder, then in the
// folders of the support path in order, then in the folder the host started in; a name with a
// folder is only checked. Names match without regard to case, and a drawing asked for as "x.dwg"
// is found as "x.dxf" too.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// RTNORM with the full path (Windows form, GBK) in result; RTERROR when not found or when the
// path does not fit in bufLen bytes with its terminating zero.
int acedFindFile(const char* fname, char* result, std::size_t bufLen = 260);

namespace platform::cad {
// Folders (Windows form or POSIX, GBK) searched after the drawing's own folder.
void SetSupportPath(std::vector<std::string> folders);
const std::vector<std::string>& SupportPath();
}  // namespace platform::cad
