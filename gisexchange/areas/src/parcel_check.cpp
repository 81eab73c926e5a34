#include "gisexchange/parcel_check.h"

#include <string_view>

#include "drawingutil/outline_checks.h"

namespace gisexchange {

namespace {

// Geoport exchanges parcels of both code families, "30000…" and "33000…".
bool IsExchangedParcelCode(std::string_view code)
{
    return code.starts_with("30000") || code.starts_with("33000");
}

}  // namespace

bool CheckParcelPolyline(const ads_name entity, int verbose)
{
    return drawingutil::CheckOutlinePolyline(entity, verbose, IsExchangedParcelCode);
}

}  // namespace gisexchange
