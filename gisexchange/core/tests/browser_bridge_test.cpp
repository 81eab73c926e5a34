// The senders with the real Tallyview loaded in the host: each sent line links its entity, read back
// by handle from what the browser keeps in the drawing; without the browser they go on quietly.
#include "gisexchange/browser_bridge.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "browser/exported_items.h"
#include "browser/info_item.h"
#include "drawingutil/coded_entities.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/documents.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/selection.h"
#include "platform/ui/messages.h"
#include "platform/ui/ui_driver.h"
#include "testing/host_machine.h"

namespace {

const char* const kTitle = "转换报告";

struct Line {
    std::string text;
    std::vector<std::string> handles;
};

// The lines of the item, as the browser's bar exports them into the drawing (its export button,
// then OK).
std::optional<std::vector<Line>> ReportedLines(platform::ui::AnswerQueue& answers) {
    if (acedCommand(RTSTR, "Kelvo_Show", RTNONE) != RTNORM)
        return std::nullopt;
    const auto items = browser_testing::ExportedItems(answers);
    if (!items)
        return std::nullopt;
    for (const CInfoItem& item : *items) {
        if (item.Title() != kTitle)
            continue;
        std::vector<Line> lines;
        for (std::size_t i = 0; i < item.EntryCount(); ++i) {
            std::string text = browser_testing::EntryText(item, i);
            if (item.Kinds()[i] != CInfoItem::kObjects)
                text += " (no set)";
            lines.push_back({text, item.HandleLists()[i]});
        }
        return lines;
    }
    return std::nullopt;
}

class GeoportBrowserBridge : public dero::testing::HostMachineTest {
protected:
    GeoportBrowserBridge() : HostMachineTest("geoport_bridge") {}
};

TEST_F(GeoportBrowserBridge, SentLinesLinkTheirEntity) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false)) << platform::cad::LastModuleError();
    const AcDbObjectId first = CreateCodedLine({0, 0, 0}, {5, 0, 0}, "", nullptr, "0");
    const AcDbObjectId second = CreateCodedLine({0, 5, 0}, {5, 5, 0}, "", nullptr, "0");
    ads_name firstName;
    ASSERT_EQ(acdbGetAdsName(firstName, first), Acad::eOk);

    ads_name null = {0, 0};
    ads_name negative = {-4, -9};
    gisexchange::SendEntityToBrowser(kTitle, "名字", firstName);
    gisexchange::SendEntityIdToBrowser(kTitle, "标识", second);
    gisexchange::SendEntityToBrowser(kTitle, "空", null);
    gisexchange::SendEntityToBrowser(kTitle, "负", negative);
    gisexchange::SendEntityIdToBrowser(kTitle, "无", AcDbObjectId());
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u) << "every set made is freed";

    const std::optional<std::vector<Line>> lines = ReportedLines(*answers);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 5u);
    const std::vector<std::string> none;
    EXPECT_EQ((*lines)[0].text, "名字");
    EXPECT_EQ((*lines)[0].handles, std::vector<std::string>{first.handle().text()});
    EXPECT_EQ((*lines)[1].text, "标识");
    EXPECT_EQ((*lines)[1].handles, std::vector<std::string>{second.handle().text()});
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ((*lines)[i].handles, none) << (*lines)[i].text;
        EXPECT_EQ((*lines)[i].text.find("no set"), std::string::npos) << "an empty set is still sent";
    }

    // Without the browser the senders go on, and leave no set behind.
    ASSERT_TRUE(acrxDynamicLinker->unloadModule("Tallyview", false));
    gisexchange::SendEntityToBrowser(kTitle, "名字", firstName);
    gisexchange::SendEntityIdToBrowser(kTitle, "标识", second);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

}  // namespace
