// LWPOLYLINE: the lightweight polyline. Vertices are 2D in the polyline's plane at its elevation;
// each has a bulge (tan of a quarter of the arc's angle, positive counter-clockwise) and start and
// end widths for the segment it starts.
#pragma once

#include <vector>

#include "platform/cad/db_curve.h"

class AcDb2dPolyline;

class AcDbPolyline : public AcDbCurve {
    DERO_RX_DECLARE_MEMBERS(AcDbPolyline)

public:
    AcDbPolyline() = default;
    explicit AcDbPolyline(unsigned int reserved) { vertices_.reserve(reserved); }

    unsigned int numVerts() const { return static_cast<unsigned int>(vertices_.size()); }
    // Widths of -1 take the constant width. eInvalidIndex beyond the end.
    Acad::ErrorStatus addVertexAt(unsigned int index, const AcGePoint2d& point, double bulge = 0,
                                  double startWidth = -1, double endWidth = -1);
    Acad::ErrorStatus removeVertexAt(unsigned int index);
    Acad::ErrorStatus reset(bool reuse, unsigned int numVerts);
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint2d& point) const;
    Acad::ErrorStatus getPointAt(unsigned int index, AcGePoint3d& point) const;
    Acad::ErrorStatus setPointAt(unsigned int index, const AcGePoint2d& point);
    Acad::ErrorStatus getBulgeAt(unsigned int index, double& bulge) const;
    Acad::ErrorStatus setBulgeAt(unsigned int index, double bulge);
    Acad::ErrorStatus getWidthsAt(unsigned int index, double& startWidth, double& endWidth) const;
    Acad::ErrorStatus setWidthsAt(unsigned int index, double startWidth, double endWidth);
    Acad::ErrorStatus getConstantWidth(double& width) const;
    Acad::ErrorStatus setConstantWidth(double width);

    bool isClosed() const override { return closed_; }
    void setClosed(bool closed);
    bool hasPlinegen() const { return plinegen_; }
    void setPlinegen(bool on);
    double elevation() const { return elevation_; }
    void setElevation(double elevation);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double thickness);
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    bool hasBulges() const;
    bool hasWidth() const;
    bool isOnlyLines() const { return !hasBulges(); }

    // An equivalent simple 2D polyline. With transferId the new polyline takes this one's place
    // in the database (id, handle, XData, groups) open for write, and this one leaves it: the
    // caller closes the new one and deletes this one.
    Acad::ErrorStatus convertTo(AcDb2dPolyline*& result, bool transferId = true);
    // Fills this (non-resident) polyline from a simple 2D polyline.
    Acad::ErrorStatus convertFrom(AcDbEntity*& source, bool transferId = true);

    bool buildPath(platform::cad::CurvePath& path) const override;
    // Straight spans in the plane: the box of the vertices, without building the path.
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

protected:
    AcDbCurve* curveFromPath(const platform::cad::CurvePath& piece) const override;
    // Every change of the vertices, closure, elevation or normal goes through this class.
    bool keepsPath() const override { return true; }

private:
    struct Vertex {
        AcGePoint2d point;
        double bulge = 0;
        double startWidth = 0;
        double endWidth = 0;
    };
    std::vector<Vertex> vertices_;
    bool closed_ = false;
    bool plinegen_ = false;
    double elevation_ = 0;
    double thickness_ = 0;
    double constantWidth_ = 0;
    AcGeVector3d normal_{0, 0, 1};
};
