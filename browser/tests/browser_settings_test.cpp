#include "browser/browser_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win/fault_injection.h"
#include "platform/win/registry.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

namespace {

class BrowserSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(root.empty());
        platform::win::SetRoot(root);
    }
    void TearDown() override
    {
        platform::win::ClearFaults();
        platform::win::SetRoot("");
    }
    static void SetString(const char* name, const char* text)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
        RegCloseKey(key);
    }
    dero::testing::TempFolder folder{"browser-settings"};
    const std::string& root = folder.path();
};

TEST_F(BrowserSettingsTest, DefaultsRoundTripAndUnwritableKey)
{
    // No key: the defaults and no character format.
    BrowserSettings fresh = ReadBrowserSettings();
    EXPECT_EQ(fresh.links.entity, (LinkSettings{1, 30, 0}));
    EXPECT_EQ(fresh.links.region, (LinkSettings{1, 30, 0}));
    EXPECT_EQ(fresh.background, 0xFFFFFFu);
    EXPECT_FALSE(fresh.charFormat);

    // What the user typed is stored as typed, even past the dialog's ranges.
    BrowserLinkSettings links;
    links.entity = {0, 250, 12};
    links.point = {1, 0, -3};
    links.line = {0, 55, 2};
    ASSERT_TRUE(WriteLinkSettings(links));
    BrowserSettings read = ReadBrowserSettings();
    EXPECT_EQ(read.links, links);
    EXPECT_EQ(read.background, 0xFFFFFFu);
    // Font values that were never written are 0.
    ASSERT_TRUE(read.charFormat);
    EXPECT_EQ(read.charFormat->cbSize, 0u);
    EXPECT_STREQ(read.charFormat->szFaceName, "");

    CHARFORMATA format;
    format.dwMask = 0x7;
    format.yHeight = 240;
    format.yOffset = -20;
    format.crTextColor = 0x0000FF;
    format.bCharSet = 134;
    std::strcpy(format.szFaceName, "宋体");
    ASSERT_TRUE(WriteFontSettings(format));
    ASSERT_TRUE(WriteBackgroundColor(0x00C0FF));
    read = ReadBrowserSettings();
    EXPECT_EQ(read.background, 0x00C0FFu);
    EXPECT_EQ(read.charFormat->cbSize, sizeof(CHARFORMATA));
    EXPECT_EQ(read.charFormat->yOffset, -20);
    EXPECT_EQ(read.charFormat->bCharSet, 134);
    EXPECT_STREQ(read.charFormat->szFaceName, "宋体");

    // A face name is trimmed and cut to the record's 31 bytes without splitting a character.
    SetString("FaceName", " \t宋体 \n");
    EXPECT_STREQ(ReadBrowserSettings().charFormat->szFaceName, "宋体");
    SetString("FaceName", "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234宋体");
    EXPECT_STREQ(ReadBrowserSettings().charFormat->szFaceName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ1234");

    // A key that cannot be created: nothing is written.
    platform::win::InjectFault(platform::win::FaultKind::RegistryCreate, u"*Tallyview");
    EXPECT_FALSE(WriteLinkSettings(BrowserLinkSettings{}));
    EXPECT_FALSE(WriteBackgroundColor(0));
    platform::win::ClearFaults();
    EXPECT_EQ(ReadBrowserSettings().links, links);
}

TEST(LinkSettingsUse, ClampedToTheDialogRanges)
{
    EXPECT_EQ(UsedZoomScale({1, 250, 0}), 100);
    EXPECT_EQ(UsedZoomScale({1, 0, 0}), 1);
    EXPECT_EQ(UsedZoomScale({1, 45, 0}), 45);
    EXPECT_EQ(UsedFlashCount({1, 30, 1000}), 9);
    EXPECT_EQ(UsedFlashCount({1, 30, -1}), 0);
}

}  // namespace
