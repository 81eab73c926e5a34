#include "platform/cad/db_hatch.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "modify_guard.h"
#include "platform/cad/curve_path.h"
#include "platform/text/gbk.h"

DERO_RX_DEFINE_MEMBERS(AcDbHatch, "HATCH", AcDbEntity)

Acad::ErrorStatus AcDbHatch::setPattern(HatchPatternType type, const char* name)
{
    if (name == nullptr || *name == '\0')
        return Acad::eInvalidInput;
    DERO_MODIFY((patternType_ = type, pattern_ = name, solid_ = platform::text::GbkEqualNoCase(name, "SOLID")));
}

Acad::ErrorStatus AcDbHatch::setAssociative(bool on) { DERO_MODIFY(associative_ = on); }
Acad::ErrorStatus AcDbHatch::setHatchStyle(HatchStyle style) { DERO_MODIFY(style_ = style); }
Acad::ErrorStatus AcDbHatch::setPatternAngle(double angle) { DERO_MODIFY(angle_ = angle); }
Acad::ErrorStatus AcDbHatch::setElevation(double elevation) { DERO_MODIFY(elevation_ = elevation); }

Acad::ErrorStatus AcDbHatch::setPatternScale(double scale)
{
    if (!(scale > 0))
        return Acad::eInvalidInput;
    DERO_MODIFY(scale_ = scale);
}

Acad::ErrorStatus AcDbHatch::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

Acad::ErrorStatus AcDbHatch::appendLoop(Adesk::Int32 loopType, const AcGePoint2dArray& vertices,
                                        const AcGeDoubleArray& bulges)
{
    if (vertices.length() < 2 || (!bulges.isEmpty() && bulges.length() != vertices.length()))
        return Acad::eInvalidInput;
    Loop loop;
    loop.type = loopType | kPolyline;
    loop.vertices = vertices;
    loop.bulges = bulges;
    DERO_MODIFY(loops_.push_back(loop));
}

