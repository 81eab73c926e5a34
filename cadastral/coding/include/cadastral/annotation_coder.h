// The identifiers of the registry exchange package for every coded feature inside a cadastral
// district (a polyline on "DJZQ" with the code "321000"): annotation codes for texts, point codes
// for boundary points and points of the second class, serial numbers and boundary-line codes for
// parcels, house numbers for houses inside parcels. Codes are made in a 19-digit form first and
// then rewritten with the district's code; features in no district are coded for a district the
// user picks. Everything is extended entity data; nothing is drawn.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/cad/db_object_id.h"
#include "platform/cad/resbuf.h"

namespace cadastral {

class BoundaryLineCoder;
class BoundaryPointIndex;

class AnnotationCoder {
public:
    AnnotationCoder();
    virtual ~AnnotationCoder();
    AnnotationCoder(const AnnotationCoder&) = delete;
    AnnotationCoder& operator=(const AnnotationCoder&) = delete;

    // The whole run. False when the drawing has no district (with a message) or cannot be
    // selected.
    bool Run();
    // Takes the segment prefix from the first parcel found in the district whose number has 13
    // characters (its characters 7 and 8); without one the prefix stays as it was.
    void FindSegmentPrefix(AcDbObjectId district);
    // Codes the features of the set in their 19-digit form and the parcels' boundary lines, with
    // the district's boundary-line counter, then the points on "GD" on the lines coded. With the
    // district's 12-character code, a line's code carries the block its parcel's number will get
    // from the district, so that the codes of a later run are the same.
    void CodeDistrictFeatures(const ads_name selection, std::int32_t& counter,
                              const std::string& districtCode = {});
    // Gives the points on "GD" the codes of the boundary lines coded since the last call.
    void CodeBoundaryLines();

    std::int32_t AnnotationCount() const { return annotationCounter_; }
    const std::string& SegmentPrefix() const { return segmentPrefix_; }

private:
    // FindSegmentPrefix over a district's selection in hand.
    void FindSegmentPrefixIn(const ads_name inside);
    void Recode(const ads_name entity, const std::string& districtCode, bool codeConditions);
    void NumberHouses();
    BoundaryLineCoder& Lines();

    std::int32_t annotationCounter_ = 0;
    std::string segmentPrefix_;
    // Made for the run: the boundary points read once, and the coder of the lines.
    std::unique_ptr<BoundaryPointIndex> points_;
    std::unique_ptr<BoundaryLineCoder> lines_;
    // Codes whose number does not fit 7 digits, kept in their 19-digit form.
    int overlong_ = 0;
};

// The command: the main application's "EXPLODEGCD", then the coder.
void ADDCODEQZ();

}  // namespace cadastral
