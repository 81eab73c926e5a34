// The values of a DXF file's groups as the host holds them: numbers parsed, text in GBK, points
// joined from their coordinate groups and references to other objects resolved to ids.
#pragma once

#include <memory>
#include <vector>

#include "dxf_layout.h"
#include "platform/cad/dxf_tag.h"
#include "platform/cad/dxf_text_codec.h"

class AcDbDatabase;

namespace platform::cad {

class DxfValues {
public:
    // db resolves handles: every object of the file must have been made in it first.
    DxfValues(const std::vector<DxfGroup>& groups, AcDbDatabase& db, std::unique_ptr<DxfTextDecoder> decoder)
        : g_(groups), db_(db), decoder_(std::move(decoder)) {}

    std::string Text(std::string_view raw) const { return decoder_->Decode(raw); }
    // Each throws DxfFailure naming the line of a value that is not what its code says.
    double Real(const DxfGroup& gr) const;
    std::int64_t Integer(const DxfGroup& gr) const;
    static std::uint64_t HandleValue(const DxfGroup& gr);
    // A hexadecimal handle above the largest an object can have.
    static bool HandleOutOfRange(const DxfGroup& gr);
    AcDbObjectId Resolve(std::uint64_t handle) const;
    // The groups of a record as tags. Groups from 1001 on go to xdata when it is given; with
    // commonOnly the class's own fields (from its first subclass marker) are passed over.
    DxfTagList Tags(const DxfRecord& r, DxfTagList* xdata = nullptr, bool commonOnly = false) const;
    // The same into `tags`, emptied first: a list kept by the caller from record to record keeps
    // its room, so that reading a drawing does not allocate a list for every record.
    void TagsInto(const DxfRecord& r, DxfTagList& tags, DxfTagList* xdata = nullptr, bool commonOnly = false) const;

private:
    std::size_t LaterFollower(const DxfRecord& r, std::size_t k, int code, std::vector<bool>& taken) const;
    static int Hex(char c);

    const std::vector<DxfGroup>& g_;
    AcDbDatabase& db_;
    std::unique_ptr<DxfTextDecoder> decoder_;
};

}  // namespace platform::cad
