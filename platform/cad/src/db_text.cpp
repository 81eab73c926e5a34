#include "platform/cad/db_text.h"

#include <cmath>

#include "modify_guard.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/resbuf.h"
#include "platform/text/gbk.h"

using platform::cad::PeekObject;

namespace {
constexpr double kDefaultTextSize = 2.5;  // TEXTSIZE of a new metric drawing
}

DERO_RX_DEFINE_MEMBERS(AcDbText, "TEXT", AcDbEntity)
DERO_RX_DEFINE_MEMBERS(AcDbAttribute, "ATTRIB", AcDbText)
DERO_RX_DEFINE_MEMBERS(AcDbAttributeDefinition, "ATTDEF", AcDbText)

AcDbText::AcDbText(const AcGePoint3d& position, const char* text, AcDbObjectId style, double height, double rotation)
    : position_(position), alignment_(position), text_(text != nullptr ? text : ""), height_(height),
      rotation_(rotation), style_(style)
{
}

char* AcDbText::textString() const { return acutNewString(text_.c_str()); }

Acad::ErrorStatus AcDbText::setTextString(const char* text)
{
    if (text == nullptr)
        return Acad::eInvalidInput;
    DERO_MODIFY(text_ = text);
}

Acad::ErrorStatus AcDbText::setPosition(const AcGePoint3d& position) { DERO_MODIFY(position_ = position); }
Acad::ErrorStatus AcDbText::setAlignmentPoint(const AcGePoint3d& point) { DERO_MODIFY(alignment_ = point); }
Acad::ErrorStatus AcDbText::setRotation(double rotation) { DERO_MODIFY(rotation_ = rotation); }
Acad::ErrorStatus AcDbText::setOblique(double angle) { DERO_MODIFY(oblique_ = angle); }
Acad::ErrorStatus AcDbText::setThickness(double thickness) { DERO_MODIFY(thickness_ = thickness); }
Acad::ErrorStatus AcDbText::setHorizontalMode(AcDb::TextHorzMode mode) { DERO_MODIFY(horz_ = mode); }
Acad::ErrorStatus AcDbText::setVerticalMode(AcDb::TextVertMode mode) { DERO_MODIFY(vert_ = mode); }

Acad::ErrorStatus AcDbText::setHeight(double height)
{
    if (!(height > 0))
        return Acad::eInvalidInput;
    DERO_MODIFY(height_ = height);
}

Acad::ErrorStatus AcDbText::setWidthFactor(double factor)
{
    if (!(factor > 0))
        return Acad::eInvalidInput;
    DERO_MODIFY(widthFactor_ = factor);
}

Acad::ErrorStatus AcDbText::setTextStyle(AcDbObjectId style)
{
    if (AcDbTextStyleTableRecord::cast(PeekObject(style)) == nullptr)
        return Acad::eWrongObjectType;
    DERO_MODIFY(style_ = style);
}

Acad::ErrorStatus AcDbText::setNormal(const AcGeVector3d& normal)
{
    if (normal.isZeroLength())
        return Acad::eInvalidInput;
    DERO_MODIFY(normal_ = normal.normal());
}

namespace {
double TextWidth(const std::string& text, double height, double widthFactor)
{
    double width = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = platform::text::GbkCharLength(text, i);
        width += (len == 2 ? 1.0 : 0.6) * height * widthFactor;
        i += len;
    }
    return width;
}
}  // namespace

Acad::ErrorStatus AcDbText::getGeomExtents(AcDbExtents& extents) const
{
    double h = height_ > 0 ? height_ : 0;
    double w = TextWidth(text_, h, widthFactor_);
    // Box corners in the text's own frame, from the left end of the baseline at the position.
    double c = std::cos(rotation_), s = std::sin(rotation_);
    extents = AcDbExtents();
    const double corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (const auto& k : corners)
        extents.addPoint(AcGePoint3d(position_.x + k[0] * c - k[1] * s, position_.y + k[0] * s + k[1] * c, position_.z));
    return Acad::eOk;
}

