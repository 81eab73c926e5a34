// The routines behind the module's entry, called directly in this process where the loaded module
// cannot be watched: refused registrations, local names from resources, COM.
#include "cadastral/command_table.h"
#include "cadastral/config_tables.h"
#include "cadastral/module_resources.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/ui/resources.h"
#include "platform/win/com.h"
#include "toolkit_fixture.h"

namespace {

class EntryRoutinesTest : public ToolkitTest {
protected:
    void TearDown() override {
        acedRegCmds->removeGroup("DEROPELGAR");
        acedRegCmds->removeGroup("DERO");
        while (platform::win::ComInitializations() > 0)
            CoUninitialize();
        cadastral::Tables() = cadastral::ConfigTables{};
        ToolkitTest::TearDown();
    }
};

TEST_F(EntryRoutinesTest, RegistrationGoesOnPastARefusedCommandAndUnloadReleasesAll) {
    WriteSupportFile("index.ini", "141200,普通房屋,0,JMD,1420,FW\n");
    acedRegCmds->addCommand(
        "DEROPELGAR", "TopoTest", "TopoTest", 0, +[] {});
    cadastral::RegisterCommands();
    EXPECT_EQ(acedRegCmds->groupCommands("DEROPELGAR").size(), 33u);
    EXPECT_EQ(acedRegCmds->lookupCmd("TopoTest")->commandFlags(), 0) << "the first registration stays";
    std::string featureClass;
    EXPECT_TRUE(cadastral::FindCodeRecord("141200", featureClass));
    EXPECT_EQ(featureClass, "FW");
    EXPECT_EQ(platform::win::ComInitializations(), 1);

    // A local name may come from a string resource of the module.
    platform::ui::AddString(cadastral::ModuleResources(), 7001, "本地名称");
    EXPECT_EQ(cadastral::AddCommand(
                  "DEROPELGAR", "GLOBAL_A", "ignored", 3, +[] {}, 7001),
              Acad::eOk);
    EXPECT_STREQ(acedRegCmds->lookupGlobalCmd("GLOBAL_A")->commandLocalName(), "本地名称");

    // Unloading removes the old group "DERO" too, and ends the use of COM.
    acedRegCmds->addCommand(
        "DERO", "DERO_OLD", "DERO_OLD", 0, +[] {});
    cadastral::RemoveCommandGroups();
    EXPECT_TRUE(acedRegCmds->groupCommands("DEROPELGAR").empty());
    EXPECT_TRUE(acedRegCmds->groupCommands("DERO").empty());
    EXPECT_EQ(platform::win::ComInitializations(), 0);
}

}  // namespace
