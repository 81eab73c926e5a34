// The four overlap checks inside one host process with DeroPelgar and Tallyview, on drawings laid
// out by hand: each finding's text and linked entities are read back from the browser's items as
// the bar exports them into the drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "browser/byte_stream.h"
#include "browser/info_item.h"
#include "drawingutil/coded_entities.h"
#include "drawingutil/feature_codes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_curve.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/documents.h"
#include "platform/cad/file_search.h"
#include "platform/cad/main_frame.h"
#include "platform/cad/prompts.h"
#include "platform/cad/rx_dictionary.h"
#include "platform/cad/rx_dynamic_linker.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/messages.h"
#include "platform/ui/ui_driver.h"
#include "testing/host_machine.h"

namespace {

struct Finding {
    std::string text;
    std::vector<std::string> handles;
};
using Findings = std::map<std::string, std::vector<Finding>>;

class OverlapChecks : public dero::testing::HostMachineTest {
protected:
    OverlapChecks() : HostMachineTest("overlap_checks") {}

    void SetUp() override {
        HostMachineTest::SetUp();
        platform::cad::SetSupportPath({DERO_SOURCE_DIR "/samples/support"});
        ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
        ASSERT_TRUE(acrxDynamicLinker->loadModule(TALLYVIEW_MODULE, false));
        ASSERT_TRUE(acrxDynamicLinker->loadModule(DEROPELGAR_MODULE, false));
    }

    static AcDbObjectId Outline(const std::vector<std::pair<double, double>>& points, const char* code,
                                const char* layer, bool closed = true) {
        AcGePoint2dArray host;
        for (const auto& [x, y] : points) host.append(AcGePoint2d(x, y));
        return CreateCodedPolyline(host, 0.0, closed ? 1 : 0, code, 0.0, kLightweightPolyline, layer);
    }
    static AcDbObjectId Box(double x0, double y0, double x1, double y1, const char* code, const char* layer) {
        return Outline({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, code, layer);
    }
    static std::string Handle(AcDbObjectId id) {
        AcDbObject* object = nullptr;
        if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) return {};
        char text[32];
        object->objectHandle().getIntoAsciiBuffer(text, sizeof text);
        object->close();
        return text;
    }
    static void Run(const char* command) {
        platform::cad::ClearCommandLine();
        ASSERT_EQ(acedCommand(RTSTR, command, RTNONE), RTNORM);
    }

    // Every entity on "ERROR": handle and area.
    static std::map<std::string, double> Markers() {
        std::map<std::string, double> markers;
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* space = nullptr;
        if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForRead) != Acad::eOk) return markers;
        const AcDbObjectIdArray ids = space->entityIds();
        space->close();
        for (int i = 0; i < ids.length(); ++i) {
            AcDbCurve* curve = nullptr;
            if (acdbOpenObject(curve, ids[i], AcDb::kForRead) != Acad::eOk) continue;
            const std::string layer = curve->layerName();
            double area = 0;
            curve->getArea(area);
            curve->close();
            if (layer == "ERROR") markers[Handle(ids[i])] = area;
        }
        return markers;
    }

    // The browser's items, exported into the drawing as a person does it and read back.
    Findings Exported() {
        Findings findings;
        answers->Push(platform::ui::BoxAnswer(IDOK));
        platform::ui::UiDriver ui(acedGetAcadFrame()->m_hWnd);
        if (!ui.Click(209)) return findings;
        std::vector<std::uint8_t> image;
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbDictionary* named = nullptr;
        if (db->getNamedObjectsDictionary(named, AcDb::kForRead) != Acad::eOk) return findings;
        AcDbObject* index = nullptr;
        if (named->getAt("QV_INDEX", index, AcDb::kForRead) == Acad::eOk) {
            AcDbObject* record = nullptr;
            if (auto* dict = AcDbDictionary::cast(index); dict && dict->getAt("Tallyview", record, AcDb::kForRead) == Acad::eOk) {
                resbuf* chain = nullptr;
                if (auto* x = AcDbXrecord::cast(record); x && x->rbChain(&chain) == Acad::eOk) {
                    for (resbuf* rb = chain; rb != nullptr; rb = rb->rbnext)
                        if (rb->restype == 310) {
                            const auto* bytes = reinterpret_cast<const std::uint8_t*>(rb->resval.rbinary.buf);
                            image.insert(image.end(), bytes, bytes + rb->resval.rbinary.clen);
                        }
                    acutRelRb(chain);
                }
                record->close();
            }
            index->close();
        }
        named->close();
        CByteStream stream(image);
        std::vector<CInfoItem> items;
        if (!ReadInfoItems(stream, items)) return findings;
        for (const CInfoItem& item : items) {
            std::vector<Finding>& list = findings[item.Title()];
            for (std::size_t i = 0; i < item.EntryCount(); ++i) {
                const std::size_t from = static_cast<std::size_t>(item.TextPositions()[i]);
                const std::size_t to = static_cast<std::size_t>(item.TextPositions()[i + 1]);
                std::string text = item.Text().substr(from, to - from);
                while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
                list.push_back({text, item.HandleLists()[i]});
            }
        }
        return findings;
    }
    static bool Links(const Finding& finding, AcDbObjectId id) {
        const std::string h = Handle(id);
        return std::find(finding.handles.begin(), finding.handles.end(), h) != finding.handles.end();
    }
};

