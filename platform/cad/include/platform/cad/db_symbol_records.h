// The records of the layer, linetype, text style and application tables.
#pragma once

#include <string>
#include <vector>

#include "platform/cad/cm_color.h"
#include "platform/cad/db_symbol_table.h"

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbLayerTableRecord)

public:
    AcDbLayerTableRecord() = default;

    AcCmColor color() const;
    Acad::ErrorStatus setColor(const AcCmColor& color);
    Adesk::UInt16 colorIndex() const { return color_; }
    // Off and frozen layers hide their entities; a locked layer's entities cannot be edited.
    bool isOff() const { return off_; }
    Acad::ErrorStatus setIsOff(bool off);
    bool isFrozen() const { return (flags() & 1) != 0; }
    Acad::ErrorStatus setIsFrozen(bool frozen);
    bool isLocked() const { return (flags() & 4) != 0; }
    Acad::ErrorStatus setIsLocked(bool locked);
    bool isPlottable() const { return plottable_; }
    Acad::ErrorStatus setIsPlottable(bool plottable);
    // Null means the database's "Continuous".
    AcDbObjectId linetypeObjectId() const { return linetype_; }
    Acad::ErrorStatus setLinetypeObjectId(AcDbObjectId linetype);

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    Adesk::UInt16 color_ = 7;
    bool off_ = false;
    bool plottable_ = true;
    AcDbObjectId linetype_;
};

class AcDbLinetypeTableRecord : public AcDbSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbLinetypeTableRecord)

public:
    AcDbLinetypeTableRecord() = default;

    const char* commentsConst() const { return comments_.c_str(); }
    Acad::ErrorStatus setComments(const char* comments);
    Acad::ErrorStatus setAsciiDescription(const char* text) { return setComments(text); }
    double patternLength() const;
    int numDashes() const { return static_cast<int>(dashes_.size()); }
    double dashLengthAt(int index) const;
    Acad::ErrorStatus setNumDashes(int count);
    Acad::ErrorStatus setDashLengthAt(int index, double length);

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    std::string comments_;
    std::vector<double> dashes_;
};

class AcDbTextStyleTableRecord : public AcDbSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbTextStyleTableRecord)

public:
    AcDbTextStyleTableRecord() = default;

#ifdef DERO_HOST_EXTRAS
    const char* fileNameConst() const { return fileName_.c_str(); }
#endif
    Acad::ErrorStatus fileName(const char*& name) const;
    Acad::ErrorStatus setFileName(const char* name);
    const char* bigFontFileNameConst() const { return bigFont_.c_str(); }
    Acad::ErrorStatus setBigFontFileName(const char* name);
    double textSize() const { return textSize_; }
    Acad::ErrorStatus setTextSize(double size);
    double xScale() const { return xScale_; }
    Acad::ErrorStatus setXScale(double scale);
    double obliquingAngle() const { return oblique_; }
    Acad::ErrorStatus setObliquingAngle(double angle);
    double priorSize() const { return priorSize_; }
    Acad::ErrorStatus setPriorSize(double size);
    // The Windows font of the style (typeface, bold, italic, character set, pitch and family).
    Acad::ErrorStatus setFont(const char* typeface, bool bold, bool italic, int charset, int pitchAndFamily);
    Acad::ErrorStatus font(char*& typeface, bool& bold, bool& italic, int& charset, int& pitchAndFamily) const;
    const char* typefaceConst() const { return typeface_.c_str(); }

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    std::string fileName_;
    std::string bigFont_;
    std::string typeface_;
    bool bold_ = false;
    bool italic_ = false;
    int charset_ = 0;
    int pitchAndFamily_ = 0;
    double textSize_ = 0;
    double xScale_ = 1.0;
    double oblique_ = 0;
    double priorSize_ = 2.5;
};

class AcDbRegAppTableRecord : public AcDbSymbolTableRecord {
    DERO_RX_DECLARE_MEMBERS(AcDbRegAppTableRecord)

public:
    AcDbRegAppTableRecord() = default;
};
