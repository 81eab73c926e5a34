// LAYER: the option M makes a layer current, creating it when the drawing lacks it.

#include "builtin_input.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/prompts.h"
#include "platform/text/format.h"

namespace platform::cad {
namespace {

std::string CurrentLayerName(AcDbDatabase* db)
{
    auto* record = AcDbLayerTableRecord::cast(PeekObject(db->clayer()));
    return record != nullptr ? record->name() : "0";
}

// The layer's id, made when missing; false with a message for a name the host refuses.
bool FindOrMakeLayer(AcDbDatabase* db, const std::string& name, AcDbObjectId& id)
{
    AcDbLayerTable* table = nullptr;
    if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk)
        return false;
    Acad::ErrorStatus es = table->getAt(name.c_str(), id);
    if (es == Acad::eOk) {
        table->close();
        return true;
    }
    table->upgradeOpen();
    auto* record = new AcDbLayerTableRecord;
    es = record->setName(name.c_str());
    if (es == Acad::eOk)
        es = table->add(id, record);
    if (es == Acad::eOk)
        record->close();
    else
        delete record;
    table->close();
    if (es != Acad::eOk)
        PrintToCommandLine(text::Format("\n无效的图层名 \"%s\"。", name));
    return es == Acad::eOk;
}

int Layer()
{
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    for (;;) {
        PromptReply reply = ReadReply(
            "\n输入选项\n[?/生成(M)/设置(S)/新建(N)/开(ON)/关(OFF)/颜色(C)/线型(L)/冻结(F)/解冻(T)/锁定(LO)/解锁(U)]: ");
        if (reply.cancel)
            return RTCAN;
        const std::string option = OptionOf(reply);
        if (option.empty())
            return RTNORM;
        if (!IsOption(option, "M", "MAKE")) {
            PrintToCommandLine("\n本主机的 LAYER 只提供生成(M)。");
            continue;
        }
        std::string current = CurrentLayerName(db);
        PromptReply name = ReadReply(text::Format("\n输入要置为当前的新图层名 <%s>: ", current));
        if (name.cancel)
            return RTCAN;
        AcDbObjectId id;
        if (!name.text.empty() && FindOrMakeLayer(db, name.text, id) && db->setClayer(id) != Acad::eOk)
            PrintToCommandLine(text::Format("\n无法将图层 \"%s\" 置为当前。", name.text));
    }
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("LAYER", Layer);
    return true;
}();

}  // namespace
}  // namespace platform::cad
