#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/text/encoding.h"
#include "platform/ui/answer_source.h"

#include "drawingutil/blocks.h"
#include "drawingutil/browse_folder.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/entity_xdata.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/linetypes.h"
#include "host_fixture.h"

namespace {

class HostDrawingTest : public HostTest {
protected:
    AcDbObjectId NewLine() { return Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0))); }

    // Writes a drawing holding one circle into the support folder.
    void WriteBlockDrawing(const std::string& utf8Name)
    {
        AcDbDatabase block;
        AcDbBlockTableRecord* ms = nullptr;
        ASSERT_EQ(acdbOpenObject(ms, block.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
        auto* circle = new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d(0, 0, 1), 1.0);
        ASSERT_EQ(ms->appendAcDbEntity(circle), Acad::eOk);
        circle->close();
        ms->close();
        std::string path = (SupportFolder() / utf8Name).string();
        ASSERT_EQ(block.saveAs(platform::text::Utf8ToGbk(path).c_str()), Acad::eOk);
    }
    bool HasBlock(const char* name)
    {
        AcDbBlockTable* table = nullptr;
        EXPECT_EQ(db()->getBlockTable(table, AcDb::kForRead), Acad::eOk);
        bool has = table->has(name);
        table->close();
        return has;
    }
};

TEST_F(HostDrawingTest, VerboseMessagesGoToTheCommandLine)
{
    AcDbObjectId id = NewLine();
    std::string text;
    EXPECT_FALSE(ReadEntityXData(id, "", text, 0, 0, false, false));
    EXPECT_EQ(CommandLine(), "");
    EXPECT_FALSE(ReadEntityXData(id, "APP", text, 9, 0, false, true));
    EXPECT_EQ(CommandLine(), "AppName,或者szData为空，或者nType不对");
    platform::cad::ClearCommandLine();
    EXPECT_FALSE(WriteEntityXData(id, "", "1", 0, 0, false, false, true));
    EXPECT_EQ(CommandLine(), "AppName,或者csData为空，或者nType不对");

    WriteEntityXData(id, "APP", "12", 0, 0, false, false, false);
    platform::cad::ClearCommandLine();
    EXPECT_TRUE(ReadEntityXData(id, "APP", text, 1, 0, true, true));
    EXPECT_EQ(text, "12");
    EXPECT_EQ(CommandLine(), "\n强制输出类形不对的信息，原类型1000,要输出类型1");
    platform::cad::ClearCommandLine();
    EXPECT_TRUE(ReadEntityXData(id, "APP", text, 1, 0, true, false));
    EXPECT_EQ(CommandLine(), "");
    EXPECT_TRUE(WriteEntityXData(id, "APP", "7", 2, 0, false, true, true));
    EXPECT_EQ(CommandLine(), "\n实体的扩展数据类型由1000修改成2");
    // A value holding a format directive is printed nowhere and stored as it is.
    EXPECT_TRUE(WriteEntityXData(id, "APP", "%s%n", 0, -1, false, false, true));
    EXPECT_TRUE(ReadEntityXData(id, "APP", text, 0, -1, false, true));
    EXPECT_EQ(text, "%s%n");
}

TEST_F(HostDrawingTest, BlocksFromDrawingFilesOnTheSearchPath)
{
    EXPECT_FALSE(InsertBlockFromFile("JZD_MARK"));
    EXPECT_FALSE(InsertBlockFromFile(""));
    EXPECT_FALSE(CreateCodedBlockReference(AcGePoint3d(0, 0, 0), "JZD_MARK", "301000", 1, 0, nullptr, "JZP"));

    WriteBlockDrawing("jzd_mark.dxf");
    EXPECT_TRUE(InsertBlockFromFile("JZD_MARK"));
    EXPECT_TRUE(HasBlock("JZD_MARK"));
    // Once in the drawing the file is not needed again.
    std::filesystem::remove(SupportFolder() / "jzd_mark.dxf");
    EXPECT_TRUE(InsertBlockFromFile("jzd_mark"));
    EXPECT_TRUE(CreateCodedBlockReference(AcGePoint3d(5, 6, 0), "JZD_MARK", "301000", 2, 0.5, nullptr, "JZP"));

    AcDbBlockReference* reference = nullptr;
    ads_name last;
    ASSERT_EQ(acdbEntLast(last), RTNORM);
    std::string code;
    GetEntityCode(last, code);
    EXPECT_EQ(code, "301000");
    AcDbObjectId id;
    ASSERT_EQ(acdbGetObjectId(id, last), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(reference, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(reference->scaleFactors().sx, 2.0);
    EXPECT_EQ(reference->scaleFactors().sz, 1.0);
    EXPECT_EQ(reference->rotation(), 0.5);
    EXPECT_EQ(reference->layerName(), "JZP");
    reference->close();
    EXPECT_FALSE(CreateCodedBlockReference(AcGePoint3d(0, 0, 0), "JZD_MARK", "", 0, 0, nullptr, ""));

    // A file that is not a drawing is reported, and no block is left behind.
    std::ofstream(SupportFolder() / "broken.dxf") << "0\nSECTION\n2\nNOPE\n";
    EXPECT_FALSE(InsertBlockFromFile("BROKEN"));
    EXPECT_FALSE(HasBlock("BROKEN"));
}

TEST_F(HostDrawingTest, LinetypesLoadedWhenMissing)
{
    AcDbObjectId line = NewLine();
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, line), Acad::eOk);
    auto linetypeOf = [&] {
        AcDbEntity* entity = nullptr;
        EXPECT_EQ(acdbOpenObject(entity, line, AcDb::kForRead), Acad::eOk);
        std::string lt = entity->linetypeName();
        entity->close();
        return lt;
    };
    std::string before = linetypeOf();
    EnsureLinetype(name, "DASHED");  // no ACAD.LIN anywhere: nothing happens
    EXPECT_EQ(linetypeOf(), before);
    EnsureLinetype(name, "Continuous");
    EXPECT_EQ(linetypeOf(), "Continuous");
}

// The file search answers in Windows form; the loader must find the file all the same.
TEST_F(HostDrawingTest, LinetypeLoadedFromTheSearchPath)
{
    AcDbObjectId line = NewLine();
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, line), Acad::eOk);
    std::ofstream(SupportFolder() / "acad.lin") << "*DASHED,Dashed __ __ __\nA,.5,-.25\n";
    EnsureLinetype(name, "DASHED");
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, line, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(entity->linetypeName(), "DASHED");
    entity->close();
}

TEST_F(HostDrawingTest, FolderBrowserAddsOneBackslash)
{
    std::filesystem::create_directories(SupportFolder() / "out");
    std::string path = "untouched";
    auto queue = platform::ui::UseAnswerQueue();
    queue->Push(platform::ui::FolderAnswer("C:\\support\\out"));
    queue->Push(platform::ui::FolderAnswer("C:\\"));
    queue->Push(platform::ui::CancelAnswer(platform::ui::RequestKind::Folder));
    EXPECT_TRUE(BrowseForFolder("选择输出目录", path));
    EXPECT_EQ(path, "C:\\support\\out\\");
    EXPECT_TRUE(BrowseForFolder("选择输出目录", path));
    EXPECT_EQ(path, "C:\\");
    path = "untouched";
    EXPECT_FALSE(BrowseForFolder("选择输出目录", path));
    EXPECT_EQ(path, "untouched");
}

}  // namespace
