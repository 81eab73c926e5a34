#include "makedrawing/category_features.h"

#include <cmath>
#include <set>
#include <string>
#include <tuple>

#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "makedrawing/random.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_table.h"

namespace makedrawing {
namespace {

const char* const kSymbolBlock = "LX312";
const char* const kBoundaryCodes[] = {"191401", "191501", "191600"};
const char* const kDeductions[] = {"0", "0.5", "1"};

void Attribute(AcDbObjectId id, const char* application, const std::string& value, int kind = kXDataString)
{
    WriteEntityXData(id, application, value.c_str(), kind, 0, false, false, false);
}

AcDbObjectId Line(std::initializer_list<Point2> points, const char* code, int type, const char* layer)
{
    AcGePoint2dArray array;
    for (const Point2& p : points)
        array.append(AcGePoint2d(p.x, p.y));
    return CreateCodedPolyline(array, 0.0, 0, code, 0.0, type, layer);
}

// A small circle as the symbol's block, defined once in the drawing.
AcDbObjectId SymbolBlock()
{
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbBlockTable* blocks = nullptr;
    if (db->getBlockTable(blocks, AcDb::kForWrite) != Acad::eOk)
        return {};
    auto* block = new AcDbBlockTableRecord;
    block->setName(kSymbolBlock);
    AcDbObjectId id;
    if (blocks->add(id, block) != Acad::eOk) {
        delete block;
        blocks->close();
        return {};
    }
    block->appendAcDbEntity(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 0.5));
    block->close();
    blocks->close();
    return id;
}

AcDbObjectId Symbol(AcDbObjectId block, const Point2& at)
{
    auto* reference = new AcDbBlockReference(AcGePoint3d(at.x, at.y, 0), block);
    return drawingutil::FinishCodedEntity(reference, "312000", "LX", nullptr);
}

// Each district side once: a side two districts share is one boundary line. Some sides are left
// out, some drawn in two pieces, some against the district's own direction.
void DrawBoundaryLines(const TownPlan& plan, Random& random)
{
    std::set<std::tuple<long long, long long, long long, long long>> drawn;
    auto key = [](const Point2& p) { return std::make_pair(std::llround(p.x * 1000), std::llround(p.y * 1000)); };
    for (const auto& district : plan.districts) {
        const auto& ring = district.ring;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            Point2 a = ring[i], b = ring[(i + 1) % ring.size()];
            auto ka = key(a), kb = key(b);
            if (kb < ka)
                std::swap(ka, kb);
            if (!drawn.insert({ka.first, ka.second, kb.first, kb.second}).second)
                continue;
            if (random.Chance(0.15))
                continue;
            if (random.Chance(0.5))
                std::swap(a, b);
            const int kind = random.Int(0, 2);
            std::vector<std::pair<Point2, Point2>> pieces;
            if (random.Chance(0.25)) {
                Point2 middle{(a.x + b.x) / 2, (a.y + b.y) / 2};
                pieces = {{a, middle}, {middle, b}};
            } else {
                pieces = {{a, b}};
            }
            for (const auto& [from, to] : pieces) {
                AcDbObjectId id = Line({from, to}, kBoundaryCodes[kind], kLightweightPolyline, "XZJ");
                Attribute(id, "JXLX", std::to_string(kind + 1));
            }
        }
    }
}

}  // namespace

void DrawCategoryFeatures(const TownPlan& plan, std::uint64_t seed)
{
    Random random(seed ^ 0x5EED0CA7E6u);
    const AcDbObjectId block = SymbolBlock();
    int serial = 0;
    for (const auto& district : plan.districts) {
        const Point2 sw = district.ring[0], ne = district.ring[2];
        const double midY = (sw.y + ne.y) / 2;
        ++serial;
        // A road along the south street, a ditch across the block's patch.
        AcDbObjectId road = Line({{sw.x + 1, sw.y + 2}, {(sw.x + ne.x) / 2, sw.y + 2.5}, {ne.x - 1, sw.y + 2}}, "311000",
                                 kLightweightPolyline, "XZDW");
        Attribute(road, "DLBM", "1006");
        Attribute(road, "KD", std::to_string(random.Int(3, 8)), kXDataReal);
        AcDbObjectId ditch = Line({{sw.x + 6, midY}, {ne.x - 6, midY}}, "216100", kSimple2dPolyline, "TBX");
        Attribute(ditch, "TBBH", "TB" + std::to_string(serial));
        for (int k = 0; k < 2; ++k) {
            const double x = sw.x + 8 + 6 * k;
            AcDbObjectId owned = Line({{x, sw.y + 6}, {x, ne.y - 6}}, "333000", kLightweightPolyline, "QSJX");
            Attribute(owned, "XKCFS", kDeductions[(serial * 2 + k) % 3]);
            Attribute(owned, "JXXZ", std::to_string(k + 1));
        }
        AcDbObjectId point = CreateCodedCircle(AcGePoint3d(sw.x + 3, midY, 0), 0.25, "331000", nullptr, "GD");
        WriteEntityXData(point, "miret", std::to_string(serial).c_str(), kXDataLong, -1, false, false, false);
        if (!block.isNull()) {
            AcDbObjectId symbol = Symbol(block, {ne.x - 3, midY});
            Attribute(symbol, "DLBM", "0101");
            Attribute(symbol, "MJ", std::to_string(random.Int(10, 99)), kXDataReal);
        }
    }
    DrawBoundaryLines(plan, random);
}

}  // namespace makedrawing
