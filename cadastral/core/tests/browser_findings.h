// The browser's items as a person keeps them: the bar's export into the drawing, read back from
// the drawing's store. Each line with its linked handles and, for a point link, the point.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "browser/byte_stream.h"
#include "browser/info_item.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/main_frame.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/ui/ui_driver.h"

namespace dero::testing {

struct BrowserLine {
    std::string text;
    std::int32_t kind = 0;
    std::vector<std::string> handles;
    InfoPoint point;
};
using BrowserLines = std::map<std::string, std::vector<BrowserLine>>;

inline BrowserLines ExportedBrowserLines(platform::ui::AnswerQueue& answers) {
    BrowserLines lines;
    answers.Push(platform::ui::BoxAnswer(IDOK));
    platform::ui::UiDriver ui(acedGetAcadFrame()->m_hWnd);
    if (!ui.Click(209)) return lines;
    std::vector<std::uint8_t> image;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbDictionary* named = nullptr;
    if (db->getNamedObjectsDictionary(named, AcDb::kForRead) != Acad::eOk) return lines;
    AcDbObject* index = nullptr;
    if (named->getAt("QV_INDEX", index, AcDb::kForRead) == Acad::eOk) {
        AcDbObject* record = nullptr;
        if (auto* dict = AcDbDictionary::cast(index);
            dict && dict->getAt("Tallyview", record, AcDb::kForRead) == Acad::eOk) {
            resbuf* chain = nullptr;
            if (auto* x = AcDbXrecord::cast(record); x && x->rbChain(&chain) == Acad::eOk) {
                for (resbuf* rb = chain; rb != nullptr; rb = rb->rbnext)
                    if (rb->restype == 310) {
                        const auto* bytes = reinterpret_cast<const std::uint8_t*>(rb->resval.rbinary.buf);
                        image.insert(image.end(), bytes, bytes + rb->resval.rbinary.clen);
                    }
                acutRelRb(chain);
            }
            record->close();
        }
        index->close();
    }
    named->close();
    CByteStream stream(image);
    std::vector<CInfoItem> items;
    if (!ReadInfoItems(stream, items)) return lines;
    for (const CInfoItem& item : items) {
        std::vector<BrowserLine>& list = lines[item.Title()];
        std::size_t pointIndex = 0;
        for (std::size_t i = 0; i < item.EntryCount(); ++i) {
            const std::size_t from = static_cast<std::size_t>(item.TextPositions()[i]);
            const std::size_t to = static_cast<std::size_t>(item.TextPositions()[i + 1]);
            BrowserLine line;
            line.text = item.Text().substr(from, to - from);
            while (!line.text.empty() && (line.text.back() == '\n' || line.text.back() == '\r')) line.text.pop_back();
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

}  // namespace dero::testing
