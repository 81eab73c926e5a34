// Names from the package's setup.xml that become parts of paths. Read unchecked, a product
// "..\..\Windows" would install into the Windows folder and a source "..\..\" would copy a whole
// drive; such names are refused when the file is read.
#pragma once

#include <string_view>

namespace Setup::detail {

// One path part: a folder or file name Windows accepts, which holds no separator, drive colon or
// other character Windows refuses, and is more than dots and blanks ("..", "...").
bool IsPlainName(std::u16string_view name);

// A relative path that stays below the folder it is joined to: plain names joined by "\" or "/",
// so no ".." part, no drive, no leading separator.
bool IsPathBelow(std::u16string_view path);

}  // namespace Setup::detail
