// The backdrop over the desktop, and the picture it paints: the picture file when it is a
// bitmap, else bitmap 140; and the globals' reset between passes of the start-up.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ui/afx_dc.h"
#include "platform/ui/gdi.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"
#include "platform/win/root.h"
#include "setup/wizard/backdrop.h"
#include "setup/wizard/globals.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

std::string BmpHeader(int width, int height) {
    std::string h(54, '\0');
    h[0] = 'B';
    h[1] = 'M';
    auto put = [&](std::size_t at, int value) {
        for (int i = 0; i < 4; ++i) h[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    put(14, 40);
    put(18, width);
    put(22, height);
    return h;
}

class BackdropTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::win::SetRoot(folder_.path());
        std::filesystem::create_directories(folder_.path() + "/c/Setup");
        platform::ui::SetApplicationResources(Setup::SetupResources());
        Setup::g_picturePath = u"setup.bmp";
        Setup::g_wizardTitle = u"Dero 9.1 安装";
    }
    void TearDown() override {
        Setup::g_picturePath = u"setup.bmp";
        Setup::g_wizardTitle = u"安装向导";
        platform::win::SetRoot("");
    }
    std::string C(const std::string& rest) { return folder_.path() + "/c/" + rest; }
    dero::testing::TempFolder folder_{"wizard"};
};

TEST_F(BackdropTest, CoversTheDesktopWithFiftyPixelsToSpareAndPaintsThePicture) {
    Setup::CDialogBackGround backdrop;
    ASSERT_TRUE(backdrop.Create(Setup::IDD_BACKDROP));
    RECT r{};
    GetWindowRect(backdrop.m_hWnd, &r);
    EXPECT_EQ(r.left, -50);
    EXPECT_EQ(r.top, -50);
    EXPECT_EQ(r.right, 1280 + 50);
    EXPECT_EQ(r.bottom, 1024 + 50);
    char16_t title[64] = {};
    GetWindowTextW(backdrop.m_hWnd, title, 64);
    EXPECT_EQ(std::u16string(title), u"Dero 9.1 安装");
    GetWindowRect(backdrop.picture.m_hWnd, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 1280);
    EXPECT_EQ(r.bottom, 1024);

    // No "setup.bmp": the installer's own bitmap.
    RedrawWindow(backdrop.picture.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(platform::ui::LastPaintOf(backdrop.picture.m_hWnd), (Lines{"stretch 0 0 1280 1024 #140 0 0 800 600"}));

    // A bottom-up or top-down bitmap file is drawn at its own size, stretched.
    dero::testing::WriteFile(C("Setup/setup.bmp"), BmpHeader(32, -16));
    Setup::g_picturePath = u"C:\\Setup\\setup.bmp";
    RedrawWindow(backdrop.picture.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(platform::ui::LastPaintOf(backdrop.picture.m_hWnd),
              (Lines{"stretch 0 0 1280 1024 C:\\Setup\\setup.bmp 0 0 32 16"}));

    // A file that is no bitmap, and an empty path, fall back to bitmap 140.
    dero::testing::WriteFile(C("Setup/setup.bmp"), "GIF89a and more than twenty-six bytes");
    RedrawWindow(backdrop.picture.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(platform::ui::LastPaintOf(backdrop.picture.m_hWnd), (Lines{"stretch 0 0 1280 1024 #140 0 0 800 600"}));
    Setup::g_picturePath.clear();
    RedrawWindow(backdrop.picture.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(platform::ui::LastPaintOf(backdrop.picture.m_hWnd), (Lines{"stretch 0 0 1280 1024 #140 0 0 800 600"}));
    backdrop.DestroyWindow();
}

TEST_F(BackdropTest, BitmapFilesCutShortOrMissingGiveNothing) {
    dero::testing::WriteFile(C("short.bmp"), BmpHeader(8, 8).substr(0, 20));
    EXPECT_EQ(LoadImageW(nullptr, u"C:\\short.bmp", 0, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadImageW(nullptr, u"C:\\none.bmp", 0, 0, 0, LR_LOADFROMFILE), nullptr);
    EXPECT_EQ(LoadBitmapW(Setup::SetupResources(), MakeIntResourceW(999)), nullptr);
    HBITMAP header = LoadBitmapW(Setup::SetupResources(), MakeIntResourceW(Setup::IDB_HEADER));
    platform::ui::BitmapInfo info;
    ASSERT_TRUE(platform::ui::GetBitmapInfo(header, info));
    EXPECT_EQ(info.name, "#144");
    EXPECT_TRUE(DeleteObject(header));
    EXPECT_FALSE(platform::ui::GetBitmapInfo(header, info));
}

TEST(SetupGlobals, EachPassStartsFromTheDefaults) {
    Setup::g_programPath = u"D:\\Work\\Pkg\\setup.exe";
    Setup::g_workerMode = -1;
    Setup::g_workerDone = 1;
    Setup::g_productFolder = u"C:\\Dero";
    Setup::g_wizardTitle = u"x";
    Setup::g_picturePath = u"a.bmp";
    Setup::g_agreementPath = u"a.txt";
    Setup::g_totalSize = 40;
    Setup::InitSetupGlobals();
    EXPECT_EQ(Setup::g_workerMode, 0);
    EXPECT_EQ(Setup::g_workerDone, 0);
    EXPECT_TRUE(Setup::g_productFolder.empty());
    EXPECT_EQ(Setup::g_wizardTitle, u"安装向导");
    EXPECT_EQ(Setup::g_picturePath, u"setup.bmp");
    EXPECT_TRUE(Setup::g_agreementPath.empty());
    EXPECT_EQ(Setup::g_totalSize, 0);
    EXPECT_EQ(Setup::g_programFolder, u"D:\\Work\\Pkg");
    // A path without a backslash leaves the folder as it was.
    Setup::g_programPath = u"setup.exe";
    Setup::InitSetupGlobals();
    EXPECT_EQ(Setup::g_programFolder, u"D:\\Work\\Pkg");
    Setup::g_programFolder.clear();
    Setup::g_programPath.clear();
}

}  // namespace
