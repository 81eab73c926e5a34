// What the browser keeps in the working drawing, read back apart from the browser: tests export its
// items as a person does (the bar's export button, then OK) and read the stored image themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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

// One entry of an item: its text, its kind, the handles it links and, for a point link, the point.
struct BrowserLine {
    std::string text;
    std::int32_t kind = 0;
    std::vector<std::string> handles;
    InfoPoint point;
};
using BrowserLines = std::map<std::string, std::vector<BrowserLine>>;

inline BrowserLines ExportedBrowserLines(platform::ui::AnswerQueue& answers) {
    BrowserLines lines;
    const auto items = ExportedItems(answers);
    if (!items) return lines;
    for (const CInfoItem& item : *items) {
        std::vector<BrowserLine>& list = lines[item.Title()];
        std::size_t pointIndex = 0;
        for (std::size_t i = 0; i < item.EntryCount(); ++i) {
            BrowserLine line;
            line.text = EntryText(item, i);
            line.kind = item.Kinds()[i];
            if (i < item.HandleLists().size()) line.handles = item.HandleLists()[i];
            if (line.kind == CInfoItem::kPoint && item.Points().size() == item.EntryCount())
                line.point = item.Points()[i];
            else if (line.kind == CInfoItem::kPoint && pointIndex < item.Points().size())
                line.point = item.Points()[pointIndex++];
            list.push_back(line);
        }
    }
    return lines;
}

}  // namespace browser_testing
