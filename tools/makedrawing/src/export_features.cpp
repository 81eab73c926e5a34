#include "makedrawing/export_features.h"

#include <algorithm>
#include <cstdio>

#include "drawingutil/coded_entities.h"
#include "makedrawing/random.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_text.h"
#include "plane.h"

namespace makedrawing {
namespace {

const char* const kElevationBlock = "GC202";

AcDbObjectId Ring(const Point2& low, double size, const char* code, const char* layer)
{
    AcGePoint2dArray points;
    for (const Point2& p : {low, Point2{low.x + size, low.y}, Point2{low.x + size, low.y + size}, Point2{low.x, low.y + size}})
        points.append(AcGePoint2d(p.x, p.y));
    return CreateCodedPolyline(points, 0.0, 1, code, 0.0, kLightweightPolyline, layer);
}

bool Inside(const std::vector<Point2>& ring, const Point2& p)
{
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const Point2& a = ring[i];
        const Point2& b = ring[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
            in = !in;
    }
    return in;
}

AcDbObjectId ElevationBlock()
{
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* blocks = nullptr;
    if (db->getBlockTable(blocks, AcDb::kForWrite) != Acad::eOk)
        return {};
    auto* block = new AcDbBlockTableRecord;
    block->setName(kElevationBlock);
    AcDbObjectId id;
    if (blocks->add(id, block) != Acad::eOk) {
        delete block;
        blocks->close();
        return {};
    }
    block->appendAcDbEntity(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 0.2));
    block->close();
    blocks->close();
    return id;
}

void Record(std::vector<DrawnFault>& faults, FaultKind kind, AcDbObjectId id)
{
    if (!id.isNull())
        faults.push_back({kind, id.handle().text(), {}});
}

}  // namespace

void DrawExportFeatures(const TownPlan& plan, const Options& options, std::vector<DrawnFault>& faults)
{
    Random random(options.seed ^ 0xE7A0BCE5u);
    const FaultRates& r = options.rates;
    const AcDbObjectId block = options.elevationPoints ? ElevationBlock() : AcDbObjectId();
    for (const Parcel& parcel : plan.parcels) {
        const Point2 at = parcel.notePosition;
        if (options.courtyards) {
            for (const House& house : parcel.houses) {
                if (!house.closed || !house.faults.empty() || house.overlaps >= 0 || !random.Chance(0.5))
                    continue;
                const Point2 centre = Centroid(house.ring);
                double low = 1e300, high = -1e300;
                for (const Point2& p : house.ring) {
                    low = std::min(low, p.x);
                    high = std::max(high, p.x);
                }
                const double size = std::min(2.0, (high - low) * 0.2);
                const Point2 corner{centre.x - size / 2, centre.y - size / 2};
                bool fits = size > 0.2;
                for (const Point2& p : {corner, Point2{corner.x + size, corner.y}, Point2{corner.x + size, corner.y + size},
                                        Point2{corner.x, corner.y + size}})
                    fits = fits && Inside(house.ring, p);
                if (fits)
                    Ring(corner, size, "141910", "JMD");
            }
        }
        if (!block.isNull() && random.Chance(0.4)) {
            const double height = static_cast<double>(random.Int(1000, 4000)) / 100;
            auto* reference = new AcDbBlockReference(AcGePoint3d(at.x + 3, at.y - 3, height), block);
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", height);
            reference->appendAttribute(new AcDbAttribute(AcGePoint3d(at.x + 3.5, at.y - 3, height), text, "HEIGHT"));
            drawingutil::FinishCodedEntity(reference, "202101", "GCD", nullptr);
        }
        if (random.Chance(r.uncoded))
            Record(faults, FaultKind::Uncoded,
                   CreateCodedLine(AcGePoint3d(at.x - 3, at.y - 5, 0), AcGePoint3d(at.x - 1, at.y - 5, 0), "", nullptr, "0"));
        if (random.Chance(r.unknownCodes)) {
            Record(faults, FaultKind::UnknownCode, Ring({at.x - 3, at.y - 8}, 1.0, "999999", "0"));
            Record(faults, FaultKind::ShortCode, Ring({at.x - 1, at.y - 8}, 1.0, "99999", "0"));
        }
        if (random.Chance(r.tinyAreas))
            Record(faults, FaultKind::TinyArea, Ring({at.x + 1, at.y - 8}, 0.02, "141100", "JMD"));
    }
}

}  // namespace makedrawing
