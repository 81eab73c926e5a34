#include "cadastral/main_app_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "parcel_scene.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/lisp_functions.h"
#include "platform/cad/prompts.h"
#include "platform/cad/selection.h"

namespace {

using namespace cadastral;

std::vector<std::string> g_log;

std::string Describe(const resbuf* item) {
    switch (item->restype) {
        case RTSTR:
            return std::string("str:") + item->resval.rstring;
        case RTSHORT:
            return "short:" + std::to_string(item->resval.rint);
        case RTLONG:
            return "long:" + std::to_string(item->resval.rlong);
        case RTPICKS: {
            Adesk::Int32 n = -1;
            acedSSLength(item->resval.rlname, &n);
            return "picks:" + std::to_string(n);
        }
        default:
            return "type:" + std::to_string(item->restype);
    }
}

int LogCall() {
    std::string line = "call";
    for (const resbuf* item = acedGetArgs(); item != nullptr; item = item->rbnext)
        line += " " + Describe(item);
    g_log.push_back(line);
    return acedRetNil();
}

class MainAppServicesTest : public ParcelSceneTest {
protected:
    void SetUp() override {
        ParcelSceneTest::SetUp();
        g_log.clear();
        // Stand-ins for the main drawing application's commands: each logs the answers it reads.
        platform::cad::RegisterBuiltinCommand("EXPLODEGCD", [] {
            char a[40] = "", b[40] = "?";
            int ra = acedGetString(1, "\n", a, sizeof a), rb = acedGetString(1, "\n", b, sizeof b);
            g_log.push_back("EXPLODEGCD " + std::to_string(ra == RTNORM) + a + "|" +
                            std::to_string(rb == RTNORM) + b);
            return RTNORM;
        });
        platform::cad::RegisterBuiltinCommand("REDERO", [] {
            ads_name picked{};
            ads_point at{};
            int n = 0;
            int re = acedEntSel("\n", picked, at), rn = acedGetInt("\n", &n);
            AcDbObjectId id;
            acdbGetObjectId(id, picked);
            g_log.push_back("REDERO " + std::to_string(re == RTNORM && id == g_block) + " " +
                            std::to_string(rn == RTNORM) + ":" + std::to_string(n));
            return RTNORM;
        });
        for (const char* name : {"AREAPRETREAT", "FindZeroAreaTB"}) {
            std::string logged = name;
            platform::cad::RegisterBuiltinCommand(name, [logged] {
                g_log.push_back(logged);
                return RTNORM;
            });
        }
        ASSERT_EQ(acedDefun("ss_exportshp", 41), RTNORM);
        ASSERT_EQ(acedDefun("qwert", 42), RTNORM);
        ASSERT_EQ(acedRegFunc(LogCall, 41), RTNORM);
        ASSERT_EQ(acedRegFunc(LogCall, 42), RTNORM);
    }
    static inline AcDbObjectId g_block;
};

TEST_F(MainAppServicesTest, EachCallPassesItsItemsInOrderAndLeavesNoSetOrListBehind) {
    g_block = BoundaryPoint(1, 1);
    EXPECT_EQ(RunExplodeGcd(), RTNORM);
    EXPECT_EQ(RunAreaPretreat(), RTNORM);
    EXPECT_EQ(RunFindZeroAreaTb(), RTNORM);
    EXPECT_EQ(RunRedero(Name(g_block)), RTNORM);
    ads_name all{};
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, all), RTNORM);
    EXPECT_EQ(CallExportShp(all, "C:\\222\\"), RTNORM);
    EXPECT_EQ(CallQwert(all, "D:\\pack"), RTNORM);
    acedSSFree(all);
    EXPECT_EQ(platform::cad::LiveSelectionSetCount(), 0u);
    EXPECT_EQ(g_log, (std::vector<std::string>{
                         "EXPLODEGCD 1all|1", "AREAPRETREAT", "FindZeroAreaTB", "REDERO 1 1:1",
                         "call picks:1 str:C:\\222\\",
                         "call picks:1 str:D:\\pack short:1 str:QTD str:QTX str:QTM str:QTT"}));

    // Without the main application nothing is run and the caller goes on.
    g_log.clear();
    ASSERT_EQ(acedUndef("qwert", 42), RTNORM);
    ads_name none{};
    ASSERT_EQ(acedSSGet("X", nullptr, nullptr, nullptr, none), RTNORM);
    EXPECT_NE(CallQwert(none, "D:\\pack"), RTNORM);
    acedSSFree(none);
    EXPECT_TRUE(g_log.empty());
}

}  // namespace
