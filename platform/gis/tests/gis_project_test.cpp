#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gis_test_root.h"
#include "platform/gis/mapprj60.h"

namespace {

using GisProjectTest = GisTestRoot;

TEST_F(GisProjectTest, EntriesKeepTitlesAndPathsAsEntered)
{
    ASSERT_TRUE(CreateDirectoryA("C:\\out", nullptr));
    ASSERT_TRUE(CreateDirectoryA("C:\\out\\工程", nullptr));
    const short project = PrjNew(0);
    ASSERT_GT(project, 0);
    EXPECT_EQ(PrjEnterFile(project, 0, "C:\\out\\点\\a.wt", 0, -1), 1);
    PRJ_ENTRY entry{};
    ASSERT_GT(PrjGetEntry(project, 0, &entry), 0);
    std::strcpy(entry.title, "界址点乗");
    entry.rest[5] = 0x5C;
    ASSERT_GT(PrjPutEntry(project, 0, &entry, 0), 0);
    EXPECT_EQ(PrjEnterFile(project, 7, "lines\\b.wl", 0, -1), 2) << "past the end appends";
    EXPECT_EQ(PrjEnterFile(project, 1, "lines\\c.wl", 0, -1), 2) << "an existing position takes the new path";
    EXPECT_EQ(PrjWrite(project, 0), 0) << "no path yet";
    ASSERT_GT(PrjSetPath(project, "C:\\out\\工程\\city.mpj"), 0);
    ASSERT_GT(PrjWrite(project, 0), 0);
    ASSERT_GT(PrjWriteAs(project, "C:\\copy.mpj"), 0);
    EXPECT_EQ(PrjWriteAs(project, "C:\\missing\\copy.mpj"), 0);
    EXPECT_EQ(PrjFree(project), 1);
    EXPECT_EQ(PrjFree(project), 0);

    const short opened = PrjOpen("c:\\OUT\\工程\\City.mpj", 0, 0);
    ASSERT_GT(opened, 0);
    ASSERT_EQ(PrjGetCount(opened), 2);
    EXPECT_STREQ(PrjGetFilePath(opened, 0), "C:\\out\\点\\a.wt");
    // A relative entry is read from the project's folder.
    EXPECT_STREQ(PrjGetFilePath(opened, 1), "c:\\OUT\\工程\\lines\\c.wl");
    EXPECT_EQ(PrjGetFilePath(opened, 2), nullptr);
    PRJ_ENTRY read{};
    ASSERT_GT(PrjGetEntryAt(opened, 0, &read), 0);
    EXPECT_STREQ(read.title, "界址点乗");
    EXPECT_EQ(read.rest[5], 0x5C);
    EXPECT_EQ(PrjGetEntryAt(opened, 2, &read), 0);
    EXPECT_EQ(PrjRelease(opened), 1);

    // Missing and damaged projects do not open; a freed handle answers 0.
    EXPECT_EQ(PrjOpen("C:\\none.mpj", 0, 0), 0);
    std::string bytes = dero::testing::ReadFile(OnC("copy.mpj"));
    ASSERT_FALSE(bytes.empty());
    for (std::size_t size = 0; size < bytes.size(); size += 37) {
        dero::testing::WriteFile(OnC("cut.mpj"), bytes.substr(0, size));
        EXPECT_LT(PrjOpen("C:\\cut.mpj", 0, 0), 0);
    }
    bytes[bytes.size() / 2] ^= 1;
    dero::testing::WriteFile(OnC("cut.mpj"), bytes);
    EXPECT_LT(PrjOpen("C:\\cut.mpj", 0, 0), 0);
    EXPECT_EQ(PrjGetCount(opened), 0);
    EXPECT_EQ(PrjEnterFile(opened, 0, "x", 0, -1), 0);
}

}  // namespace
