#include "cadastral/error_marking.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "drawingutil/feature_codes.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_line.h"
#include "toolkit_fixture.h"

namespace {

class ErrorMarkingTest : public ToolkitTest {
protected:
    AcDbObjectId Add(AcDbEntity* entity) {
        AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
        AcDbBlockTableRecord* space = nullptr;
        AcDbObjectId id;
        if (acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite) == Acad::eOk) {
            space->appendAcDbEntity(id, entity);
            entity->close();
            space->close();
        }
        return id;
    }
};

void ExpectMarked(AcDbObjectId id, const char* secondItem) {
    ads_name name;
    ASSERT_EQ(acdbGetAdsName(name, id), Acad::eOk);
    std::string code;
    GetEntityCode(name, code);
    EXPECT_EQ(code, "444400");
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
    char* layer = entity->layer();  // a copy the caller frees, as on the host
    EXPECT_STREQ(layer, "ERROR");
    std::free(layer);
    EXPECT_EQ(entity->colorIndex(), 3);
    resbuf* xdata = entity->xData("MIRET");
    entity->close();
    ASSERT_NE(xdata, nullptr);
    // What followed the code (a parcel number) survives the marking.
    std::string second;
    int strings = 0;
    for (resbuf* rb = xdata->rbnext; rb != nullptr; rb = rb->rbnext) {
        if (rb->restype == 1000 && ++strings == 2) {
            second = rb->resval.rstring;
        }
    }
    EXPECT_EQ(second, secondItem);
    acutRelRb(xdata);
}

TEST_F(ErrorMarkingTest, CodeLayerAndColourChangeAndOtherItemsStay) {
    ASSERT_EQ(acDocManager->appContextNewDocument(nullptr), Acad::eOk);
    auto* coded = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    AcDbObjectId first;
    {
        resbuf* xdata = acutBuildList(1001, "MIRET", 1000, "141100", 1000, "JZD0001", RTNONE);
        ASSERT_EQ(acdbRegApp("MIRET"), RTNORM);
        coded->setXData(xdata);
        acutRelRb(xdata);
    }
    first = Add(coded);
    AcDbObjectId plain = Add(new AcDbCircle(AcGePoint3d(5, 5, 0), AcGeVector3d(0, 0, 1), 2));

    AcDbObjectIdArray ids;
    ids.append(first);
    ids.append(plain);
    ids.append(AcDbObjectId());  // an id that names nothing is passed over
    cadastral::MarkErrorEntities(ids);
    ExpectMarked(first, "JZD0001");
    ExpectMarked(plain, "");
}

}  // namespace
