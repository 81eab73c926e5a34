// TEXT: one line of text. A left-baseline text is placed by its position; every other alignment by
// its alignment point.
#pragma once

#include <string>

#include "platform/cad/db_entity.h"

class AcDbText : public AcDbEntity {
    DERO_RX_DECLARE_MEMBERS(AcDbText)

public:
    AcDbText() = default;
    AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style = AcDbObjectId::kNull,
             double height = 0, double rotation = 0);

    AcGePoint3d position() const { return position_; }
    Acad::ErrorStatus setPosition(const AcGePoint3d& position);
    AcGePoint3d alignmentPoint() const { return alignment_; }
    Acad::ErrorStatus setAlignmentPoint(const AcGePoint3d& point);
    bool isDefaultAlignment() const { return horz_ == AcDb::kTextLeft && vert_ == AcDb::kTextBase; }
    // Heap copy (free with acutDelString); textStringConst() for reading in place.
    char* textString() const;
    const char* textStringConst() const { return text_.c_str(); }
    Acad::ErrorStatus setTextString(const char* text);
    double height() const { return height_; }
    Acad::ErrorStatus setHeight(double height);
    double rotation() const { return rotation_; }
    Acad::ErrorStatus setRotation(double rotation);
    double widthFactor() const { return widthFactor_; }
    Acad::ErrorStatus setWidthFactor(double factor);
    double oblique() const { return oblique_; }
    Acad::ErrorStatus setOblique(double angle);
    AcDbObjectId textStyle() const { return style_; }
    Acad::ErrorStatus setTextStyle(AcDbObjectId style);
    AcDb::TextHorzMode horizontalMode() const { return horz_; }
    Acad::ErrorStatus setHorizontalMode(AcDb::TextHorzMode mode);
    AcDb::TextVertMode verticalMode() const { return vert_; }
    Acad::ErrorStatus setVerticalMode(AcDb::TextVertMode mode);
    bool isMirroredInX() const { return (generation_ & 2) != 0; }
    bool isMirroredInY() const { return (generation_ & 4) != 0; }
    AcGeVector3d normal() const { return normal_; }
    Acad::ErrorStatus setNormal(const AcGeVector3d& normal);
    double thickness() const { return thickness_; }
    Acad::ErrorStatus setThickness(double thickness);

    // Works out the position of a text placed by its alignment point (fit and aligned texts keep
    // theirs); the host does this when the text is added and after a change of its definition.
    Acad::ErrorStatus adjustAlignment(const AcDbDatabase* database = nullptr);

    // The box of the text: a single-byte character advances 0.6 of the height times the width
    // factor, a double-byte (GBK) character the full height times the width factor.
    Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const override;
    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;
    void objectAppended() override;

protected:
    // The fields shared with attributes, written under the text's own subclass.
    void textFieldsOut(AcDbDxfFiler* filer) const;
    Acad::ErrorStatus textFieldsIn(const AcDbDxfFiler* filer, int verticalModeCode);

private:
    AcGePoint3d position_;
    AcGePoint3d alignment_;
    std::string text_;
    double height_ = 0;
    double rotation_ = 0;
    double widthFactor_ = 1.0;
    double oblique_ = 0;
    double thickness_ = 0;
    AcDbObjectId style_;
    AcDb::TextHorzMode horz_ = AcDb::kTextLeft;
    AcDb::TextVertMode vert_ = AcDb::kTextBase;
    int generation_ = 0;
    AcGeVector3d normal_{0, 0, 1};
};

// ATTRIB: a tagged text owned by a block reference.
class AcDbAttribute : public AcDbText {
    DERO_RX_DECLARE_MEMBERS(AcDbAttribute)

public:
    AcDbAttribute() = default;
    AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag,
                  AcDbObjectId style = AcDbObjectId::kNull);

    char* tag() const;
    const char* tagConst() const { return tag_.c_str(); }
    // The host keeps tags in upper case; eInvalidInput for an empty tag or one with spaces.
    Acad::ErrorStatus setTag(const char* tag);
    bool isInvisible() const { return (flags_ & 1) != 0; }
    Acad::ErrorStatus setInvisible(bool on);
    bool isConstant() const { return (flags_ & 2) != 0; }
    bool isVerifiable() const { return (flags_ & 4) != 0; }
    bool isPreset() const { return (flags_ & 8) != 0; }
    int fieldLength() const { return fieldLength_; }

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    std::string tag_;
    int flags_ = 0;
    int fieldLength_ = 0;
};

// ATTDEF: the template of an attribute in a block definition.
class AcDbAttributeDefinition : public AcDbText {
    DERO_RX_DECLARE_MEMBERS(AcDbAttributeDefinition)

public:
    AcDbAttributeDefinition() = default;
    AcDbAttributeDefinition(const AcGePoint3d& position, const char* text, const char* tag, const char* prompt,
                            AcDbObjectId style = AcDbObjectId::kNull);

    const char* tagConst() const { return tag_.c_str(); }
    Acad::ErrorStatus setTag(const char* tag);
    const char* promptConst() const { return prompt_.c_str(); }
    Acad::ErrorStatus setPrompt(const char* prompt);
    bool isInvisible() const { return (flags_ & 1) != 0; }
    bool isConstant() const { return (flags_ & 2) != 0; }

    void dxfOutFields(AcDbDxfFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(const AcDbDxfFiler* filer) override;

private:
    std::string tag_;
    std::string prompt_;
    int flags_ = 0;
};
