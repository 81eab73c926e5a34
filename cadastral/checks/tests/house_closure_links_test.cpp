// CheckFWClosed inside one host process with DeroPelgar and Tallyview: each finding's entity link must
// name the house the generator left open. The findings are exported to the drawing as a person does it
// (the bar's export button, then OK), and the stored image is read back independently of the browser.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "generated_town.h"
#include "browser/byte_stream.h"
#include "browser/info_item.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/resbuf.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/command_processor.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/ui/ui_driver.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

namespace {

// The image the browser stored under "QV_INDEX"/"Tallyview": group 90 the length, 310 the chunks.
std::vector<std::uint8_t> StoredImage() {
    std::vector<std::uint8_t> image;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    AcDbDictionary* named = nullptr;
    if (db->getNamedObjectsDictionary(named, AcDb::kForRead) != Acad::eOk) return image;
    AcDbObject* object = nullptr;
    if (named->getAt("QV_INDEX", object, AcDb::kForRead) == Acad::eOk) {
        auto* index = AcDbDictionary::cast(object);
        AcDbObject* record = nullptr;
        if (index != nullptr && index->getAt("Tallyview", record, AcDb::kForRead) == Acad::eOk) {
            resbuf* chain = nullptr;
            if (auto* xrecord = AcDbXrecord::cast(record); xrecord != nullptr && xrecord->rbChain(&chain) == Acad::eOk) {
                for (resbuf* rb = chain; rb != nullptr; rb = rb->rbnext) {
                    if (rb->restype == 310) {
                        const auto* bytes = reinterpret_cast<const std::uint8_t*>(rb->resval.rbinary.buf);
                        image.insert(image.end(), bytes, bytes + rb->resval.rbinary.clen);
                    }
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

TEST(HouseClosureLinks, EachFindingLinksTheOpenHouse) {
    dero::testing::TempFolder folder("house_closure_links");
    const std::string& dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string source = DERO_SOURCE_DIR;
    platform::win::SetRoot(dir + "/root");
    const std::set<std::string> expected = MakeTownWithOpenHouses(dir, 11, 60, "--open-houses 0.3");
    ASSERT_GE(expected.size(), 3u);

    platform::cad::SetSupportPath({source + "/samples/support"});
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false));
    ASSERT_TRUE(acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false));
    ASSERT_EQ(acedCommand(RTSTR, "CheckFWClosed", RTNONE), RTNORM);

    auto queue = platform::ui::UseAnswerQueue();
    queue->Push(platform::ui::BoxAnswer(IDOK));  // "将信息导出到当前图形中？"
    platform::ui::UiDriver ui(acedGetAcadFrame()->m_hWnd);
    ASSERT_TRUE(ui.Click(209));

    CByteStream stream(StoredImage());
    std::vector<CInfoItem> items;
    ASSERT_TRUE(ReadInfoItems(stream, items));
    const CInfoItem* found = nullptr;
    for (const CInfoItem& item : items) {
        if (item.Title() == "房屋闭合检查") found = &item;
    }
    ASSERT_NE(found, nullptr);
    std::set<std::string> linked;
    for (std::size_t i = 0; i < found->EntryCount(); ++i) {
        EXPECT_EQ(found->Kinds()[i], CInfoItem::kObjects);
        ASSERT_EQ(found->HandleLists()[i].size(), 1u) << i;
        linked.insert(found->HandleLists()[i][0]);
    }
    EXPECT_EQ(found->EntryCount(), expected.size());
    EXPECT_EQ(linked, expected);

    platform::ui::SetAnswerDriver(nullptr);
    acrxDynamicLinker->unloadModule("DeroPelgar", false);
    acrxDynamicLinker->unloadModule("Tallyview", false);
    platform::win::SetRoot("");
}

}  // namespace
