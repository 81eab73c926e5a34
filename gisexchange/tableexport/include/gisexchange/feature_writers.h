// The geometry of the features of the table-driven export: points, annotations, lines, the sides
// of parcels written once each, and the areas built from them.
#pragma once

#include <unordered_map>
#include <vector>

#include "gisexchange/neighbour_sides.h"
#include "gisexchange/sorted_ids.h"
#include "gisexchange/table_export.h"
#include "platform/cad/ac_array.h"

namespace gisexchange {

// Each gives the new object's number, -1 when nothing was written.
LONG ExportPointFeature(GisOutputFile& output, const ads_name entity, const AttributeTemplate& tmpl);
LONG ExportTextFeature(GisOutputFile& output, const ads_name entity, const AttributeTemplate& tmpl);
LONG ExportCurveFeature(GisOutputFile& output, const ads_name entity, const AttributeTemplate& tmpl);
LONG ExportSegmentFeature(GisOutputFile& output, const AcGePoint2d& start, const AcGePoint2d& end);

// The passes over the areas of a group; the segment lists tie the parcels' sides to their lines in
// the parcel file.
struct SegmentLines {
    std::vector<long> segments;
    std::vector<long> lines;
    std::unordered_map<long, long> lineOfSegment;
};
void ExportBoundarySegments(TableExporter& exporter, const AreaGroup& group, GisOutputFile* sides,
                            GisOutputFile* parcels, SegmentLines& segmentLines);
void ExportParcelAreas(TableExporter& exporter, const AreaGroup& group, GisOutputFile& parcels,
                       const SegmentLines& segmentLines);
void ExportAssembledAreas(TableExporter& exporter, const AreaGroup& group, GisOutputFile& output);

// The vertices of a parcel's outline that start its sides (a lightweight polyline is turned into a
// 2D polyline first); a clockwise ring starts at its second vertex.
bool CollectBoundaryVertices(ads_name entity, std::vector<AcDbObjectId>& ids);
// Clears the side marks of every parcel; with a side list, files every parcel's sides in it. False
// when a parcel's sides could not be read (or the drawing holds no polyline): the list is then short.
bool ClearBoundaryMarks(NeighbourSides* sides = nullptr);
// Marks the side from start to end on the parcels other than `parcel` that share it. With the
// parcels' sides, the host's crossing selection around the side's middle is asked only where a
// neighbour is not sure to be taken by it.
void MarkNeighbourSegment(const AcGePoint2d& start, const AcGePoint2d& end, const ads_name parcel, long number,
                          const NeighbourSides* sides = nullptr);
// The closed curves of the code directly inside the boundary (not inside another one of them).
// With the boxes of the entities of the code, a boundary whose box stands clearly apart from all
// of them (but its own) selects nothing.
void CollectIslands(const ads_name entity, const char* code, std::vector<AcDbObjectId>& ids,
                    const EntityBoxes* entitiesOfCode = nullptr);
// The extents of the entities of the code the collection pass met, measured once per export.
const EntityBoxes* EntitiesOfCode(TableExporter& exporter, const std::string& code);
// Whether a window polygon along the ring could take an entity of the code: false only when the
// box of every one the collection pass met stands clearly apart from the ring's or reaches clearly
// out of it (true when it met none of any code).
bool CodeMayLieWithin(TableExporter& exporter, const std::string& code, const AcGePoint2dArray& ring);
// The members of an area inside the boundary; with closedCode, only closed curves of that code.
// `filter`, when given, is handed to the host's selection: for a caller that looks only at the
// entities it lets through.
void SelectAreaMembers(const ads_name boundary, const AcGePoint2dArray& points, const char* mode,
                       std::vector<AcDbObjectId>& result, const char* closedCode = nullptr,
                       const resbuf* filter = nullptr);

}  // namespace gisexchange
