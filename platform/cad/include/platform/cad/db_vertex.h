// Vertex entities of old-style polylines and the end marker that closes their vertex list.
#pragma once

#include "platform/cad/db_entity.h"
#include "platform/cad/db_object_iterator.h"

class AcDbVertex : public AcDbEntity {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbVertex)

public:
    AcDbVertex() = default;
    AcDbVertex(const AcDbVertex&) = default;
};

// A vertex of a 2D polyline: position in the polyline's plane (z is the elevation), bulge and
// widths of the segment it starts, and its kind (simple, spline control, spline fit, curve fit).
class AcDb2dVertex : public AcDbVertex {
    DERO_RX_DECLARE_MEMBERS(AcDb2dVertex)

public:
    AcDb2dVertex() = default;
    AcDb2dVertex(const AcGePoint3d& position, double bulge = 0, double startWidth = 0, double endWidth = 0,
                 double tangent = 0);

    AcDb::Vertex2dType vertexType() const { return type_; }
    Acad::ErrorStatus setVertexType(AcDb::Vertex2dType type);
    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& position);
    double bulge() const { return bulge_; }
    Acad::ErrorStatus setBulge(double bulge);
    double startWidth() const { return startWidth_; }
    Acad::ErrorStatus setStartWidth(double width);
    double endWidth() const { return endWidth_; }
    Acad::ErrorStatus setEndWidth(double width);
    bool isTangentUsed() const { return tangentUsed_; }
    double tangent() const { return tangent_; }
    Acad::ErrorStatus setTangent(double tangent);
    Acad::ErrorStatus useTangent();
    Acad::ErrorStatus ignoreTangent();

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    AcGePoint3d position_;
    double bulge_ = 0;
    double startWidth_ = 0;
    double endWidth_ = 0;
    double tangent_ = 0;
    bool tangentUsed_ = false;
    AcDb::Vertex2dType type_ = AcDb::k2dVertex;
};

class AcDb3dPolylineVertex : public AcDbVertex {
    DERO_RX_DECLARE_MEMBERS(AcDb3dPolylineVertex)

public:
    AcDb3dPolylineVertex() = default;
    explicit AcDb3dPolylineVertex(const AcGePoint3d& position) : position_(position) {}

    AcDb::Vertex3dType vertexType() const { return type_; }
    Acad::ErrorStatus setVertexType(AcDb::Vertex3dType type);
    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& position);

    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    AcGePoint3d position_;
    AcDb::Vertex3dType type_ = AcDb::k3dSimpleVertex;
};

// SEQEND: ends the vertex list of a polyline or the attribute list of a block reference.
class AcDbSequenceEnd : public AcDbEntity {
    DERO_RX_DECLARE_MEMBERS(AcDbSequenceEnd)

public:
    AcDbSequenceEnd() = default;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
};
