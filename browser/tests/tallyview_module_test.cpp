// Tallyview loaded into the host with a second module that reports to it through the client, as
// DeroPelgar and Geoport do: every protocol code through a real acedInvoke.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cad/command_processor.h"
#include "platform/cad/command_stack.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "platform/cad/documents.h"
#include "platform/cad/host_exit.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/cad/selection.h"
#include "platform/text/encoding.h"
#include "platform/cad/main_frame.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/common_controls.h"
#include "platform/ui/ui_driver.h"
#include "testing/cadhost_run.h"
#include "testing/temp_folder.h"

namespace {

class TallyviewModuleTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        platform::ui::SetAnswerDriver(nullptr);
        acDocManager->closeAll();
        platform::cad::UnloadAllModules();
        platform::cad::ClearHostExit();
        platform::ui::ClearTranscript();
        platform::cad::ClearCommandLine();
    }

    // Adds a line to the current drawing and gives its handle.
    static std::string AddLine(double x, AcDbObjectId* idOut = nullptr)
    {
        AcDbDatabase* db = curDoc()->database();
        AcDbBlockTableRecord* ms = nullptr;
        EXPECT_EQ(acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        auto* line = new AcDbLine(AcGePoint3d(x, 0, 0), AcGePoint3d(x, 10, 0));
        EXPECT_EQ(ms->appendAcDbEntity(id, line), Acad::eOk);
        line->close();
        ms->close();
        if (idOut != nullptr)
            *idOut = id;
        return id.handle().text();
    }

    static std::string Run(const std::string& command, const char* answer = nullptr)
    {
        platform::cad::ClearCommandLine();
        if (answer != nullptr)
            acedCommand(RTSTR, command.c_str(), RTSTR, answer, RTNONE);
        else
            acedCommand(RTSTR, command.c_str(), RTNONE);
        return platform::cad::CommandLineText();
    }

    static std::vector<std::string> GroupCommands(const char* group)
    {
        std::vector<std::string> names;
        for (const AcEdCommand* c : acedRegCmds->groupCommands(group))
            names.push_back(c->commandGlobalName());
        return names;
    }

    static bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

    static std::vector<std::string> TabTitles(const platform::ui::UiDriver& ui)
    {
        std::vector<std::string> titles;
        HWND tabs = ui.Item(201);
        const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[64] = {};
            TCITEMA item;
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = sizeof text;
            SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            titles.push_back(text);
        }
        return titles;
    }
};

