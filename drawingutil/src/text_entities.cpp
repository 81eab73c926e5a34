#include "drawingutil/text_entities.h"

#include <array>
#include <memory>

#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_text.h"
#include "platform/text/gbk.h"

#include "drawingutil/coded_entities.h"
#include "drawingutil/layers.h"
#include "drawingutil/host_objects.h"

using namespace drawingutil;

namespace {

struct Justification {
    const char* code;
    AcDb::TextHorzMode horizontal;
    AcDb::TextVertMode vertical;
};

constexpr std::array<Justification, 10> kJustifications = {{
    {"M", AcDb::kTextMid, AcDb::kTextBase},
    {"TL", AcDb::kTextLeft, AcDb::kTextTop},
    {"TC", AcDb::kTextCenter, AcDb::kTextTop},
    {"TR", AcDb::kTextRight, AcDb::kTextTop},
    {"ML", AcDb::kTextLeft, AcDb::kTextVertMid},
    {"MR", AcDb::kTextRight, AcDb::kTextVertMid},
    {"BL", AcDb::kTextLeft, AcDb::kTextBottom},
    {"BC", AcDb::kTextCenter, AcDb::kTextBottom},
    {"BR", AcDb::kTextRight, AcDb::kTextBottom},
    {"R", AcDb::kTextRight, AcDb::kTextBottom},
}};

const Justification* FindJustification(const char* code, bool centreCode)
{
    static constexpr Justification kCentre = {"C", AcDb::kTextCenter, AcDb::kTextBase};
    const char* text = TextOrEmpty(code);
    if (centreCode && platform::text::GbkEqualNoCase(text, kCentre.code))
        return &kCentre;
    for (const Justification& j : kJustifications) {
        if (platform::text::GbkEqualNoCase(text, j.code))
            return &j;
    }
    return nullptr;
}

// The text style named after the font, made when the drawing lacks it: font file "FONRS", the
// font as typeface, GB2312 character set. Reusing it keeps the style table from growing with
// every text. The null id when the host refuses the name.
AcDbObjectId FontStyle(AcDbDatabase* db, const char* fontName)
{
    AcDbTextStyleTable* table = nullptr;
    if (db->getTextStyleTable(table, AcDb::kForWrite) != Acad::eOk)
        return {};
    AcDbObjectId id;
    if (table->getAt(fontName, id) != Acad::eOk) {
        auto* record = new AcDbTextStyleTableRecord;
        if (record->setName(fontName) == Acad::eOk && record->setFileName("FONRS") == Acad::eOk &&
            record->setFont(fontName, false, false, 134, 49) == Acad::eOk && table->add(id, record) == Acad::eOk) {
            record->close();
        } else {
            delete record;
            id.setNull();
        }
    }
    table->close();
    return id;
}

}  // namespace

AcDbObjectId CreateText(const AcGePoint3d& position, const char* text, const char* justification, const char* code,
                        double height, const char* layer, double rotation, double widthFactor,
                        const char* fontName, const TextOptions& options)
{
    if (widthFactor <= 0)
        widthFactor = options.defaultWidthFactor > 0 ? options.defaultWidthFactor : 0.8;
    if (text == nullptr || *text == '\0' || !(height > 0))
        return {};
    auto entity = std::make_unique<AcDbText>();
    entity->setTextString(text);
    entity->setHeight(height);
    entity->setRotation(rotation);
    if (const Justification* j = FindJustification(justification, options.centreCode)) {
        entity->setHorizontalMode(j->horizontal);
        entity->setVerticalMode(j->vertical);
        entity->setAlignmentPoint(position);
    } else {
        entity->setHorizontalMode(AcDb::kTextLeft);
        entity->setVerticalMode(AcDb::kTextBase);
        entity->setPosition(position);
    }
    entity->setWidthFactor(widthFactor);
    if (fontName != nullptr && *fontName != '\0') {
        AcDbObjectId style = FontStyle(acdbHostApplicationServices()->workingDatabase(), fontName);
        if (!style.isNull())
            entity->setTextStyle(style);
    }
    return FinishCodedEntity(entity.release(), code, layer, nullptr);
}
