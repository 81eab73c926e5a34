#include "cadastral/number_prefix.h"

#include "drawingutil/entity_types.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "drawingutil/selection_set.h"
#include "platform/cad/db_text.h"
#include "platform/cad/prompts.h"
#include "platform/cad/resbuf.h"
#include "platform/text/gbk.h"
#include "progress_scope.h"

namespace cadastral {

using drawingutil::Opened;

void StripNumberPrefix(std::string_view text, std::string& out)
{
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = std::max<std::size_t>(platform::text::GbkCharLength(text, pos), 1);
        const auto c = static_cast<unsigned char>(text[pos]);
        if (length == 1 && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            start = pos + 1;
        pos += length;
    }
    out.assign(text.substr(std::min(start, text.size())));
}

namespace {

constexpr const char* kPointCode = "301000";
constexpr const char* kLabelCode = "301001";

// Boundary-point circles and their labels on "JZP", coded.
drawingutil::Chain PointFilter()
{
    return drawingutil::Chain(acutBuildList(-4, "<or", -4, "<and", RTDXF0, "CIRCLE", 8, "JZP", -4, "and>", -4,
                                            "<and", RTDXF0, "TEXT", 8, "JZP", -4, "and>", -4, "or>", -3, 1001,
                                            "MIRET", RTNONE));
}

bool StripLabel(AcDbObjectId id)
{
    Opened<AcDbObject> object(id, AcDb::kForWrite);
    AcDbText* text = AsEntityText(object.get());
    if (text == nullptr)
        return false;
    std::string stripped;
    StripNumberPrefix(text->textStringConst(), stripped);
    return text->setTextString(stripped.c_str()) == Acad::eOk;
}

}  // namespace

void DELETEJZDPRE()
{
    drawingutil::SelectionSet selection;
    drawingutil::Chain filter = PointFilter();
    if (!filter || acedSSGet(nullptr, nullptr, nullptr, filter.get(), selection.Fill()) != RTNORM) {
        selection.Drop();
        acutPrintf("\n没有选中界址点或其注记");
        return;
    }
    const Adesk::Int32 length = selection.Length();
    int count = 0;
    {
        ProgressScope progress("删除界址点注记前缀...", static_cast<int>(length));
        std::string code;
        for (Adesk::Int32 i = 0; i < length; ++i) {
            progress.Step(static_cast<int>(i));
            ads_name entity;
            AcDbObjectId id;
            if (!selection.At(i, entity, id))
                continue;
            GetEntityCode(entity, code);
            if (code == kPointCode) {
                if (WriteEntityXData(id, "MIRET", "", kXDataString, 1, false, false, false))
                    ++count;
            } else if (code == kLabelCode) {
                if (StripLabel(id))
                    ++count;
            }
        }
        selection.Free();
    }
    acutPrintf("\n删除界址点注记前缀　%d　个", count);
}

}  // namespace cadastral