// Two parcels side by side; a house inside the left one, one flush with its side, one reaching
// 1.5 m into the right one, and one over the left parcel's outer edge. Each house reaching out of
// a parcel is a finding of that parcel, with the common part drawn on "ERROR" and linked first.
TEST_F(OverlapChecks, HousesAcrossParcelBoundaries) {
    const AcDbObjectId left = Box(0, 0, 20, 20, "300000", "JZD");
    const AcDbObjectId right = Box(20, 0, 40, 20, "300000", "JZD");
    Box(2, 2, 8, 8, "141100", "JMD");                       // inside
    Box(10, 0, 14, 5, "141101", "JMD");                     // flush with the left parcel's side
    const AcDbObjectId reaching = Box(12, 10, 21.5, 16, "141102", "JMD");
    const AcDbObjectId edge = Box(-2, 15, 3, 18, "141100", "JMD");
    Box(15, 2, 25, 4, "310000", "JMD");                     // across, but of no house class

    Run("CheckFW_Intersect_ZD");
    EXPECT_NE(CommandLine().find("共查出 3 个宗地与房屋相交"), std::string::npos) << CommandLine();
    Findings found = Exported();
    const std::vector<Finding>& list = found["房屋与宗地相交检查"];
    ASSERT_EQ(list.size(), 3u);
    std::map<std::string, double> markers = Markers();
    ASSERT_EQ(markers.size(), 3u);
    const AcDbObjectId parcels[] = {left, left, right};
    const AcDbObjectId houses[] = {reaching, edge, reaching};
    const double areas[] = {8 * 6, 3 * 3, 1.5 * 6};
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Finding& f = list[i];
        EXPECT_EQ(f.text, std::to_string(i + 1) + " 房屋与宗地相交");
        ASSERT_EQ(f.handles.size(), 3u) << f.text;
        EXPECT_EQ(f.handles[1], Handle(parcels[i])) << f.text;
        EXPECT_EQ(f.handles[2], Handle(houses[i])) << f.text;
        ASSERT_TRUE(markers.count(f.handles[0])) << f.text;
        EXPECT_NEAR(markers[f.handles[0]], areas[i], 1e-9) << f.text;
    }

    // A second run leaves only its own markers, and the same findings.
    Run("CheckFW_Intersect_ZD");
    const std::map<std::string, double> again = Markers();
    EXPECT_EQ(again.size(), 3u);
    for (const auto& [handle, area] : again) EXPECT_EQ(markers.count(handle), 0u) << handle;
    EXPECT_EQ(Exported()["房屋与宗地相交检查"].size(), 3u);
}

TEST_F(OverlapChecks, HousesOverHouses) {
    const AcDbObjectId a = Box(0, 0, 10, 10, "141100", "JMD");
    const AcDbObjectId twin = Box(0, 0, 10, 10, "141101", "JMD");  // the same outline again
    const AcDbObjectId inner = Box(2, 2, 4, 4, "141100", "JMD");    // inside both, no contact
    const AcDbObjectId crossing = Box(30, 0, 40, 10, "141100", "JMD");
    const AcDbObjectId over = Box(35, 5, 45, 15, "141102", "JMD");
    const AcDbObjectId open = Outline({{60, 0}, {70, 0}, {70, 10}}, "141100", "JMD", false);
    const AcDbObjectId thin = Outline({{80, 0}, {90, 0}}, "141100", "JMD");
    Box(31, 1, 33, 3, "310000", "JMD");  // inside a house, but no house code

    Run("FW_Intersect_FW");
    Findings found = Exported();
    const std::vector<Finding>& overlaps = found["房屋相交"];
    ASSERT_EQ(overlaps.size(), 4u);
    int equal = 0, contained = 0, common = 0;
    for (std::size_t i = 0; i < overlaps.size(); ++i) {
        const Finding& f = overlaps[i];
        EXPECT_EQ(f.text.substr(0, f.text.find(' ')), std::to_string(i + 1));
        ASSERT_EQ(f.handles.size(), 2u);
        if (f.text.find("两房屋完全重合.") != std::string::npos) {
            ++equal;
            EXPECT_TRUE(Links(f, a) && Links(f, twin));
        } else if (f.text.find("一房屋完全在另一房屋内部,且无交点.") != std::string::npos) {
            ++contained;
            EXPECT_TRUE(Links(f, inner));
        } else if (f.text.find("两房屋相交,有公共面积.") != std::string::npos) {
            ++common;
            EXPECT_TRUE(Links(f, crossing) && Links(f, over));
        }
    }
    EXPECT_EQ(equal, 1);
    EXPECT_EQ(contained, 2);  // once from each of the two outer houses
    EXPECT_EQ(common, 1);
    ASSERT_EQ(found["房屋未闭合"].size(), 1u);
    EXPECT_EQ(found["房屋未闭合"][0].text, "1 该房屋未闭合.");
    EXPECT_TRUE(Links(found["房屋未闭合"][0], open));
    ASSERT_EQ(found["房屋顶点过少"].size(), 1u);
    EXPECT_EQ(found["房屋顶点过少"][0].text, "1 该房屋顶点个数是 2 个.");
    EXPECT_TRUE(Links(found["房屋顶点过少"][0], thin));
}

