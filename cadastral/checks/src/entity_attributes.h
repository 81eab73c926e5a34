// What the integrity check reads of one entity, taken in one opening: its feature code, whether
// it is a text, and the items of its extended data, read as one chain of every application. An
// entity is asked for a dozen items; opening it and building a chain for each of them was most of
// the check's time.
#pragma once

#include <string>

#include "drawingutil/host_objects.h"
#include "platform/cad/db_object.h"
#include "platform/cad/db_object_id.h"

namespace cadastral::detail {

// Answers as the one-item readers of drawingutil do.
class EntityAttributes {
public:
    explicit EntityAttributes(AcDbObjectId id);

    // The first string item under the feature code application (GetEntityCode).
    std::string Code() const;
    bool IsText() const;
    // Item `index` (from 0) under the application when it is of the kind, else the empty text;
    // the empty text also when there is no such item (ReadEntityXData without force). Reals
    // read as "%.3f".
    std::string Item(const char* application, int kind, int index) const;

private:
    bool isText_ = false;
    drawingutil::Chain xdata_;
};

}  // namespace cadastral::detail
