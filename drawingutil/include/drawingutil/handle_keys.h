// A handle as one number, for keying tables by object across a command: handles are unique in a
// drawing and stable, where object ids promise neither order nor a printable value.
#pragma once

#include <cstdint>

#include "platform/cad/db_object_id.h"

namespace drawingutil {

inline std::uint64_t HandleKey(const AcDbHandle& handle)
{
    return (static_cast<std::uint64_t>(handle.high()) << 32) | handle.low();
}

}  // namespace drawingutil