Acad::ErrorStatus AcDbHatch::getLoopAt(int index, Adesk::Int32& loopType, AcGePoint2dArray& vertices,
                                       AcGeDoubleArray& bulges) const
{
    if (index < 0 || index >= numLoops())
        return Acad::eInvalidIndex;
    const Loop& loop = loops_[static_cast<std::size_t>(index)];
    loopType = loop.type;
    vertices = loop.vertices;
    bulges = loop.bulges;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::removeLoopAt(int index)
{
    if (index < 0 || index >= numLoops())
        return Acad::eInvalidIndex;
    DERO_MODIFY(loops_.erase(loops_.begin() + index));
}

namespace {
platform::cad::CurvePath LoopPath(const AcGePoint2dArray& v, const AcGeDoubleArray& bulges, double z)
{
    platform::cad::CurvePath path;
    path.closed = true;
    int n = v.length();
    for (int i = 0; i < n; ++i) {
        const AcGePoint2d& a = v[i];
        const AcGePoint2d& b = v[(i + 1) % n];
        path.AddBulge(AcGePoint3d(a.x, a.y, z), AcGePoint3d(b.x, b.y, z), bulges.isEmpty() ? 0.0 : bulges[i], i, i + 1);
    }
    return path;
}
}  // namespace

namespace {
// A boundary path that is not a polyline is a list of edges: its groups from the 93 that counts
// them up to the end of the path (the next path, or the style after the last path), less the
// source objects (97 and their 330s) at its end. Index of the group that ends the path.
std::size_t ReadEdges(const AcDbDxfFiler& filer, std::size_t i, platform::cad::DxfTagList& edges)
{
    const auto& tags = filer.tags();
    for (; i < tags.size(); ++i) {
        int code = tags[i].code;
        if (code == 92 || code == 75 || code == 76 || code == 98)
            break;
        if (code == 72 || !edges.empty()) {
            edges.push_back(tags[i]);
            // Kept in radians, as every angle the host holds.
            if (code == 50 || code == 51)
                edges.back().real = filer.angleOf(tags[i]);
        }
    }
    while (!edges.empty() && edges.back().code == 330)
        edges.pop_back();
    if (!edges.empty() && edges.back().code == 97)
        edges.pop_back();
    return i;
}

// The outline of a loop of edges as polyline vertices and bulges: lines and arcs exactly,
// elliptic arcs in straight pieces, splines by their control points.
void EdgeOutline(const platform::cad::DxfTagList& edges, AcGePoint2dArray& vertices, AcGeDoubleArray& bulges)
{
    constexpr double kTurn = 2 * std::numbers::pi;
    constexpr int kEllipseSteps = 16;
    for (std::size_t i = 0; i < edges.size();) {
        const std::int64_t type = edges[i].integer;
        std::size_t end = i + 1;
        while (end < edges.size() && edges[end].code != 72)
            ++end;
        AcGePoint2d center, axis;
        double radius = 0, start = 0, stop = kTurn;
        bool ccw = true;
        for (std::size_t k = i + 1; k < end; ++k) {
            const auto& tag = edges[k];
            if (tag.code == 10 && type == 4) {
                vertices.append(tag.point.convert2d());
                bulges.append(0);
            } else if (tag.code == 10) {
                center = tag.point.convert2d();
            } else if (tag.code == 11) {
                axis = tag.point.convert2d();
            } else if (tag.code == 40) {
                radius = tag.real;
            } else if (tag.code == 50) {
                start = tag.real;
            } else if (tag.code == 51) {
                stop = tag.real;
            } else if (tag.code == 73) {
                ccw = tag.integer != 0;
            }
        }
        i = end;
        if (type == 1) {
            vertices.append(center);
            bulges.append(0);
            continue;
        }
        if (type != 2 && type != 3)
            continue;
        // A clockwise arc is filed by the angles that mirror its own.
        double sweep = std::fmod(stop - start, kTurn);
        if (sweep <= 1e-12)
            sweep += kTurn;
        if (!ccw) {
            start = -start;
            sweep = -sweep;
        }
        if (type == 2) {
            bool whole = std::abs(sweep) >= kTurn - 1e-9;
            int pieces = whole ? 2 : 1;
            for (int k = 0; k < pieces; ++k) {
                double at = start + sweep * k / pieces;
                vertices.append(AcGePoint2d(center.x + radius * std::cos(at), center.y + radius * std::sin(at)));
                bulges.append(std::tan(sweep / pieces / 4));
            }
            continue;
        }
        // The minor axis is the major turned a quarter, scaled by the ratio.
        for (int k = 0; k < kEllipseSteps; ++k) {
            double t = start + sweep * k / kEllipseSteps;
            vertices.append(AcGePoint2d(center.x + axis.x * std::cos(t) - radius * axis.y * std::sin(t),
                                        center.y + axis.y * std::cos(t) + radius * axis.x * std::sin(t)));
            bulges.append(0);
        }
    }
}
}  // namespace

Acad::ErrorStatus AcDbHatch::getArea(double& area) const
{
    area = 0;
    for (const Loop& loop : loops_) {
        double a = std::abs(LoopPath(loop.vertices, loop.bulges, elevation_).SignedArea());
        area += (loop.type & (kExternal | kOutermost)) != 0 ? a : -a;
    }
    area = std::abs(area);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbHatch::getGeomExtents(AcDbExtents& extents) const
{
    extents = AcDbExtents();
    for (const Loop& loop : loops_)
        extents.addExt(LoopPath(loop.vertices, loop.bulges, elevation_).Extents());
    return extents.isEmpty() ? Acad::eInvalidExtents : Acad::eOk;
}

void AcDbHatch::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    filer->writeSubclass("AcDbHatch");
    filer->writePoint(10, AcGePoint3d(0, 0, elevation_));
    filer->writeVector(210, normal_);
    filer->writeString(2, pattern_);
    filer->writeInt(70, solid_ ? 1 : 0);
    filer->writeInt(71, associative_ ? 1 : 0);
    filer->writeInt(91, numLoops());
    for (const Loop& loop : loops_) {
        if (!loop.edges.empty()) {
            filer->writeInt(92, loop.type);
            filer->writeInt(93, std::count_if(loop.edges.begin(), loop.edges.end(),
                                              [](const platform::cad::DxfTag& tag) { return tag.code == 72; }));
            for (const auto& tag : loop.edges) {
                if (tag.code == 50 || tag.code == 51)
                    filer->writeAngle(tag.code, tag.real);
                else
                    filer->writeTag(tag);
            }
            filer->writeInt(97, 0);
            continue;
        }
        filer->writeInt(92, loop.type | kPolyline);
        filer->writeInt(72, loop.bulges.isEmpty() ? 0 : 1);
        filer->writeInt(73, 1);
        filer->writeInt(93, loop.vertices.length());
        for (int i = 0; i < loop.vertices.length(); ++i) {
            filer->writePoint(10, AcGePoint3d(loop.vertices[i].x, loop.vertices[i].y, 0));
            if (!loop.bulges.isEmpty())
                filer->writeReal(42, loop.bulges[i]);
        }
        filer->writeInt(97, 0);
    }
    filer->writeInt(75, style_);
    filer->writeInt(76, patternType_);
    if (!solid_) {
        filer->writeAngle(52, angle_);
        filer->writeReal(41, scale_);
        filer->writeInt(77, 0);
        filer->writeInt(78, 0);
    }
    filer->writeInt(98, 0);
}

Acad::ErrorStatus AcDbHatch::dxfInFields(const AcDbDxfFiler* filer)
{
    // 92 starts a loop; of a polyline loop, the 10 and 42 groups that follow are its vertices.
    std::vector<Loop> loops;
    bool inLoop = false;
    const auto& tags = filer->tags();
    for (std::size_t i = 0; i < tags.size(); ++i) {
        const auto& tag = tags[i];
        if (tag.code == 92 && (tag.integer & kPolyline) == 0) {
            loops.push_back(Loop{static_cast<Adesk::Int32>(tag.integer), {}, {}, {}});
            i = ReadEdges(*filer, i + 1, loops.back().edges) - 1;
            EdgeOutline(loops.back().edges, loops.back().vertices, loops.back().bulges);
            inLoop = false;
        } else if (tag.code == 92) {
            loops.push_back(Loop{static_cast<Adesk::Int32>(tag.integer), {}, {}, {}});
            inLoop = true;
        } else if (tag.code == 97 || tag.code == 75) {
            inLoop = false;
        } else if (inLoop && tag.code == 10) {
            loops.back().vertices.append(tag.point.convert2d());
        } else if (inLoop && tag.code == 42) {
            while (loops.back().bulges.length() + 1 < loops.back().vertices.length())
                loops.back().bulges.append(0);
            loops.back().bulges.append(tag.real);
        }
    }
    for (Loop& loop : loops)
        if (!loop.bulges.isEmpty())
            while (loop.bulges.length() < loop.vertices.length())
                loop.bulges.append(0);
    // Style and pattern type are small enumerations: a value outside them is refused, not kept.
    for (int code : {75, 76})
        if (const auto* t = filer->find(code); t != nullptr && (t->integer < 0 || t->integer > 2))
            return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(2))
        pattern_ = t->text;
    if (const auto* t = filer->find(70))
        solid_ = t->integer != 0;
    if (const auto* t = filer->find(71))
        associative_ = t->integer != 0;
    if (const auto* t = filer->find(75))
        style_ = static_cast<HatchStyle>(t->integer);
    if (const auto* t = filer->find(76))
        patternType_ = static_cast<HatchPatternType>(t->integer);
    if (const auto* t = filer->find(52))
        angle_ = filer->angleOf(*t);
    if (const auto* t = filer->find(41); t != nullptr && t->real > 0)
        scale_ = t->real;
    if (const auto* t = filer->find(10))
        elevation_ = t->point.z;
    if (!loops.empty())
        loops_ = std::move(loops);
    return Acad::eOk;
}
