// The patch wizard's choice of targets: which profiles and installed copies the tree offers,
// the checked targets with each folder once, and the matching of the patch's descriptions.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/text/encoding.h"
#include "platform/ui/common_controls.h"
#include "platform/ui/window_api.h"
#include "platform/win/reg_store.h"
#include "platform/win/root.h"
#include "setup/engine/install_state.h"
#include "setup/program/patch_sheet.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using dero::testing::WriteFile;

const char kMachine[] = R"(Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Autodesk\AutoCAD\R18.0\ACAD-8001:804]
"AcadLocation"="C:\\Program Files\\AutoCAD 2010"
"ProductName"="AutoCAD 2010"

[HKEY_CURRENT_USER\Software\Autodesk\AutoCAD\R18.0\ACAD-8001:804\Profiles\Plain\General]
"ACAD"="C:\\Program Files\\AutoCAD 2010\\support"

[HKEY_CURRENT_USER\Software\Autodesk\AutoCAD\R18.0\ACAD-8001:804\Profiles\Dero\General]
"ACAD"="C:\\Dero\\support;C:\\Dero\\fonts;C:\\Program Files\\AutoCAD 2010\\support"

[HKEY_CURRENT_USER\Software\Quorvane\install\Dero Pelgar]
"configname"="Dero"
"installfolder"="C:\\Dero"
"register"="Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles\\Dero"
)";

std::string Xml(const std::string& cadver) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Root backcolor=\"1\" backimage=\"x\" totalsize=\"1\" useheader=\"0\" "
           "usebackground=\"0\" mode=\"1\">\n<profile cadproduct=\"AutoCAD 2010\" cadver=\"" + cadver +
           "\" product=\"Dero Pelgar\" profilename=\"Dero\" picture=\"1\" company=\"Q\" title=\"T\" filenum=\"2\" "
           "deroico=\"d.ico\" source=\"acad2010\"/>\n</Root>\n";
}

class PatchTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::win::SetRoot(folder_.path());
        std::string error;
        ASSERT_TRUE(platform::win::ImportRegText(kMachine, &error)) << error;
        Setup::g_programFolder = u"C:\\Setup";
        parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
        HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_CHECKBOXES, 0, 0, 300, 300, parent_,
                                    nullptr, nullptr, nullptr);
        tree_.SubclassWindow(tree);
    }
    void TearDown() override {
        tree_.DeleteAllItemsAndData();
        DestroyWindow(parent_);
        Setup::g_programFolder.clear();
        Setup::g_packageProfiles.clear();
        platform::win::SetRoot("");
    }
    std::vector<std::string> Items() {
        std::vector<std::string> items;
        auto walk = [&](auto& self, HTREEITEM node, int depth) -> void {
            std::string text(static_cast<std::size_t>(depth) * 2, ' ');
            text += tree_.GetItemText(node).str();
            if (tree_.GetItemData(node) > 0xFFFF) text += tree_.GetCheck(node) ? " [x]" : " [ ]";
            items.push_back(text);
            for (HTREEITEM c = tree_.GetChildItem(node); c; c = tree_.GetNextSiblingItem(c)) self(self, c, depth + 1);
        };
        for (HTREEITEM root = tree_.GetRootItem(); root; root = tree_.GetNextSiblingItem(root)) walk(walk, root, 0);
        return items;
    }
    dero::testing::TempFolder folder_{"patch-tree"};
    HWND parent_ = nullptr;
    Setup::CPatchTree tree_;
};

TEST_F(PatchTreeTest, OffersTheProfilesAndCopiesThePatchAppliesTo) {
    // Without a version text the patch applies to every release: its profile is offered too.
    WriteFile(folder_.path() + "/c/Setup/setup.xml", Xml(""));
    tree_.Fill();
    EXPECT_EQ(Items(), (std::vector<std::string>{"setup list", "  AutoCAD configs", "    Dero (AutoCAD 2010) [ ]",
                                                 "  Product of Dero", "    Dero Pelgar (C:\\Dero) [x]"}));
    ASSERT_EQ(tree_.profileEntries.size(), 1u);
    EXPECT_EQ(tree_.profileEntries[0].texts[2], u"C:\\Dero") << "the folder its support folders share";
    ASSERT_EQ(tree_.productEntries.size(), 1u);
    EXPECT_EQ(tree_.productEntries[0].texts[0], u"R18.0") << "completed from the profile the record names";

    // Both checked: the one folder is patched once.
    HTREEITEM profile = tree_.GetChildItem(tree_.GetChildItem(tree_.GetRootItem()));
    tree_.SetCheck(profile, TRUE);
    std::vector<Setup::ConfigItem> targets;
    EXPECT_EQ(Setup::CollectCheckedTargets(tree_, targets), 1);
    EXPECT_EQ(targets[0].texts[6], u"") << "the first checked, depth first";

    // Another release's patch leaves the profile out.
    WriteFile(folder_.path() + "/c/Setup/setup.xml", Xml("R19.0"));
    tree_.Fill();
    EXPECT_EQ(Items(), (std::vector<std::string>{"setup list"}));
    EXPECT_EQ(Setup::CollectCheckedTargets(tree_, targets), 0);
}

TEST(PatchMatching, ExactDescriptionsFirstThenLooserOnes) {
    auto description = [](std::u16string cadver, std::u16string profile, std::u16string product) {
        Setup::CADVer d;
        d.cadVersion = std::move(cadver);
        d.profileName = std::move(profile);
        d.product = std::move(product);
        return d;
    };
    auto target = [](std::u16string release, std::u16string profile, std::u16string folder, std::u16string product) {
        Setup::ConfigItem t;
        t.texts[0] = std::move(release);
        t.texts[1] = std::move(profile);
        t.texts[2] = std::move(folder);
        t.texts[3] = u"record";
        t.texts[6] = std::move(product);
        return t;
    };
    std::vector<Setup::CADVer> descriptions = {description(u"R18.0", u"Dero", u"Dero Pelgar"),
                                               description(u"", u"", u"Dero Map"),
                                               description(u"R17.2", u"Dero", u"Dero Pelgar")};
    std::vector<Setup::ConfigItem> targets = {target(u"", u"", u"C:\\Map", u"Dero Map 2"),
                                              target(u"R18.0", u"Dero", u"C:\\Dero", u"Dero Pelgar"),
                                              target(u"R16.2", u"Old", u"C:\\Old", u"Dero Pelgar")};
    const auto matched = Setup::MatchPatchTargets(descriptions, targets);
    ASSERT_EQ(matched.size(), 2u);
    EXPECT_EQ(matched[0].installFolder, u"C:\\Dero");
    EXPECT_EQ(matched[0].cadVersion, u"R18.0");
    EXPECT_EQ(matched[0].recordPath, u"record");
    EXPECT_EQ(matched[1].installFolder, u"C:\\Map") << "product over the shorter length";
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].texts[2], u"C:\\Old") << "another release and profile is not patched";
    ASSERT_EQ(descriptions.size(), 1u);
}

}  // namespace