void AcDbText::objectAppended()
{
    AcDbEntity::objectAppended();
    AcDbDatabase* db = database();
    if (style_.isNull() || style_.database() != db)
        style_ = db->textstyle();
    // A text without a height takes its style's fixed height, or the drawing's default text size.
    if (!(height_ > 0)) {
        auto* style = AcDbTextStyleTableRecord::cast(PeekObject(style_));
        height_ = style != nullptr && style->textSize() > 0 ? style->textSize() : kDefaultTextSize;
    }
    adjustAlignment();
}

Acad::ErrorStatus AcDbText::adjustAlignment(const AcDbDatabase* /*database*/)
{
    if (isDefaultAlignment() || horz_ == AcDb::kTextAlign || horz_ == AcDb::kTextFit)
        return Acad::eOk;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    double w = TextWidth(text_, height_, widthFactor_);
    double dx = (horz_ == AcDb::kTextCenter || horz_ == AcDb::kTextMid) ? -w / 2 : horz_ == AcDb::kTextRight ? -w : 0;
    double dy = horz_ == AcDb::kTextMid || vert_ == AcDb::kTextVertMid ? -height_ / 2
                : vert_ == AcDb::kTextTop                             ? -height_
                                                                      : 0;
    double c = std::cos(rotation_), s = std::sin(rotation_);
    position_ = AcGePoint3d(alignment_.x + dx * c - dy * s, alignment_.y + dx * s + dy * c, alignment_.z);
    return Acad::eOk;
}

void AcDbText::textFieldsOut(AcDbDxfFiler* filer) const
{
    filer->writeSubclass("AcDbText");
    if (thickness_ != 0)
        filer->writeReal(39, thickness_);
    filer->writePoint(10, position_);
    filer->writeReal(40, height_);
    filer->writeString(1, text_);
    filer->writeAngle(50, rotation_);
    filer->writeReal(41, widthFactor_);
    filer->writeAngle(51, oblique_);
    auto* style = AcDbTextStyleTableRecord::cast(PeekObject(style_));
    filer->writeString(7, style != nullptr ? style->name() : "Standard");
    filer->writeInt(71, generation_);
    filer->writeInt(72, horz_);
    if (!isDefaultAlignment())
        filer->writePoint(11, alignment_);
    filer->writeVector(210, normal_);
}

Acad::ErrorStatus AcDbText::textFieldsIn(const AcDbDxfFiler* filer, int verticalModeCode)
{
    AcDbObjectId style = style_;
    if (const auto* t = filer->find(7)) {
        AcDbDatabase* db = database() != nullptr ? database() : acdbHostApplicationServices()->workingDatabase();
        auto* table = AcDbTextStyleTable::cast(PeekObject(db->textStyleTableId()));
        if (table == nullptr || table->getAt(t->text.c_str(), style) != Acad::eOk)
            return Acad::eKeyNotFound;
    }
    const auto* height = filer->find(40);
    const auto* width = filer->find(41);
    if ((height != nullptr && !(height->real > 0)) || (width != nullptr && !(width->real > 0)))
        return Acad::eInvalidInput;
    const auto* horz = filer->find(72);
    const auto* vert = filer->find(verticalModeCode);
    if ((horz != nullptr && (horz->integer < 0 || horz->integer > 5)) ||
        (vert != nullptr && (vert->integer < 0 || vert->integer > 3)))
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    style_ = style;
    if (const auto* t = filer->find(10))
        position_ = t->point;
    if (const auto* t = filer->find(11))
        alignment_ = t->point;
    if (height != nullptr)
        height_ = height->real;
    if (width != nullptr)
        widthFactor_ = width->real;
    if (const auto* t = filer->find(1))
        text_ = t->text;
    if (const auto* t = filer->find(50))
        rotation_ = filer->angleOf(*t);
    if (const auto* t = filer->find(51))
        oblique_ = filer->angleOf(*t);
    if (const auto* t = filer->find(39))
        thickness_ = t->real;
    if (const auto* t = filer->find(71))
        generation_ = static_cast<int>(t->integer);
    if (horz != nullptr)
        horz_ = static_cast<AcDb::TextHorzMode>(horz->integer);
    if (vert != nullptr)
        vert_ = static_cast<AcDb::TextVertMode>(vert->integer);
    if (const auto* t = filer->find(210); t != nullptr && !AcGeVector3d(t->point.x, t->point.y, t->point.z).isZeroLength())
        normal_ = AcGeVector3d(t->point.x, t->point.y, t->point.z).normal();
    return adjustAlignment();
}

