// The list of tags an object writes its fields to and reads them back from. acdbEntGet and
// acdbEntMod use it, so every class keeps its definition in one pair of functions.
//
// Angles are radians in the objects and in the lists of acdbEntGet, but a drawing file holds
// most of them in degrees: the file's reader and writer make their filer with kDegrees, and the
// classes file their angles through writeAngle and angleOf, so the unit changes in one place.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/cad/dxf_tag.h"

class AcDbDxfFiler {
public:
    enum AngleUnit { kRadians, kDegrees };

    // Room for the fields of a usual entity up front: lists are written for every read of an
    // entity's data, and growing them tag by tag costs more than the tags.
    AcDbDxfFiler() { tags_.reserve(kUsualTags); }
    explicit AcDbDxfFiler(AngleUnit unit) : unit_(unit) { tags_.reserve(kUsualTags); }
    explicit AcDbDxfFiler(platform::cad::DxfTagList tags, AngleUnit unit = kRadians)
        : tags_(std::move(tags)), unit_(unit)
    {
    }

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
    // An angle held in radians, in the unit of this filer.
    void writeAngle(int code, double radians);
    void writeSubclass(const char* name) { writeString(100, name); }
    void writeTag(const platform::cad::DxfTag& tag) { tags_.push_back(tag); }

    const platform::cad::DxfTagList& tags() const { return tags_; }
    platform::cad::DxfTagList& tags() { return tags_; }
    // The first tag with the code, or null.
    const platform::cad::DxfTag* find(int code) const;
    // The angle a tag holds, in radians.
    double angleOf(const platform::cad::DxfTag& tag) const;

private:
    static constexpr std::size_t kUsualTags = 40;
    platform::cad::DxfTagList tags_;
    AngleUnit unit_ = kRadians;
};
