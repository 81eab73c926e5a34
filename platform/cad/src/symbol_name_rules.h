// The characters the host refuses in symbol names (layers, linetypes, styles, blocks...), shared by
// the symbol table, which refuses such a name, and the reader, which mends one another program wrote.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform::cad {

// The length of the name's character at byte i: a GBK character, or a whole \U+XXXX escape (how
// the host holds a character its code page lacks). At least 1 inside the name.
std::size_t SymbolNameCharLength(std::string_view name, std::size_t i);

// Whether the character of `length` bytes at byte i is refused in a symbol name: control
// characters, the wild-card and list characters, and '*' anywhere but first (block names).
bool IsRefusedSymbolNameChar(std::string_view name, std::size_t i, std::size_t length);

}  // namespace platform::cad
