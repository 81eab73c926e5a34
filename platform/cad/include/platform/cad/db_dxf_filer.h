// The list of tags an object writes its fields to and reads them back from. acdbEntGet and
// acdbEntMod use it, so every class keeps its definition in one pair of functions.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/cad/dxf_tag.h"

class AcDbDxfFiler {
public:
    AcDbDxfFiler() = default;
    explicit AcDbDxfFiler(platform::cad::DxfTagList tags) : tags_(std::move(tags)) {}

    void writeString(int code, std::string_view text) { tags_.push_back(platform::cad::DxfTag::String(code, text)); }
    void writeReal(int code, double value) { tags_.push_back(platform::cad::DxfTag::Real(code, value)); }
    void writePoint(int code, const AcGePoint3d& p) { tags_.push_back(platform::cad::DxfTag::Point(code, p)); }
    void writeVector(int code, const AcGeVector3d& v) { writePoint(code, AcGePoint3d(v.x, v.y, v.z)); }
    void writeInt(int code, std::int64_t value) { tags_.push_back(platform::cad::DxfTag::Integer(code, value)); }
    void writeObjectId(int code, AcDbObjectId id) { tags_.push_back(platform::cad::DxfTag::Id(code, id)); }
    void writeBinary(int code, const void* data, std::size_t size)
    {
        tags_.push_back(platform::cad::DxfTag::Binary(code, data, size));
    }
    void writeSubclass(const char* name) { writeString(100, name); }
    void writeTag(const platform::cad::DxfTag& tag) { tags_.push_back(tag); }

    const platform::cad::DxfTagList& tags() const { return tags_; }
    platform::cad::DxfTagList& tags() { return tags_; }
    // The first tag with the code, or null.
    const platform::cad::DxfTag* find(int code) const;

private:
    platform::cad::DxfTagList tags_;
};
