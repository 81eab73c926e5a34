// CheckFWClosed inside one host process with DeroPelgar and Tallyview: each finding's entity link must
// name the house the generator left open. The findings are exported to the drawing as a person does it
// (the bar's export button, then OK), and the stored image is read back independently of the browser.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#include "generated_town.h"
#include "browser/exported_items.h"
#include "browser/info_item.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
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

// The browser's findings of the check, as the bar exports them into the current drawing: one
// handle per entry (an empty set when an entry links something else); nothing when the browser
// has no such item.
std::optional<std::vector<std::string>> ExportedFindings() {
    const auto items = browser_testing::ExportedItems(*platform::ui::UseAnswerQueue());
    if (!items) return std::nullopt;
    for (const CInfoItem& item : *items) {
        if (item.Title() != "房屋闭合检查") continue;
        std::vector<std::string> handles;
        for (std::size_t i = 0; i < item.EntryCount(); ++i) {
            const bool one = item.Kinds()[i] == CInfoItem::kObjects && item.HandleLists()[i].size() == 1;
            handles.push_back(one ? item.HandleLists()[i][0] : std::string());
        }
        return handles;
    }
    return std::nullopt;
}

bool Reload(const std::vector<std::string>& support) {
    platform::cad::SetSupportPath(support);
    return acrxDynamicLinker->unloadModule("DeroPelgar", false) &&
           acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false);
}

// The town has houses of every code, open polylines on the house layer that are no houses, and
// one open house drawn back to its first point. A second run replaces the findings of the first;
// a check that cannot tell houses apart leaves them alone; a town without open houses empties them.
TEST(HouseClosureLinks, EachFindingLinksTheOpenHouse) {
    dero::testing::TempFolder folder("house_closure_links");
    const std::string& dir = folder.path();
    ASSERT_FALSE(dir.empty());
    const std::string source = DERO_SOURCE_DIR;
    platform::win::SetRoot(dir + "/root");
    const std::set<std::string> expected = MakeTownWithOpenHouses(dir, 11, 60, "--traps --open-houses 0.3");
    ASSERT_GE(expected.size(), 3u);
    std::filesystem::create_directories(dir + "/closed");
    ASSERT_TRUE(MakeTownWithOpenHouses(dir + "/closed", 12, 30, "--traps").empty());
    ASSERT_TRUE(std::filesystem::exists(dir + "/closed/town.dxf"));
    std::filesystem::create_directories(dir + "/empty_support");
    std::ofstream(dir + "/empty_support/index.ini", std::ios::binary) << "END\r\n";

    platform::cad::SetSupportPath({source + "/samples/support"});
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/town.dxf").c_str()), Acad::eOk);
    ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false));
    ASSERT_TRUE(acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false));
    const std::string summary = "共检查出 " + std::to_string(expected.size()) + " 个房屋没有闭合";
    for (int run = 0; run < 2; ++run) {
        platform::cad::ClearCommandLine();
        ASSERT_EQ(acedCommand(RTSTR, "CheckFWClosed", RTNONE), RTNORM);
        EXPECT_NE(platform::cad::CommandLineText().find(summary), std::string::npos) << run;
    }
    std::optional<std::vector<std::string>> found = ExportedFindings();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), expected.size()) << "the second run replaces the first one's findings";
    EXPECT_EQ(std::set<std::string>(found->begin(), found->end()), expected);

    // An empty code table: no summary, and the findings stay.
    ASSERT_TRUE(Reload({dir + "/empty_support"}));
    platform::cad::ClearCommandLine();
    ASSERT_EQ(acedCommand(RTSTR, "CheckFWClosed", RTNONE), RTNORM);
    const std::string said = platform::cad::CommandLineText();
    EXPECT_NE(said.find("\n编码表为空，无法区分地物类别，未做检查"), std::string::npos) << said;
    EXPECT_EQ(said.find("共检查出"), std::string::npos) << said;
    found = ExportedFindings();
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), expected.size());

    // Every house closed: a count of nought and an emptied item.
    ASSERT_TRUE(Reload({source + "/samples/support"}));
    ASSERT_EQ(acDocManager->appContextOpenDocument((dir + "/closed/town.dxf").c_str()), Acad::eOk);
    platform::cad::ClearCommandLine();
    ASSERT_EQ(acedCommand(RTSTR, "CheckFWClosed", RTNONE), RTNORM);
    EXPECT_NE(platform::cad::CommandLineText().find("共检查出 0 个房屋没有闭合"), std::string::npos)
        << platform::cad::CommandLineText();
    found = ExportedFindings();
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->empty());

    platform::ui::SetAnswerDriver(nullptr);
    acrxDynamicLinker->unloadModule("DeroPelgar", false);
    acrxDynamicLinker->unloadModule("Tallyview", false);
    platform::win::SetRoot("");
}

}  // namespace
