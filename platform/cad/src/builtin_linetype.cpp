// LINETYPE: the option S sets the linetype of new entities to one the drawing has.

#include "builtin_input.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/prompts.h"
#include "platform/text/format.h"

namespace platform::cad {
namespace {

std::string CurrentLinetypeName(AcDbDatabase* db)
{
    auto* record = AcDbLinetypeTableRecord::cast(PeekObject(db->celtype()));
    return record != nullptr ? record->name() : "ByLayer";
}

int Linetype()
{
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    for (;;) {
        PromptReply reply = ReadReply(
            text::Format("\n当前线型: \"%s\"\n输入选项 [?/创建(C)/加载(L)/设置(S)]: ", CurrentLinetypeName(db)));
        if (reply.cancel)
            return RTCAN;
        const std::string option = OptionOf(reply);
        if (option.empty())
            return RTNORM;
        if (!IsOption(option, "S", "SET")) {
            PrintToCommandLine("\n本主机的 LINETYPE 只提供设置(S)。");
            continue;
        }
        PromptReply name = ReadReply(text::Format("\n指定线型名或 [?] <%s>: ", CurrentLinetypeName(db)));
        if (name.cancel)
            return RTCAN;
        if (name.text.empty())
            continue;
        AcDbLinetypeTable* table = nullptr;
        AcDbObjectId id;
        if (db->getLinetypeTable(table, AcDb::kForRead) == Acad::eOk) {
            table->getAt(name.text.c_str(), id);
            table->close();
        }
        if (id.isNull() || db->setCeltype(id) != Acad::eOk)
            PrintToCommandLine(text::Format("\n找不到线型 \"%s\"。请先加载该线型。", name.text));
    }
}

[[maybe_unused]] const bool registered = [] {
    RegisterBuiltinCommand("LINETYPE", Linetype);
    return true;
}();

}  // namespace
}  // namespace platform::cad
