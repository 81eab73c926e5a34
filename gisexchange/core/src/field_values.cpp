#include "field_values.h"

#include <cmath>
#include <cstdlib>

#include "platform/text/format.h"

namespace gisexchange {
namespace {

double NumberOf(const COleVariant& value)
{
    switch (value.vt) {
    case VT_I2: return value.iVal;
    case VT_I4: return value.lVal;
    case VT_R4: return value.fltVal;
    case VT_R8: return value.dblVal;
    case VT_UI1: return value.bVal;
    case VT_BOOL: return value.boolVal;
    case VT_CY: return static_cast<double>(value.cyVal.int64) / 10000.0;
    case VT_BSTR: return std::strtod(value.bstrVal, nullptr);
    default: return 0;
    }
}

// Whole numbers round to nearest, as the engine's conversion does, and saturate at the type's ends.
template <typename T>
T Whole(double v, double low, double high)
{
    if (!std::isfinite(v))
        return 0;
    v = std::nearbyint(v);
    return static_cast<T>(v < low ? low : v > high ? high : v);
}

}  // namespace

CString TextOf(const COleVariant& value)
{
    switch (value.vt) {
    case VT_BSTR: return CString(std::string(value.bstrVal, value.TextLength()));
    case VT_EMPTY:
    case VT_NULL: return CString();
    case VT_I2:
    case VT_I4:
    case VT_UI1:
    case VT_BOOL: return CString(platform::text::Format("%ld", static_cast<long>(NumberOf(value))));
    default: return CString(platform::text::Format("%g", NumberOf(value)));
    }
}

long IntegerOf(const COleVariant& value)
{
    return Whole<long>(NumberOf(value), -2147483648.0, 2147483647.0);
}

short ShortOf(const COleVariant& value)
{
    return Whole<short>(NumberOf(value), -32768.0, 32767.0);
}

float SingleOf(const COleVariant& value)
{
    return value.vt == VT_R4 ? value.fltVal : static_cast<float>(NumberOf(value));
}

}  // namespace gisexchange
