// The receiving end of the item-list protocol: the LISP function "kelvo_receive" through which the
// other plug-ins hand findings to the browser. The list is a short code, a title and, for codes 0
// to 5, a text followed by the code's geometry:
//   -2 remove the item, -1 empty it, 0 text only, 1 selection set, 2 line (two points),
//   3 point, 4 polyline (points to the end), 5 region (points, each ring closed by a short).
// Other codes are accepted and change nothing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/cad/resbuf.h"

// Longest title and text kept, in bytes of the host's code page; longer ones are cut on a
// character boundary.
constexpr std::size_t kMaxTitleBytes = 499;
constexpr std::size_t kMaxTextBytes = 4999;

// Applies one argument list (without the function name) to the item list. RTERROR, changing
// nothing, for an empty list, a first element that is not a short, or a list too short for its
// code or holding an element of the wrong type; RTNORM otherwise.
int ReceiveItemList(const resbuf* args);

// The LISP function: ReceiveItemList on the invocation's arguments, then one pass of the host's
// message pump when the list was accepted.
int kelvo_receive();

// Appends the hexadecimal handle of every member of the set whose name the host gives.
void SelectionToHandles(const ads_name selection, std::vector<std::string>& handles);

// The handle (group 5) of the named entity, empty when the host has no definition for it.
std::string EntityHandle(const ads_name entity);
