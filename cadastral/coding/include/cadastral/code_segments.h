// The layout of a fixed-width code made of named segments, such as the provincial parcel code
// (district, street, block, basic parcel number, parcel branch). One segment may be elastic
// (width -1): it takes whatever length the fixed segments leave.
#pragma once

#include <string>
#include <vector>

namespace cadastral {

class CCodeSegments {
public:
    CCodeSegments() = default;
    virtual ~CCodeSegments() = default;

    // False, with nothing changed, for an empty name, a width below -1 or a name already there
    // (without regard to case).
    bool AddSegment(const std::string& name, int width);
    // Stores the code when its length fits: exactly the fixed width without an elastic segment,
    // at least that with one. False otherwise, the old code staying.
    bool SetCode(const std::string& code);
    const std::string& Code() const { return code_; }
    int Count() const { return static_cast<int>(widths_.size()); }

    // The sum of the positive widths.
    int FixedWidth() const;
    // The widths from first to last inclusive as stored (elastic counts -1); 0 when last < first.
    int WidthSum(int first, int last) const;
    // The first elastic segment, or -1.
    int ElasticIndex() const;
    // The segment's character positions in the code (0-based, inclusive); false for an index
    // outside the layout.
    bool SegmentRange(int index, int& first, int& last) const;
    // The segment's width, for the elastic one the length the code leaves it; -1 outside.
    int SegmentLength(int index) const;

private:
    std::vector<int> widths_;
    std::vector<std::string> names_;
    std::string code_;
};

// The text repeated n times; empty for n below 1.
std::string RepeatText(const std::string& text, int n);

// Segment indexes of the parcel-code layout.
enum ParcelCodeSegment {
    kDistrictSegment = 0,
    kStreetSegment,
    kBlockSegment,
    kBasicNumberSegment,
    kBranchSegment
};

// The provincial parcel code: "行政区划" 6, "街道号" 3, "街坊号" 3, "基本宗地号" 4, "宗地支号" 3, with a
// code of 19 zeros.
CCodeSegments BuildParcelCodeSegments();

}  // namespace cadastral
