// Cutting the boundaries of an area group's members where they meet each other, so that a stretch
// two members share is stored once. Each member is cut against the members the host's crossing
// window over its box takes, in the order the host gives them; a member whose box stands clearly
// apart from every other member's is cut against none without asking.
#pragma once

#include <functional>
#include <vector>

#include "gisexchange/shared_lines.h"
#include "gisexchange/sorted_ids.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

// Cuts the members' boundaries, in the set's order (the drawing's, by handle), and files the pieces in `lines`. One list of
// signed line numbers per member of the set, empty for a member with fewer than three vertices.
// `prepare`, when given, is handed each member before its boundary is read.
std::vector<std::vector<int>> CutMembersIntoSharedLines(const SortedIdSet& set, SharedLineSet& lines,
                                                        const std::function<void(const ads_name)>& prepare = {});

}  // namespace gisexchange