// Patches over patches, an open one, an island touching its patch's closing side, an island
// floating free; then the main application's command, which this host does not have.
TEST_F(OverlapChecks, PatchesAndIslands) {
    const AcDbObjectId block = Outline({{0, 0}, {50, 0}, {50, 50}, {0, 50}}, "310000", "DLJ");
    const AcDbObjectId over = Box(45, 10, 60, 20, "310000", "DLJ");
    // Touches the block's side from (0, 50) back to (0, 0): the fence must run along it.
    const AcDbObjectId island = Box(0, 20, 10, 30, "310000", "DLJ");
    Box(20, 20, 30, 30, "310000", "DLJ");  // inside, touching nothing: no finding anywhere
    const AcDbObjectId open = Outline({{100, 0}, {110, 0}, {110, 10}}, "310000", "DLJ", false);
    Box(200, 0, 210, 10, "310000", "DLJ");
    Box(200, 0, 210, 10, "310000", "DLJ");

    Run("TB_Intersect_TB");
    EXPECT_NE(CommandLine().find("FindZeroAreaTB"), std::string::npos) << CommandLine();
    Findings found = Exported();
    const std::vector<Finding>& overlaps = found["图斑相交"];
    ASSERT_EQ(overlaps.size(), 2u);
    EXPECT_EQ(overlaps[0].text, "1 两图斑相交,有公共面积.");
    EXPECT_TRUE(Links(overlaps[0], block) && Links(overlaps[0], over));
    EXPECT_EQ(overlaps[1].text, "2 两图斑完全重合.");
    ASSERT_EQ(found["图斑未闭合"].size(), 1u);
    EXPECT_TRUE(Links(found["图斑未闭合"][0], open));
    const std::vector<Finding>& islands = found["非法岛图斑"];
    ASSERT_EQ(islands.size(), 4u);
    EXPECT_EQ(islands[0].text, "1,外层图斑");
    EXPECT_EQ(islands[0].handles, std::vector<std::string>{Handle(block)});
    EXPECT_EQ(islands[1].text, "1,内部图斑:1个");
    EXPECT_EQ(islands[1].handles, std::vector<std::string>{Handle(island)});
    EXPECT_EQ(islands[2].text, "1,内部图斑与外部图斑共2个");
    EXPECT_EQ(islands[3].text, "共找到1个非法图斑");
}

TEST_F(OverlapChecks, EmptyDrawingsAndDegenerateOutlines) {
    Run("CheckFW_Intersect_ZD");
    EXPECT_NE(CommandLine().find("\n当前图上没有宗地"), std::string::npos) << CommandLine();
    Run("FW_Intersect_FW");
    EXPECT_NE(CommandLine().find("\n当前图上没有房屋!"), std::string::npos) << CommandLine();
    Run("TB_Intersect_TB");
    EXPECT_NE(CommandLine().find("\n当前图上没有图斑!"), std::string::npos) << CommandLine();
    EXPECT_EQ(CommandLine().find("FindZeroAreaTB"), std::string::npos);
    Run("FindIllegalTBs");

    // A bow-tie, a zero-area house and a two-vertex outline everywhere: the checks end normally.
    Box(0, 0, 20, 20, "300000", "JZD");
    Outline({{0, 0}, {20, 20}, {20, 0}, {0, 20}}, "300000", "JZD");
    Outline({{5, 5}, {25, 5}, {5, 15}, {25, 15}}, "141100", "JMD");
    Outline({{2, 2}, {8, 2}, {14, 2}}, "141100", "JMD");
    Outline({{18, 3}, {22, 3}}, "141100", "JMD");
    Outline({{0, 0}, {20, 20}, {20, 0}, {0, 20}}, "310000", "DLJ");
    Outline({{1, 1}, {30, 1}}, "310000", "DLJ");
    Run("CheckFW_Intersect_ZD");
    EXPECT_NE(CommandLine().find("共查出"), std::string::npos) << CommandLine();
    for (const char* command : {"FW_Intersect_FW", "TB_Intersect_TB", "FindIllegalTBs"}) Run(command);
    Findings found = Exported();
    ASSERT_FALSE(found["非法岛图斑"].empty());
    EXPECT_EQ(found["非法岛图斑"].back().text, "共找到0个非法图斑");
    EXPECT_EQ(found["房屋顶点过少"].size(), 1u);
}

}  // namespace