TEST_F(TallyviewModuleTest, EveryCodeThroughTheHostAndTheModuleLifecycle)
{
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false)) << platform::cad::LastModuleError();
    ASSERT_TRUE(acrxDynamicLinker->loadModule(SENDER_MODULE, false)) << platform::cad::LastModuleError();

    EXPECT_EQ(GroupCommands("QVKELVO"), (std::vector<std::string>{"KELVO_SHOW", "KELVO_SHOWPOINT", "KELVO_SHOWSLIDES"}));
    EXPECT_EQ(GroupCommands("QVTEST"), (std::vector<std::string>{"TT"}));
    EXPECT_EQ(acedRegCmds->lookupCmd("kelvo_show")->commandFlags(), ACRX_CMD_USEPICKSET | ACRX_CMD_REDRAW);
    EXPECT_EQ(platform::cad::DefinedFunctions(), (std::vector<std::string>{"kelvo_receive"}));

    AcDbObjectId erasedId;
    std::string h1 = AddLine(0), h2 = AddLine(5, &erasedId), h3 = AddLine(9);
    AcDbObject* erased = nullptr;
    ASSERT_EQ(acdbOpenObject(erased, erasedId, AcDb::kForWrite), Acad::eOk);
    erased->erase();
    erased->close();

    std::string out = Run("QVS_CLIENT", (h1 + " " + h2 + " " + h3).c_str());
    EXPECT_TRUE(Has(out, "client done")) << out;
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u) << "the client frees the sets it makes";
    // The client's "Kelvo_Show" made the bar: one tab per item, item 0 shown.
    platform::ui::UiDriver ui(acedGetAcadFrame()->m_hWnd);
    ASSERT_TRUE(ui.Exists(202));
    EXPECT_EQ(TabTitles(ui), (std::vector<std::string>{"检查", "信息", "点"}));
    EXPECT_EQ(ui.Text(202), "第一行 100%s\r\n实体\r\n一个\r\n空");
    ASSERT_TRUE(ui.ChooseTab(201, 2));
    EXPECT_EQ(ui.Text(202), "p\r\nq");

    // With the bar there, the protocol keeps the tabs in step: "几何" came after "点", then code
    // -2 took "点" away and the tab before it is shown.
    out = Run("QVS_RAW");
    EXPECT_TRUE(Has(out, "raw: 5100 5100 5100 5100 5100 -5001 -5001 -5001 -5001 -5001 -5001 -5001")) << out;
    EXPECT_EQ(TabTitles(ui), (std::vector<std::string>{"检查", "信息", "几何"}));
    EXPECT_EQ(ui.Text(202), "全部");

    // A double-click on the tab strip drops the chosen item; the one before it is shown.
    ASSERT_TRUE(ui.DoubleClick(201));
    EXPECT_EQ(TabTitles(ui), (std::vector<std::string>{"检查", "几何"}));
    EXPECT_EQ(ui.Text(202), "第一行 100%s\r\n实体\r\n一个\r\n空");
    // Escape does not close the bar.
    ASSERT_TRUE(ui.PressKeyIn(202, VK_ESCAPE));
    EXPECT_TRUE(ui.IsVisible(202));

    // A drawing that closes loses the function; one opened later has it.
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    EXPECT_EQ(platform::cad::DefinedFunctions(), (std::vector<std::string>{"kelvo_receive"}));

    // Without the browser the senders go on, and no list is kept anywhere.
    ASSERT_TRUE(acrxDynamicLinker->unloadModule("Tallyview", false)) << platform::cad::LastModuleError();
    EXPECT_TRUE(GroupCommands("QVKELVO").empty());
    EXPECT_TRUE(GroupCommands("QVTEST").empty());
    EXPECT_TRUE(platform::cad::DefinedFunctions().empty());
    out = Run("QVS_CLIENT", "");
    EXPECT_TRUE(Has(out, "client done")) << out;
    EXPECT_FALSE(Has(out, "[")) << out;
    out = Run("QVS_RAW");
    EXPECT_TRUE(Has(out, "raw: -5001 -5001 -5001 -5001 -5001 -5001 -5001 -5001 -5001 -5001 -5001 -5001")) << out;
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
}

}  // namespace

namespace {

// The real program finds Tallyview beside its build by default; the sender is loaded by name.
// What it printed, output and errors.
std::string RunCadhost(const std::string& args)
{
    dero::testing::TempFolder folder("tallyview_cadhost");
    EXPECT_FALSE(folder.path().empty());
    const dero::testing::CadhostRun run =
        dero::testing::RunCadhost(CADHOST_PROGRAM, folder.path(), "--load '" SENDER_MODULE "' " + args);
    EXPECT_EQ(run.status, 0);
    return run.out + run.err;
}

TEST(TallyviewInCadhost, ReceivesFromAnotherModuleAndIsMissedQuietly)
{
    std::string out = RunCadhost("-c QVS_RAW");
    EXPECT_NE(out.find("raw: 5100 5100 5100 5100 5100 -5001"), std::string::npos) << out;
    // The bar's texts as cadhost shows them when it appears.
    EXPECT_NE(out.find("[bar] 信息浏览器"), std::string::npos) << out;
    EXPECT_NE(out.find("RICHEDIT 202 \"线\r\n多段线\r\n区域\""), std::string::npos) << out;

    out = RunCadhost("--no-default-modules -c QVS_RAW");
    EXPECT_NE(out.find("raw: -5001 -5001 -5001 -5001 -5001 -5001"), std::string::npos) << out;
    EXPECT_EQ(out.find("[bar]"), std::string::npos) << out;
}

}  // namespace
