// POLYLINE (2D): the old-style polyline whose vertices are entities of their own. Its kind
// (simple, fit curve, quadratic or cubic spline) decides which vertices are displayed.
#pragma once

#include "platform/cad/db_curve.h"
#include "platform/cad/db_sub_entities.h"
#include "platform/cad/db_vertex.h"

class AcDbSequenceEnd;

class AcDb2dPolyline : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDb2dPolyline)

public:
    AcDb2dPolyline() = default;
    AcDb2dPolyline(AcDb::Poly2dType type, const AcGePoint3dArray& vertices, double elevation = 0,
                   bool closed = false, double defaultStartWidth = 0, double defaultEndWidth = 0,
                   const AcGeDoubleArray* bulges = nullptr);

    AcDb::Poly2dType polyType() const { return type_; }
    // Changes the kind: fitting adds generated vertices, straightening removes them.
    Acad::ErrorStatus convertToPolyType(AcDb::Poly2dType type);
    Acad::ErrorStatus setPolyType(AcDb::Poly2dType type) { return convertToPolyType(type); }
    Acad::ErrorStatus straighten() { return convertToPolyType(AcDb::k2dSimplePoly); }
    Acad::ErrorStatus splineFit() { return convertToPolyType(AcDb::k2dCubicSplinePoly); }
    Acad::ErrorStatus curveFit() { return convertToPolyType(AcDb::k2dFitCurvePoly); }

    bool isClosed() const override { return closed_; }
    Acad::ErrorStatus makeClosed();
    Acad::ErrorStatus makeOpen();
    double elevation() const { return elevation_; }
    Acad::ErrorStatus setElevation(double elevation);
    double defaultStartWidth() const { return startWidth_; }
    Acad::ErrorStatus setDefaultStartWidth(double width);
    double defaultEndWidth() const { return endWidth_; }
    Acad::ErrorStatus setDefaultEndWidth(double width);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double thickness);
    bool isLinetypeGenerationOn() const { return plinegen_; }
    Acad::ErrorStatus setLinetypeGenerationOn();
    Acad::ErrorStatus setLinetypeGenerationOff();

    // Vertices: appended at the end, or inserted after indexVertex (null id: at the front). When
    // the polyline is resident the new vertex is resident and open for write (close it).
    Acad::ErrorStatus appendVertex(AcDb2dVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb2dVertex* vertex);
    Acad::ErrorStatus insertVertexAt(AcDbObjectId& newId, AcDbObjectId indexVertex, AcDb2dVertex* vertex);
    Acad::ErrorStatus insertVertexAt(const AcDb2dVertex* indexVertex, AcDb2dVertex* vertex);
    AcDbObjectIterator* vertexIterator() const;
    Acad::ErrorStatus openSequenceEnd(AcDbSequenceEnd*& seqend, AcDb::OpenMode mode);
    // The world position of a vertex.
    AcGePoint3d vertexPosition(const AcDb2dVertex& vertex) const;
    // Vertex data in order (erased vertices left out), resident or not.
    std::vector<const AcDb2dVertex*> vertices() const;
#ifdef DERO_HOST_EXTRAS
    // The shown vertices in the plane, in order, when the polyline lies flat with an upward normal,
    // runs straight between them and none of them is open for write; false otherwise.
    bool flatStraightVertices(std::vector<AcGePoint2d>& points) const;
#endif

    // Straight spans in the plane: the box of the shown vertices, without building the path.
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    bool buildPath(platform::cad::CurvePath& path) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;
    void subObjectIds(AcDbObjectIdArray& ids) const override;
    // Takes a resident vertex or end marker into the list (a drawing reader's use).
    Acad::ErrorStatus adoptSubEntity(AcDbObjectId id);
    void objectAppended() override;
    AcDbObject* journalCopy() const override
    {
        auto* copy = new AcDb2dPolyline(*this);
        copy->vertices_.ShareIds(vertices_);
        return copy;
    }
    Acad::ErrorStatus handOverTo(AcDbObject* newObject, bool keepXData = true, bool keepExtDict = true) override;

protected:
    AcDbCurve* curveFromPath(const platform::cad::CurvePath& piece) const override;
    std::vector<AcDbEntity*> pendingSubents() const override;

private:
    friend class AcDbPolyline;
    platform::cad::SubEntityList vertices_;
    AcDb::Poly2dType type_ = AcDb::k2dSimplePoly;
    bool closed_ = false;
    bool plinegen_ = false;
    double elevation_ = 0;
    double startWidth_ = 0;
    double endWidth_ = 0;
    double thickness_ = 0;
    AcGeVector3d normal_{0, 0, 1};
};

// POLYLINE (3D): vertices in world coordinates, straight segments.
class AcDb3dPolyline : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDb3dPolyline)

public:
    AcDb3dPolyline() = default;
    AcDb3dPolyline(AcDb::Poly3dType type, const AcGePoint3dArray& vertices, bool closed = false);

    AcDb::Poly3dType polyType() const { return type_; }
    bool isClosed() const override { return closed_; }
    Acad::ErrorStatus makeClosed();
    Acad::ErrorStatus makeOpen();
    Acad::ErrorStatus appendVertex(AcDb3dPolylineVertex* vertex);
    Acad::ErrorStatus appendVertex(AcDbObjectId& id, AcDb3dPolylineVertex* vertex);
    AcDbObjectIterator* vertexIterator() const;
    std::vector<const AcDb3dPolylineVertex*> vertices() const;

    bool buildPath(platform::cad::CurvePath& path) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;
    void subObjectIds(AcDbObjectIdArray& ids) const override;
    // Takes a resident vertex or end marker into the list (a drawing reader's use).
    Acad::ErrorStatus adoptSubEntity(AcDbObjectId id);
    void objectAppended() override;
    AcDbObject* journalCopy() const override
    {
        auto* copy = new AcDb3dPolyline(*this);
        copy->vertices_.ShareIds(vertices_);
        return copy;
    }

protected:
    std::vector<AcDbEntity*> pendingSubents() const override;

private:
    platform::cad::SubEntityList vertices_;
    AcDb::Poly3dType type_ = AcDb::k3dSimplePoly;
    bool closed_ = false;
};
