#include "parcel_houses.h"

#include <vector>

#include "cadastral/entity_selection.h"
#include "drawingutil/selection_set.h"

namespace cadastral::detail {

// Cells of the grid, in drawing units, about a house's size.
constexpr double kHouseCell = 16.0;

cadastral::WindowOutlines ReadParcelHouses() {
    std::vector<AcDbObjectId> ids;
    drawingutil::SelectionSet all;
    if (SelectByFilter(all.Fill(), "lwpolyline,JMD;polyline,JMD", "", false)) {
        const int count = all.Length();
        ids.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            ads_name member{};
            AcDbObjectId id;
            if (all.At(i, member, id))
                ids.push_back(id);
        }
    } else {
        all.Drop();
    }
    return cadastral::WindowOutlines(kHouseCell, ids);
}

}  // namespace cadastral::detail
