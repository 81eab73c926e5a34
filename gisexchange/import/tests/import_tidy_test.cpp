// The passes after a read and the unattended read command, in the host: elevation labels become
// attributes, boundary-line data moves to parcel vertices, and GEOPORTX reads a project, saves the
// drawing and ends the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "drawingutil/groups.h"
#include "drawingutil/text_entities.h"
#include "gisexchange/batch_import.h"
#include "gisexchange/import_tidy.h"
#include "import_fixture.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/host_exit.h"

namespace {

using namespace import_testing;
using drawingutil::Opened;

class ImportTidy : public ImportTest {
protected:
    ImportTidy() : ImportTest("import_tidy") {}
    // The symbol drawings the product ships.
    void ShippedSymbols() const {
        for (const char* name : {"gc200.dxf", "Dero2008.dxf"})
            std::filesystem::copy_file(DERO_SOURCE_DIR "/samples/support/" + std::string(name),
                                       SupportFolder() / name,
                                       std::filesystem::copy_options::overwrite_existing);
    }
    void TearDown() override {
        platform::cad::ClearHostExit();
        ImportTest::TearDown();
    }

    static AcDbObjectId GroupOf(AcDbObjectId id) {
        ads_name name{};
        acdbGetAdsName(name, id);
        AcDbObjectId group;
        EXPECT_TRUE(CreateEntityGroup(name, group));
        return group;
    }
    static AcDbObjectId Label(const char* text, double x, double y, double height, AcDbObjectId group) {
        const AcDbObjectId id =
            CreateText(AcGePoint3d(x, y, 0), text, "L", "", height, "GC", 0.3, 0, nullptr);
        if (!group.isNull())
            gisexchange::AppendToGroup(group, id);
        return id;
    }
    static bool Present(AcDbObjectId id) {
        for (const Seen& s : Drawing())
            if (s.id == id)
                return true;
        return false;
    }
    static std::vector<AcDbAttribute*> Attributes(const AcDbBlockReference* reference) {
        std::vector<AcDbAttribute*> found;
        std::unique_ptr<AcDbObjectIterator> it(reference->attributeIterator());
        for (it->start(); !it->done(); it->step()) {
            AcDbAttribute* attribute = nullptr;
            if (acdbOpenObject(attribute, it->objectId(), AcDb::kForRead) == Acad::eOk)
                found.push_back(attribute);
        }
        return found;
    }
};

TEST_F(ImportTidy, ElevationLabelsBecomeHeightAttributes) {
    const AcDbObjectId mark = gisexchange::InsertSymbolBlock({10, 19, 5}, "gc200", "202101", 1, 0, "GCD", {});
    const AcDbObjectId group = GroupOf(mark);
    const AcDbObjectId label = Label("12.35", 10, 20, 2.0, group);
    const AcDbObjectId second = Label("99.9", 30, 20, 2.0, group);
    // A code with a trailing blank and a mark without a group are not elevation points.
    const AcDbObjectId blank =
        gisexchange::InsertSymbolBlock({50, 50, 0}, "gc200", "202101 ", 1, 0, "GCD", {});
    const AcDbObjectId blankLabel = Label("1.0", 50, 51, 2.0, GroupOf(blank));
    const AcDbObjectId lone = gisexchange::InsertSymbolBlock({70, 70, 0}, "gc200", "202101", 1, 0, "GCD", {});
    const AcDbObjectId elsewhere =
        gisexchange::InsertSymbolBlock({90, 90, 0}, "gc200", "202101", 1, 0, "GC", {});
    const AcDbObjectId elsewhereLabel = Label("3.0", 90, 91, 2.0, GroupOf(elsewhere));

    gisexchange::ElevationLabelsCommand();
    EXPECT_FALSE(Present(label)) << "the label becomes the attribute";
    EXPECT_TRUE(Present(second)) << "only the first text of the group";
    EXPECT_TRUE(Present(blankLabel));
    EXPECT_TRUE(Present(elsewhereLabel)) << "only marks on GCD";
    {
        Opened<AcDbBlockReference> reference(mark, AcDb::kForRead);
        const std::vector<AcDbAttribute*> attributes = Attributes(reference.get());
        ASSERT_EQ(attributes.size(), 1u);
        AcDbAttribute* height = attributes[0];
        EXPECT_STREQ(height->tagConst(), "HEIGHT");
        EXPECT_STREQ(height->textStringConst(), "12.35");
        // Middle-aligned: the host places the text by its alignment point.
        EXPECT_EQ(height->alignmentPoint(), AcGePoint3d(10, 21, 0)) << "raised by half the label's height";
        EXPECT_EQ(height->horizontalMode(), AcDb::kTextLeft);
        EXPECT_EQ(height->verticalMode(), AcDb::kTextVertMid);
        EXPECT_DOUBLE_EQ(height->height(), 2.0);
        EXPECT_DOUBLE_EQ(height->widthFactor(), 0.8);
        EXPECT_DOUBLE_EQ(height->rotation(), 0.3);
        EXPECT_EQ(height->layerName(), "GCD");
        height->close();
    }
    for (AcDbObjectId untouched : {blank, lone, elsewhere}) {
        Opened<AcDbBlockReference> reference(untouched, AcDb::kForRead);
        EXPECT_TRUE(Attributes(reference.get()).empty());
    }
}

TEST_F(ImportTidy, BoundaryLineDataMovesToTheParcelVertexAtItsStart) {
    AcGePoint2dArray square;
    for (const AcGePoint2d& p :
         {AcGePoint2d(0, 0), AcGePoint2d(10, 0), AcGePoint2d(10, 10), AcGePoint2d(0, 10)})
        square.append(p);
    const AcDbObjectId parcel = CreateCodedPolyline(square, 0, 1, "300000", 0, kSimple2dPolyline, "ZD");
    const AcDbObjectId group = GroupOf(parcel);
    auto boundary = [&](AcGePoint2d from, AcGePoint2d to, const char* kind) {
        AcGePoint2dArray points;
        points.append(from);
        points.append(to);
        const AcDbObjectId id = CreateCodedPolyline(points, 0, 0, "303000", 0, kLightweightPolyline, "JZX");
        ads_name name{};
        acdbGetAdsName(name, id);
        SetXData(name, "JZXLB", kXDataString, kind);
        gisexchange::AppendToGroup(group, id);
        return id;
    };
    const AcDbObjectId first = boundary({0, 0}, {10, 0}, "1");
    const AcDbObjectId twin = boundary({0, 0}, {0, 10}, "2");
    const AcDbObjectId near = boundary({10.00002, 0}, {10, 10}, "3");
    const AcDbObjectId top = boundary({10, 10}, {0, 10}, "4");
    // Outside the group: never looked at.
    const AcDbObjectId stranger = CreateCodedPolyline(square, 0, 0, "303000", 0, kLightweightPolyline, "JZX");
    // A later parcel of the same group, meeting the first at (0, 0) and (0, 10).
    AcGePoint2dArray left;
    for (const AcGePoint2d& p : {AcGePoint2d(0, 0), AcGePoint2d(0, 10), AcGePoint2d(-10, 10), AcGePoint2d(-10, 0)})
        left.append(p);
    const AcDbObjectId neighbour = CreateCodedPolyline(left, 0, 1, "300000", 0, kSimple2dPolyline, "ZD");
    gisexchange::AppendToGroup(group, neighbour);

    gisexchange::TransferBoundaryPointData(false);
    EXPECT_FALSE(Present(first));
    EXPECT_FALSE(Present(twin)) << "one boundary line a vertex: the second goes to the next parcel";
    EXPECT_TRUE(Present(near)) << "0.00002 away is another place";
    EXPECT_FALSE(Present(top));
    EXPECT_TRUE(Present(stranger));

    auto vertexData = [&](AcDbObjectId outlineId) {
        std::vector<std::string> kinds;
        Opened<AcDb2dPolyline> outline(outlineId, AcDb::kForRead);
        std::unique_ptr<AcDbObjectIterator> it(outline->vertexIterator());
        for (it->start(); !it->done(); it->step())
            kinds.push_back(Item(it->objectId(), "JZXLB", 0));
        return kinds;
    };
    EXPECT_EQ(vertexData(parcel), (std::vector<std::string>{"1", "", "4", ""}));
    EXPECT_EQ(vertexData(neighbour), (std::vector<std::string>{"2", "", "", ""}))
        << "a line handed to the first parcel is not handed again";
    Opened<AcDb2dPolyline> outline(parcel, AcDb::kForRead);
    std::unique_ptr<AcDbObjectIterator> it(outline->vertexIterator());
    it->start();
    EXPECT_EQ(Item(it->objectId(), "miret", 0), "303000") << "the whole data goes with it";
}

TEST_F(ImportTidy, UnattendedReadWithoutAProjectStillSavesAndEnds) {
    ShippedSymbols();
    std::filesystem::create_directories(Root() / "d" / "back");
    SetText("users4", "D:\\p");  // five characters: unset
    SetText("users5", "D:\\back\\TOWN.dxf");
    gisexchange::BatchImportCommand();
    EXPECT_TRUE(platform::cad::HostExitRequested());
    EXPECT_EQ(platform::cad::HostExitCode(), 1);
    EXPECT_NE(CommandLine().find("USERS4"), std::string::npos) << CommandLine();
    const std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].type, "INSERT");
    EXPECT_EQ(drawn[0].code, "");
    EXPECT_TRUE(std::filesystem::exists(Root() / "d" / "back" / "TOWN.dxf"));

    // A project that does not open is named; the drawing is still saved.
    platform::cad::ClearHostExit();
    std::filesystem::remove(Root() / "d" / "back" / "TOWN.dxf");
    SetText("users4", "C:\\data\\none.mpj");
    gisexchange::BatchImportCommand();
    EXPECT_EQ(platform::cad::HostExitCode(), 1);
    EXPECT_NE(CommandLine().find("无法打开 MapGIS 工程 C:\\data\\none.mpj"), std::string::npos)
        << CommandLine();
    EXPECT_TRUE(std::filesystem::exists(Root() / "d" / "back" / "TOWN.dxf"));
}

