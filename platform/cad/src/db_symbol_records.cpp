#include "platform/cad/db_symbol_records.h"

#include "platform/cad/db_database.h"
#include "platform/cad/resbuf.h"

using platform::cad::PeekObject;

DERO_RX_DEFINE_MEMBERS(AcDbLayerTableRecord, "LAYER", AcDbSymbolTableRecord)
DERO_RX_DEFINE_MEMBERS(AcDbLinetypeTableRecord, "LTYPE", AcDbSymbolTableRecord)
DERO_RX_DEFINE_MEMBERS(AcDbTextStyleTableRecord, "STYLE", AcDbSymbolTableRecord)
DERO_RX_DEFINE_MEMBERS(AcDbRegAppTableRecord, "APPID", AcDbSymbolTableRecord)

AcCmColor AcDbLayerTableRecord::color() const
{
    AcCmColor c;
    c.setColorIndex(color_);
    return c;
}

Acad::ErrorStatus AcDbLayerTableRecord::setColor(const AcCmColor& color)
{
    // A layer's colour is a real colour: neither ByLayer nor ByBlock.
    if (color.colorIndex() < 1 || color.colorIndex() > 255)
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    color_ = color.colorIndex();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsOff(bool off)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    off_ = off;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsFrozen(bool frozen)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    setFlagBit(1, frozen);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsLocked(bool locked)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    setFlagBit(4, locked);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setIsPlottable(bool plottable)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    plottable_ = plottable;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLayerTableRecord::setLinetypeObjectId(AcDbObjectId linetype)
{
    if (!linetype.isNull() && AcDbLinetypeTableRecord::cast(PeekObject(linetype)) == nullptr)
        return Acad::eWrongObjectType;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    linetype_ = linetype;
    return Acad::eOk;
}

void AcDbLayerTableRecord::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbSymbolTableRecord::dxfOutFields(filer);
    filer->writeSubclass("AcDbLayerTableRecord");
    // A layer that is off keeps its colour with a negative sign.
    filer->writeInt(62, off_ ? -static_cast<int>(color_) : color_);
    auto* lt = AcDbLinetypeTableRecord::cast(PeekObject(linetype_));
    filer->writeString(6, lt != nullptr ? lt->name() : "Continuous");
    if (!plottable_)
        filer->writeInt(290, 0);
}

Acad::ErrorStatus AcDbLayerTableRecord::dxfInFields(const AcDbDxfFiler* filer)
{
    AcDbObjectId linetype = linetype_;
    if (const auto* lt = filer->find(6)) {
        AcDbDatabase* db = database() != nullptr ? database() : acdbHostApplicationServices()->workingDatabase();
        auto* table = AcDbLinetypeTable::cast(PeekObject(db->linetypeTableId()));
        if (table == nullptr || table->getAt(lt->text.c_str(), linetype) != Acad::eOk)
            return Acad::eKeyNotFound;
    }
    const auto* color = filer->find(62);
    if (color != nullptr && (color->integer == 0 || color->integer > 255 || color->integer < -255))
        return Acad::eInvalidInput;
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    linetype_ = linetype;
    if (color != nullptr) {
        off_ = color->integer < 0;
        color_ = static_cast<Adesk::UInt16>(off_ ? -color->integer : color->integer);
    }
    if (const auto* plot = filer->find(290))
        plottable_ = plot->integer != 0;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setComments(const char* comments)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    comments_ = comments != nullptr ? comments : "";
    return Acad::eOk;
}

double AcDbLinetypeTableRecord::patternLength() const
{
    double sum = 0;
    for (double d : dashes_)
        sum += d < 0 ? -d : d;
    return sum;
}

