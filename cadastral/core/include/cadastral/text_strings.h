// The strings of text annotations, and clearing away the ones left empty.
#pragma once

#include <string>

#include "platform/cad/resbuf.h"

namespace cadastral {

// The entity's string (group 1 of its definition list). False, text empty, when the entity cannot
// be read or has no string.
bool GetEntityTextString(const ads_name entity, std::string& text);

// Erases every text of the drawing whose string is empty or blank, with a progress meter, and
// reports the count on the command line. Returns the count, or -1 when the drawing has no text.
int DeleteEmptyTexts();

}  // namespace cadastral
