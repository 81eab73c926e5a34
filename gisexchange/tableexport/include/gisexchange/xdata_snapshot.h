// An entity's extended data under every application, read with one open of the entity, for the
// fields of one record that ask it again and again. Each question gets the answer the matching
// drawingutil call (entity_xdata.h, feature_codes.h) gives on the entity as it was read: an
// application is matched as the host matches it, by name without regard to case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drawingutil/host_objects.h"
#include "platform/cad/db_object_id.h"

namespace gisexchange {

class XDataSnapshot {
public:
    // Reads the object's data; an object that cannot be opened has none under any application.
    void Read(AcDbObjectId id);
    // Forgets what was read, so that nothing is answered from an earlier state of the object.
    void Clear();
    AcDbObjectId object() const { return object_; }
    bool read() const { return read_; }

    // As GetXDataAsText.
    bool FirstOfKind(std::string_view application, int kind, std::string& text) const;
    // As ReadEntityXData without messages.
    bool Item(std::string_view application, int index, int kind, bool force, std::string& text) const;
    // As CountXDataItems.
    int Count(std::string_view application) const;
    // As GetEntityCode.
    void Code(std::string& code) const;

private:
    // Calls visit on every buffer after the first head of the application's chain, as the host
    // would hand it out (the data of every matching application in turn, heads included); false
    // when the object has no data under the application.
    template <typename Visit>
    bool ForEachAfterHead(std::string_view application, Visit visit) const;

    AcDbObjectId object_;
    bool read_ = false;
    drawingutil::Chain chain_;
    std::vector<const resbuf*> heads_;  // the 1001 group of each application, in order
};

}  // namespace gisexchange