TEST_F(ImportTidy, UnattendedReadTakesTheProjectsFilesByTheirExtension) {
    ShippedSymbols();
    Templates({"*RD,2,ROADS,210000,0", "*PC,3,PARCELS,300000,0"});
    Index({"210000,continuous,2,路,21,RD", "END"});
    Row("210000", "DLX");
    Row("300000", "ZD");
    GisDocument roads = NewFile(GIS_KIND_LINE, {"实体编码"});
    AddLine(roads, {{0, 0}, {5, 5}}, LineParams(), {""});
    Write("C:\\data\\roads.WL", roads);
    GisDocument parcels = NewFile(GIS_KIND_AREA, {"实体编码"});
    const LONG ring = AddLine(parcels, {{0, 0}, {4, 0}, {4, 4}, {0, 0}}, LineParams(), {""});
    AddArea(parcels, {ring}, AreaParams(), {""});
    Write("C:\\data\\parcels.wp", parcels);
    platform::gis::GisProject project;
    for (const char* entry : {"roads.WL", "parcels.wp", "rights.wb"})
        project.entries.push_back({entry, {}});
    ASSERT_TRUE(platform::gis::WriteFileAtomically("C:\\data\\TOWN.mpj",
                                                   platform::gis::SerializeGisProject(project)));

    SetScale(0);  // unset: taken as 500 without asking
    SetText("users4", "C:\\data\\TOWN.mpj");
    SetText("users5", "D:\\nowhere\\TOWN.dxf");
    gisexchange::BatchImportCommand();
    EXPECT_EQ(platform::cad::HostExitCode(), 1);
    EXPECT_EQ(CommandLine().find("绘图比例尺"), std::string::npos) << "nothing asked";
    EXPECT_NE(CommandLine().find("无法保存图形 D:\\nowhere\\TOWN.dxf"), std::string::npos) << CommandLine();

    const std::vector<Seen> drawn = Drawing();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[1].code, "210000") << "roads.WL reads under the category ROADS";
    EXPECT_EQ(drawn[1].layer, "DLX");
    {
        Opened<AcDbPolyline> road(drawn[1].id, AcDb::kForRead);
        double start = 0, end = 0;
        road->getWidthsAt(0, start, end);
        EXPECT_DOUBLE_EQ(start, 1.0) << "index width times 500 x 0.001";
    }
    EXPECT_EQ(drawn[2].code, "300000");
    EXPECT_EQ(drawn[2].type, "POLYLINE");

    EXPECT_EQ(gisexchange::ImportCategoryName("D:\\A\\proj1.mpj", ".mpj"), "PROJ1");
    EXPECT_EQ(gisexchange::ImportCategoryName("c:\\x\\a.wl.wl", ".wl"), "A");
    EXPECT_EQ(gisexchange::ImportCategoryName("道路.wl", ".wl"), "道路");
}

}  // namespace
