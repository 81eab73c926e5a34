// Hands an entity that a conversion cannot handle to the information browser: one line of the
// item with the title, linked to the entity. Without the browser nothing happens and the caller
// goes on.
#pragma once

#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace gisexchange {

// A null name, or one whose words are both negative, links nothing.
void SendEntityToBrowser(const char* title, const char* text, const ads_name entity);
void SendEntityIdToBrowser(const char* title, const char* text, AcDbObjectId id);

}  // namespace gisexchange