double AcDbLinetypeTableRecord::dashLengthAt(int index) const
{
    return index >= 0 && index < numDashes() ? dashes_[static_cast<std::size_t>(index)] : 0.0;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setNumDashes(int count)
{
    if (count < 0 || count > 12)
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    dashes_.resize(static_cast<std::size_t>(count), 0.0);
    return Acad::eOk;
}

Acad::ErrorStatus AcDbLinetypeTableRecord::setDashLengthAt(int index, double length)
{
    if (index < 0 || index >= numDashes())
        return Acad::eInvalidIndex;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    dashes_[static_cast<std::size_t>(index)] = length;
    return Acad::eOk;
}

void AcDbLinetypeTableRecord::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbSymbolTableRecord::dxfOutFields(filer);
    filer->writeSubclass("AcDbLinetypeTableRecord");
    filer->writeString(3, comments_);
    filer->writeInt(72, 65);
    filer->writeInt(73, numDashes());
    filer->writeReal(40, patternLength());
    for (double d : dashes_) {
        filer->writeReal(49, d);
        filer->writeInt(74, 0);
    }
}

Acad::ErrorStatus AcDbLinetypeTableRecord::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* c = filer->find(3))
        comments_ = c->text;
    bool any = false;
    std::vector<double> dashes;
    for (const auto& tag : filer->tags())
        if (tag.code == 49) {
            dashes.push_back(tag.real);
            any = true;
        }
    if (any)
        dashes_ = dashes;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::fileName(const char*& name) const
{
    name = fileName_.c_str();
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setFileName(const char* name)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    fileName_ = name != nullptr ? name : "";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setBigFontFileName(const char* name)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    bigFont_ = name != nullptr ? name : "";
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setTextSize(double size)
{
    if (size < 0)
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    textSize_ = size;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setXScale(double scale)
{
    if (scale <= 0)
        return Acad::eInvalidInput;
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    xScale_ = scale;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setObliquingAngle(double angle)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    oblique_ = angle;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setPriorSize(double size)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    priorSize_ = size;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::setFont(const char* typeface, bool bold, bool italic, int charset,
                                                    int pitchAndFamily)
{
    if (!beginModify())
        return Acad::eNotOpenForWrite;
    typeface_ = typeface != nullptr ? typeface : "";
    bold_ = bold;
    italic_ = italic;
    charset_ = charset;
    pitchAndFamily_ = pitchAndFamily;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbTextStyleTableRecord::font(char*& typeface, bool& bold, bool& italic, int& charset,
                                                 int& pitchAndFamily) const
{
    typeface = acutNewString(typeface_.c_str());
    bold = bold_;
    italic = italic_;
    charset = charset_;
    pitchAndFamily = pitchAndFamily_;
    return Acad::eOk;
}

void AcDbTextStyleTableRecord::dxfOutFields(AcDbDxfFiler* filer) const
{
    AcDbSymbolTableRecord::dxfOutFields(filer);
    filer->writeSubclass("AcDbTextStyleTableRecord");
    filer->writeReal(40, textSize_);
    filer->writeReal(41, xScale_);
    filer->writeAngle(50, oblique_);
    filer->writeInt(71, 0);
    filer->writeReal(42, priorSize_);
    filer->writeString(3, fileName_);
    filer->writeString(4, bigFont_);
}

Acad::ErrorStatus AcDbTextStyleTableRecord::dxfInFields(const AcDbDxfFiler* filer)
{
    Acad::ErrorStatus es = AcDbSymbolTableRecord::dxfInFields(filer);
    if (es != Acad::eOk)
        return es;
    if (const auto* t = filer->find(40))
        textSize_ = t->real;
    if (const auto* t = filer->find(41))
        xScale_ = t->real > 0 ? t->real : 1.0;
    if (const auto* t = filer->find(50))
        oblique_ = filer->angleOf(*t);
    if (const auto* t = filer->find(42))
        priorSize_ = t->real;
    if (const auto* t = filer->find(3))
        fileName_ = t->text;
    if (const auto* t = filer->find(4))
        bigFont_ = t->text;
    return Acad::eOk;
}
