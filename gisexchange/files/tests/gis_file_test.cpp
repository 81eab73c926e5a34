#include "gisexchange/gis_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/win/fault_injection.h"
#include "platform/win/files.h"
#include "platform/win/root.h"
#include "testing/temp_folder.h"

namespace fs = std::filesystem;
using gisexchange::CGisFileView;
using gisexchange::GisOutputHandles;

namespace {

class GisFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::win::SetRoot(folder_.path());
        CreateDirectoryA("C:\\", nullptr);
        ASSERT_TRUE(CreateDirectoryA("C:\\out", nullptr));
    }
    void TearDown() override
    {
        platform::win::ClearFaults();
        platform::win::SetRoot("");
    }
    std::string OnC(const std::string& rest) const { return folder_.path() + "/c/" + rest; }

    // A new empty line file named for the path, as the table-driven export makes one.
    static GisOutputHandles NewOutput(const char* path)
    {
        GisOutputHandles output;
        std::strcpy(output.path, path);
        output.workspace = GisNewWorkspace(0);
        output.slot = GisGetFileSlot(output.workspace, GIS_KIND_LINE);
        EXPECT_GT(GisNewFile(path, output.slot, 0, 0, 0), 0);
        output.file = GisGetFileHandle(output.workspace);
        return output;
    }

private:
    dero::testing::TempFolder folder_{"dero-gisfile"};
};

TEST_F(GisFileTest, OpeningAndClosingOnTheView)
{
    CGisFileView view;
    EXPECT_LE(view.OpenGisFile("C:\\out\\missing.wl", GIS_KIND_LINE), 0);
    const short slot = view.m_slot;
    view.CloseGisFile();
    view.CloseGisFile();
    EXPECT_EQ(view.m_workspace, 0);
    EXPECT_EQ(GisSlotHasFile(slot), 0);

    GisOutputHandles output = NewOutput("C:\\out\\roads.wl");
    const D_DOT line[] = {{0, 0}, {3, 4}};
    ASSERT_EQ(GisWriteLine(output.file, line, 2, nullptr, 2), 1);
    ASSERT_EQ(gisexchange::SaveGisFile(output, false), gisexchange::GIS_SAVE_DONE);
    gisexchange::CloseGisFileB(output);
    gisexchange::CloseGisFileB(output);
    EXPECT_EQ(output.file, 0);

    EXPECT_GT(view.OpenGisFile("c:\\OUT\\Roads.wl", GIS_KIND_LINE), 0);
    EXPECT_EQ(GisGetObjectCount(view.m_workspace), 1);
    EXPECT_LE(view.OpenGisFile("C:\\out\\roads.wl", GIS_KIND_AREA), 0) << "a line file is no area file";
    // A path longer than the library's buffer is not cut short and loaded as another file.
    EXPECT_EQ(view.OpenGisFile(("C:\\out\\" + std::string(260, 'a') + ".wl").c_str(), GIS_KIND_LINE), 0);
}

TEST_F(GisFileTest, SavingTellsSavedEmptyAndFailedApart)
{
    // An empty file is left out unless forced.
    GisOutputHandles empty = NewOutput("C:\\out\\empty.wl");
    EXPECT_EQ(gisexchange::SaveGisFile(empty, false), gisexchange::GIS_SAVE_EMPTY);
    EXPECT_FALSE(fs::exists(OnC("out/empty.wl")));
    EXPECT_EQ(gisexchange::SaveGisFile(empty, true), gisexchange::GIS_SAVE_DONE);
    EXPECT_TRUE(fs::exists(OnC("out/empty.wl")));
    gisexchange::CloseGisFileB(empty);

    // A write that fails is reported and leaves nothing under the file's name.
    GisOutputHandles full = NewOutput("C:\\out\\full.wl");
    const D_DOT line[] = {{0, 0}, {1, 1}};
    ASSERT_EQ(GisWriteLine(full.file, line, 2, nullptr, 2), 1);
    {
        platform::win::ScopedFaults faults;
        platform::win::InjectFault(platform::win::FaultKind::Write, u"C:\\out\\full.wl*", ERROR_DISK_FULL);
        EXPECT_EQ(gisexchange::SaveGisFile(full, false), gisexchange::GIS_SAVE_FAILED);
    }
    EXPECT_FALSE(fs::exists(OnC("out/full.wl")));
    std::strcpy(full.path, "C:\\nowhere\\full.wl");
    EXPECT_EQ(gisexchange::SaveGisFile(full, true), gisexchange::GIS_SAVE_FAILED);
    gisexchange::CloseGisFileB(full);
    // A closed output saves nothing.
    EXPECT_EQ(gisexchange::SaveGisFile(full, true), gisexchange::GIS_SAVE_FAILED);
    EXPECT_EQ(std::distance(fs::directory_iterator(OnC("out")), fs::directory_iterator()), 1);
}

}  // namespace
