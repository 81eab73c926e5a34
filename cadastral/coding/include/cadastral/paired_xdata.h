// Two one-item applications written to an entity at once.
#pragma once

#include "platform/cad/resbuf.h"

namespace cadastral {

// Gives the entity two applications of one item each, as SetXData for the first and then for the
// second would, in one write: each write that gives an entity an application it lacks gives its
// list new room, and the coder gives most features two at a time. Whatever the host refuses in one
// write (an application the drawing has not registered, a list grown too long) it leaves
// untouched, and the two writes are made in turn instead.
void SetXDataPair(const ads_name entity, const char* first, int firstKind, const char* firstValue,
                  const char* second, int secondKind, const char* secondValue);

}  // namespace cadastral
