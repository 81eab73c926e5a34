// One tagged value of an object's definition: the unit of acdbEntGet lists, XData, xrecords and
// (later) DXF files. References to objects are held as ids, not names or handles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cad/db_object_id.h"
#include "platform/cad/ge_types.h"
#include "platform/cad/group_codes.h"

struct resbuf;

namespace platform::cad {

struct DxfTag {
    int code = 0;
    std::string text;
    double real = 0;
    AcGePoint3d point;
    // A point read from a file without its z: kept as read, so it goes back out without one.
    bool flat = false;
    std::int64_t integer = 0;
    AcDbObjectId id;
    std::vector<unsigned char> bytes;

    GroupValueKind kind() const { return GroupKindOf(code); }

    static DxfTag String(int code, std::string_view text);
    static DxfTag Real(int code, double value);
    static DxfTag Point(int code, const AcGePoint3d& point);
    static DxfTag Integer(int code, std::int64_t value);
    static DxfTag Id(int code, AcDbObjectId id);
    static DxfTag Binary(int code, const void* data, std::size_t size);
    static DxfTag Marker(int code);

    bool operator==(const DxfTag& other) const;
};

using DxfTagList = std::vector<DxfTag>;

// A heap chain of result buffers holding the tags; references become entity names. Null for an
// empty list.
resbuf* TagsToResbuf(const DxfTagList& tags);
resbuf* TagsToResbuf(const DxfTag* first, const DxfTag* last);
// The tags of a chain; false (tags unchanged) when a buffer does not hold a value (below).
bool ResbufToTags(const resbuf* chain, DxfTagList& tags);
// Whether a buffer holds a value a tag can take: a known type, a string that is there, an entity
// name that is null or names an object, a binary chunk of sound length.
bool ResbufHoldsValue(const resbuf* rb);

}  // namespace platform::cad
