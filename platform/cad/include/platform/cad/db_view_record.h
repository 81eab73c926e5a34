// A view record: what a saved or current view holds (centre, size, direction, clipping). Product
// code fills one from the current view and makes it current with acedSetCurrentView. A record of a
// drawing's view table keeps the groups it was read with.
#pragma once

#include "platform/cad/db_kept_symbol_records.h"
#include "platform/cad/ge_types.h"

class AcDbViewport;

class AcDbViewTableRecord : public AcDbKeptSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbViewTableRecord)

public:
    AcDbViewTableRecord() = default;

    AcGePoint2d centerPoint() const { return center_; }
    void setCenterPoint(const AcGePoint2d& center) { center_ = center; }
    double height() const { return height_; }
    void setHeight(double height) { height_ = height; }
    double width() const { return width_; }
    void setWidth(double width) { width_ = width; }
    AcGePoint3d target() const { return target_; }
    void setTarget(const AcGePoint3d& target) { target_ = target; }
    AcGeVector3d viewDirection() const { return direction_; }
    void setViewDirection(const AcGeVector3d& direction) { direction_ = direction; }
    double viewTwist() const { return twist_; }
    void setViewTwist(double twist) { twist_ = twist; }
    double lensLength() const { return lens_; }
    void setLensLength(double length) { lens_ = length; }
    double frontClipDistance() const { return front_; }
    void setFrontClipDistance(double distance) { front_ = distance; }
    double backClipDistance() const { return back_; }
    void setBackClipDistance(double distance) { back_ = distance; }
    bool perspectiveEnabled() const { return perspective_; }
    void setPerspectiveEnabled(bool on) { perspective_ = on; }
    bool frontClipEnabled() const { return frontClip_; }
    void setFrontClipEnabled(bool on) { frontClip_ = on; }
    bool backClipEnabled() const { return backClip_; }
    void setBackClipEnabled(bool on) { backClip_ = on; }
    bool frontClipAtEye() const { return frontAtEye_; }
    void setFrontClipAtEye(bool on) { frontAtEye_ = on; }

protected:
    const char* subclassName() const override { return "AcDbViewTableRecord"; }

private:
    AcGePoint2d center_;
    double height_ = 0;
    double width_ = 0;
    AcGePoint3d target_;
    AcGeVector3d direction_{0, 0, 1};
    double twist_ = 0;
    double lens_ = 50;
    double front_ = 0;
    double back_ = 0;
    bool perspective_ = false;
    bool frontClip_ = false;
    bool backClip_ = false;
    bool frontAtEye_ = true;
};

// Makes the record the view of the current viewport (viewport null) of the working drawing. The
// shown area is the record's width and height, centred, fitted to the screen's proportions.
// eInvalidInput for a null record or a width or height that is not above zero (nothing changes).
Acad::ErrorStatus acedSetCurrentView(AcDbViewTableRecord* view, AcDbViewport* viewport);
