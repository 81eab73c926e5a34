// AcDbEntity: what every drawing entity has — layer, colour index, linetype, visibility — and the
// geometry queries (extents, intersections) that selection and editing need.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/ac_array.h"
#include "platform/cad/db_object.h"
#include "platform/cad/ge_types.h"

class AcDbExtents {
public:
    AcDbExtents() = default;
    AcDbExtents(const AcGePoint3d& minPoint, const AcGePoint3d& maxPoint) : min_(minPoint), max_(maxPoint), empty_(false) {}
    const AcGePoint3d& minPoint() const { return min_; }
    const AcGePoint3d& maxPoint() const { return max_; }
    bool isEmpty() const { return empty_; }
    void set(const AcGePoint3d& minPoint, const AcGePoint3d& maxPoint);
    void addPoint(const AcGePoint3d& point);
    void addExt(const AcDbExtents& other);

private:
    AcGePoint3d min_;
    AcGePoint3d max_;
    bool empty_ = true;
};

class AcDbEntity : public AcDbObject {
    DERO_RX_DECLARE_ABSTRACT_MEMBERS(AcDbEntity)

public:
    AcDbEntity() = default;
    AcDbEntity(const AcDbEntity&) = default;

    AcDbObjectId blockId() const { return ownerId(); }

    // Layer by name (heap copy; free with acutDelString) or id. Setting a name that the layer
    // table lacks fails with eKeyNotFound. doSubents carries the change to vertices and attributes.
    char* layer() const;
#ifdef DERO_HOST_EXTRAS
    std::string layerName() const;
#endif
    AcDbObjectId layerId() const { return layer_; }
    Acad::ErrorStatus setLayer(const char* name, bool doSubents = true);
    Acad::ErrorStatus setLayer(AcDbObjectId layer, bool doSubents = true);

    Adesk::UInt16 colorIndex() const { return color_; }
    Acad::ErrorStatus setColorIndex(Adesk::UInt16 index, bool doSubents = true);

    char* linetype() const;
    std::string linetypeName() const;
    AcDbObjectId linetypeId() const { return linetype_; }
    Acad::ErrorStatus setLinetype(const char* name, bool doSubents = true);
    Acad::ErrorStatus setLinetype(AcDbObjectId linetype, bool doSubents = true);
    double linetypeScale() const { return ltscale_; }
    Acad::ErrorStatus setLinetypeScale(double scale, bool doSubents = true);

    AcDb::Visibility visibility() const { return visible_ ? AcDb::kVisible : AcDb::kInvisible; }
    Acad::ErrorStatus setVisibility(AcDb::Visibility visibility, bool doSubents = true);

    // Layer, colour, linetype, scale and visibility of another entity.
    Acad::ErrorStatus setPropertiesFrom(const AcDbEntity* other, bool doSubents = true);

    // Layer, linetype and colour of a new entity from the database (the working one when null).
    void setDatabaseDefaults(AcDbDatabase* database = nullptr);

    virtual Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;

    // Intersections of the two entities, projected on the XY plane (or the given plane, when it is
    // parallel to XY); points carry the z of this entity.
    virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type,
                                            AcGePoint3dArray& points, std::intptr_t thisMarker = 0,
                                            std::intptr_t otherMarker = 0) const;
    virtual Acad::ErrorStatus intersectWith(const AcDbEntity* other, AcDb::Intersect type,
                                            const AcGePlane& projPlane, AcGePoint3dArray& points,
                                            std::intptr_t thisMarker = 0, std::intptr_t otherMarker = 0) const;

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;
    void objectAppended() override;

protected:
    // Sub-entities not yet resident (held by a non-resident owner).
    virtual std::vector<AcDbEntity*> pendingSubents() const { return {}; }

private:
    // Applies a property change to the sub-entities too.
    template <typename F>
    void applyToSubents(F&& change);

    AcDbObjectId layer_;
    AcDbObjectId linetype_;
    Adesk::UInt16 color_ = AcDb::kColorByLayer;
    double ltscale_ = 1.0;
    bool visible_ = true;
};

void acutDelString(char*& text);
