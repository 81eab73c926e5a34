// What the browser keeps in the working drawing, read back apart from the browser: tests export its
// items as a person does (the bar's export button, then OK) and read the stored image themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browser/byte_stream.h"
#include "browser/info_item.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/resbuf.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/ui/ui_driver.h"

namespace browser_testing {

// The image stored under "QV_INDEX"/"Tallyview" of the working drawing (its group 310 chunks).
inline std::vector<std::uint8_t> StoredImage()
{
    std::vector<std::uint8_t> image;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbDictionary* named = nullptr;
    if (db->getNamedObjectsDictionary(named, AcDb::kForRead) != Acad::eOk)
        return image;
    AcDbObject* object = nullptr;
    if (named->getAt("QV_INDEX", object, AcDb::kForRead) == Acad::eOk) {
        AcDbObject* record = nullptr;
        auto* index = AcDbDictionary::cast(object);
        if (index != nullptr && index->getAt("Tallyview", record, AcDb::kForRead) == Acad::eOk) {
            resbuf* chain = nullptr;
            if (auto* x = AcDbXrecord::cast(record); x != nullptr && x->rbChain(&chain) == Acad::eOk) {
                for (resbuf* rb = chain; rb != nullptr; rb = rb->rbnext)
                    if (rb->restype == 310) {
                        const auto* bytes = reinterpret_cast<const std::uint8_t*>(rb->resval.rbinary.buf);
                        image.insert(image.end(), bytes, bytes + rb->resval.rbinary.clen);
                    }
                acutRelRb(chain);
            }
            record->close();
        }
        object->close();
    }
    named->close();
    return image;
}

// The browser's items after the bar exported them into the current drawing; nothing when the
// export or the reading fails.
inline std::optional<std::vector<CInfoItem>> ExportedItems(platform::ui::AnswerQueue& answers)
{
    answers.Push(platform::ui::BoxAnswer(IDOK));  // "将信息导出到当前图形中？"
    platform::ui::UiDriver ui(acedGetAcadFrame()->m_hWnd);
    if (!ui.Click(209))
        return std::nullopt;
    CByteStream stream(StoredImage());
    std::vector<CInfoItem> items;
    if (!ReadInfoItems(stream, items))
        return std::nullopt;
    return items;
}

// The text of an item's entry without its line end.
inline std::string EntryText(const CInfoItem& item, std::size_t entry)
{
    const auto from = static_cast<std::size_t>(item.TextPositions()[entry]);
    const auto to = static_cast<std::size_t>(item.TextPositions()[entry + 1]);
    std::string text = item.Text().substr(from, to - from);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

}  // namespace browser_testing
