// The module's reactor on the host's document manager: each time a drawing becomes active it is
// zoomed to its extents and, the first time, its parcels are put into the canonical order.
#pragma once

#include "platform/cad/documents.h"

namespace cadastral {

class CDocPointOrderReactor : public AcApDocManagerReactor {
public:
    void documentActivated(AcApDocument* document) override;
    // Nothing is kept per document, so there is nothing to forget.
    void documentToBeDestroyed(AcApDocument* document) override;
};

// The module's one reactor: made and added to the document manager at load, removed and
// destroyed at unload.
void AddPointOrderReactor();
void RemovePointOrderReactor();

}  // namespace cadastral