void AcDbText::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    textFieldsOut(filer);
    filer->writeSubclass("AcDbText");
    filer->writeInt(73, vert_);
}

Acad::ErrorStatus AcDbText::dxfInFields(const AcDbDxfFiler* filer) { return textFieldsIn(filer, 73); }

namespace {
// Tags are kept in upper case; spaces are not allowed.
bool NormalizeTag(const char* tag, std::string& out)
{
    if (tag == nullptr || *tag == '\0')
        return false;
    std::string text = tag;
    for (std::size_t i = 0; i < text.size(); i += platform::text::GbkCharLength(text, i))
        if (text[i] == ' ')
            return false;
    out = platform::text::GbkToUpper(text);
    return true;
}
}  // namespace

AcDbAttribute::AcDbAttribute(const AcGePoint3d& position, const char* text, const char* tag, AcDbObjectId style)
    : AcDbText(position, text, style)
{
    NormalizeTag(tag, tag_);
}

char* AcDbAttribute::tag() const { return acutNewString(tag_.c_str()); }

Acad::ErrorStatus AcDbAttribute::setTag(const char* tag)
{
    std::string text;
    if (!NormalizeTag(tag, text))
        return Acad::eInvalidInput;
    DERO_MODIFY(tag_ = text);
}

Acad::ErrorStatus AcDbAttribute::setInvisible(bool on) { DERO_MODIFY(flags_ = on ? (flags_ | 1) : (flags_ & ~1)); }

void AcDbAttribute::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    textFieldsOut(filer);
    filer->writeSubclass("AcDbAttribute");
    filer->writeString(2, tag_);
    filer->writeInt(70, flags_);
    filer->writeInt(73, fieldLength_);
    filer->writeInt(74, verticalMode());
}

Acad::ErrorStatus AcDbAttribute::dxfInFields(const AcDbDxfFiler* filer)
{
    std::string tag = tag_;
    // The tag names the attribute: one read without it could not be written.
    if (const auto* t = filer->find(2); (t != nullptr && !NormalizeTag(t->text.c_str(), tag)) || tag.empty())
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = textFieldsIn(filer, 74);
    if (es != Acad::eOk)
        return es;
    tag_ = tag;
    if (const auto* t = filer->find(70))
        flags_ = static_cast<int>(t->integer);
    if (const auto* t = filer->find(73))
        fieldLength_ = static_cast<int>(t->integer);
    return Acad::eOk;
}

AcDbAttributeDefinition::AcDbAttributeDefinition(const AcGePoint3d& position, const char* text, const char* tag,
                                                 const char* prompt, AcDbObjectId style)
    : AcDbText(position, text, style), prompt_(prompt != nullptr ? prompt : "")
{
    NormalizeTag(tag, tag_);
}

Acad::ErrorStatus AcDbAttributeDefinition::setTag(const char* tag)
{
    std::string text;
    if (!NormalizeTag(tag, text))
        return Acad::eInvalidInput;
    DERO_MODIFY(tag_ = text);
}

Acad::ErrorStatus AcDbAttributeDefinition::setPrompt(const char* prompt)
{
    DERO_MODIFY(prompt_ = prompt != nullptr ? prompt : "");
}

void AcDbAttributeDefinition::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbEntity::dxfOutFields(filer);
    textFieldsOut(filer);
    filer->writeSubclass("AcDbAttributeDefinition");
    filer->writeString(3, prompt_);
    filer->writeString(2, tag_);
    filer->writeInt(70, flags_);
    filer->writeInt(74, verticalMode());
}

Acad::ErrorStatus AcDbAttributeDefinition::dxfInFields(const AcDbDxfFiler* filer)
{
    std::string tag = tag_;
    // The tag names the attribute: one read without it could not be written.
    if (const auto* t = filer->find(2); (t != nullptr && !NormalizeTag(t->text.c_str(), tag)) || tag.empty())
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = textFieldsIn(filer, 74);
    if (es != Acad::eOk)
        return es;
    tag_ = tag;
    if (const auto* t = filer->find(3))
        prompt_ = t->text;
    if (const auto* t = filer->find(70))
        flags_ = static_cast<int>(t->integer);
    return Acad::eOk;
}
