#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/cad/ads_entity.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

TEST(CadDrawingOps, LinetypesLoadFromADefinitionFile)
{
    TestDrawing drawing;
    std::string path = ::testing::TempDir() + "cad_linetypes.lin";
    {
        std::ofstream out(path, std::ios::binary);
        out << ";; test linetypes\r\n"
               "*DASHED,Dashed __ __ __\r\n"
               "A,.5,-.25\r\n"
               "*GAS_LINE,Gas line ----GAS----\r\n"
               "A,.5,-.2,[\"GAS\",STANDARD,S=.1,R=0.0,X=-0.1,Y=-.05],-.25\r\n"
               "*虚线,中文线型\r\n"
               "A,1,-1\r\n";
    }
    AcDbDatabase* db = drawing.db();
    EXPECT_EQ(db->loadLineTypeFile("dashed", path.c_str()), Acad::eOk);
    EXPECT_EQ(db->loadLineTypeFile("DASHED", path.c_str()), Acad::eDuplicateRecordName);
    EXPECT_EQ(db->loadLineTypeFile("HIDDEN", path.c_str()), Acad::eKeyNotFound);
    EXPECT_EQ(db->loadLineTypeFile("DASHED", (path + ".missing").c_str()), Acad::eFileNotFound);
    EXPECT_EQ(db->loadLineTypeFile("*", path.c_str()), Acad::eOk);
    AcDbLinetypeTable* table = nullptr;
    ASSERT_EQ(db->getLinetypeTable(table, AcDb::kForRead), Acad::eOk);
    AcDbLinetypeTableRecord* gas = nullptr;
    ASSERT_EQ(table->getAt("gas_line", gas, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(gas->numDashes(), 3);  // the text element is not a dash
    EXPECT_DOUBLE_EQ(gas->patternLength(), 0.95);
    EXPECT_STREQ(gas->commentsConst(), "Gas line ----GAS----");
    gas->close();
    EXPECT_TRUE(table->has("虚线"));
    table->close();
    std::remove(path.c_str());

    AcDbObjectId id = drawing.Add(new AcDbLine);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, id, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(line->setLinetype("Dashed"), Acad::eOk);
    EXPECT_EQ(line->linetypeName(), "DASHED");
    line->close();
}

TEST(CadDrawingOps, InsertCopiesAnotherDrawingAsABlockWithWhatItNeeds)
{
    TestDrawing target;
    AcDbDatabase source;
    {
        AcDbLayerTable* layers = nullptr;
        source.getLayerTable(layers, AcDb::kForWrite);
        auto* layer = new AcDbLayerTableRecord;
        layer->setName("JZP");
        AcCmColor red;
        red.setColorIndex(1);
        layer->setColor(red);
        layers->add(layer);
        layer->close();
        layers->close();
        AcDbRegAppTable* apps = nullptr;
        source.getRegAppTable(apps, AcDb::kForWrite);
        auto* app = new AcDbRegAppTableRecord;
        app->setName("miret");
        apps->add(app);
        app->close();
        apps->close();
        auto* circle = new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 0.5);
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, source.modelSpaceId(), AcDb::kForWrite);
        ms->appendAcDbEntity(circle);
        circle->setLayer("JZP");
        resbuf* code = acutBuildList(1001, "miret", 1000, "301000", 0);
        ASSERT_EQ(circle->setXData(code), Acad::eOk);
        acutRelRb(code);
        circle->close();
        AcGePoint3dArray pts;
        pts.append(AcGePoint3d(-1, 0, 0));
        pts.append(AcGePoint3d(1, 0, 0));
        auto* pline = new AcDb2dPolyline(AcDb::k2dSimplePoly, pts);
        ms->appendAcDbEntity(pline);
        pline->close();
        ms->close();
    }
    AcDbObjectId blockId;
    ASSERT_EQ(target.db()->insert(blockId, "JZD_POINT", &source), Acad::eOk);
    AcDbObjectId again;
    EXPECT_EQ(target.db()->insert(again, "jzd_point", &source), Acad::eDuplicateRecordName);
    AcDbBlockTableRecord* block = nullptr;
    ASSERT_EQ(acdbOpenObject(block, blockId, AcDb::kForRead), Acad::eOk);
    AcDbObjectIdArray ids = block->entityIds();
    block->close();
    ASSERT_EQ(ids.length(), 2);
    AcDbCircle* copy = nullptr;
    ASSERT_EQ(acdbOpenObject(copy, ids[0], AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(copy->database(), target.db());
    EXPECT_EQ(copy->layerId().database(), target.db());
    EXPECT_EQ(copy->layerName(), "JZP");
    resbuf* code = copy->xData("MIRET");
    ASSERT_NE(code, nullptr);
    EXPECT_STREQ(code->rbnext->resval.rstring, "301000");
    acutRelRb(code);
    copy->close();
    AcDb2dPolyline* p2d = nullptr;
    ASSERT_EQ(acdbOpenObject(p2d, ids[1], AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(p2d->vertices().size(), 2u);
    EXPECT_EQ(p2d->vertices()[1]->database(), target.db());
    p2d->close();
    AcDbLayerTable* layers = nullptr;
    target.db()->getLayerTable(layers, AcDb::kForRead);
    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(layers->getAt("JZP", layer, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(layer->colorIndex(), 1);
    layer->close();
    layers->close();

    // A reference to the new block spans the copied circle.
    auto* ref = new AcDbBlockReference(AcGePoint3d(3400000, 500000, 0), blockId);
    AcDbExtents ext;
    ASSERT_EQ(ref->getGeomExtents(ext), Acad::eOk);
    EXPECT_DOUBLE_EQ(ext.minPoint().x, 3400000 - 1);
    EXPECT_DOUBLE_EQ(ext.maxPoint().y, 500000 + 0.5);
    delete ref;
    EXPECT_EQ(target.db()->insert(again, "SELF", target.db()), Acad::eInvalidInput);
}

// Blocks of a source drawing named NAMES[i], each holding a line and references to the blocks
// INSERTS[i] names; model space refers to the first.
void MakeNestedBlocks(AcDbDatabase& source, const std::vector<std::string>& names,
                      const std::vector<std::vector<int>>& inserts)
{
    std::vector<AcDbObjectId> ids(names.size());
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(source.getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto* block = new AcDbBlockTableRecord;
        block->setName(names[i].c_str());
        ASSERT_EQ(table->add(ids[i], block), Acad::eOk);
        block->close();
    }
    table->close();
    for (std::size_t i = 0; i < names.size(); ++i) {
        AcDbBlockTableRecord* block = nullptr;
        ASSERT_EQ(acdbOpenObject(block, ids[i], AcDb::kForWrite), Acad::eOk);
        auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
        block->appendAcDbEntity(line);
        line->close();
        for (int inner : inserts[i]) {
            auto* ref = new AcDbBlockReference(AcGePoint3d(1, 0, 0), ids[static_cast<std::size_t>(inner)]);
            block->appendAcDbEntity(ref);
            ref->close();
        }
        block->close();
    }
    AcDbBlockTableRecord* ms = nullptr;
    ASSERT_EQ(acdbOpenObject(ms, source.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* ref = new AcDbBlockReference(AcGePoint3d(0, 0, 0), ids[0]);
    ms->appendAcDbEntity(ref);
    ref->close();
    ms->close();
}

// The block the n-th entity (a reference) of a block refers to, or the null id.
AcDbObjectId Inserted(AcDbObjectId blockId, int n)
{
    auto* block = AcDbBlockTableRecord::cast(platform::cad::PeekObject(blockId));
    AcDbObjectIdArray ids = block != nullptr ? block->entityIds() : AcDbObjectIdArray();
    auto* ref = n < ids.length() ? AcDbBlockReference::cast(platform::cad::PeekObject(ids[n])) : nullptr;
    return ref != nullptr ? ref->blockTableRecord() : AcDbObjectId();
}

TEST(CadDrawingOps, InsertCopiesLongChainsAndCyclesOfNestedBlocks)
{
    // Twenty thousand blocks each holding the next: copied without a stack frame per level.
    constexpr int kChain = 20000;
    std::vector<std::string> names;
    std::vector<std::vector<int>> inserts;
    for (int i = 0; i < kChain; ++i) {
        names.push_back("N" + std::to_string(i));
        inserts.push_back(i + 1 < kChain ? std::vector<int>{i + 1} : std::vector<int>{});
    }
    AcDbDatabase source;
    MakeNestedBlocks(source, names, inserts);
    TestDrawing target;
    AcDbObjectId chain;
    ASSERT_EQ(target.db()->insert(chain, "CHAIN", &source), Acad::eOk);
    int depth = 0;
    for (AcDbObjectId at = Inserted(chain, 0); !at.isNull(); at = Inserted(at, 1)) {
        auto* block = AcDbBlockTableRecord::cast(platform::cad::PeekObject(at));
        ASSERT_EQ(block->database(), target.db());
        ASSERT_EQ(block->name(), "N" + std::to_string(depth));
        ASSERT_EQ(block->entityIds().length(), depth + 1 < kChain ? 2 : 1);
        ++depth;
    }
    EXPECT_EQ(depth, kChain);
    // Measuring a reference to it stops at the nesting any drawing needs.
    AcDbBlockReference ref(AcGePoint3d(0, 0, 0), chain);
    AcDbExtents ext;
    ASSERT_EQ(ref.getGeomExtents(ext), Acad::eOk);
    EXPECT_GT(ext.maxPoint().x, 100);

    // Blocks that insert each other are copied once, referring to each other's copies.
    AcDbDatabase cyclic;
    MakeNestedBlocks(cyclic, {"PING", "PONG"}, {{1}, {0, 1}});
    AcDbObjectId game;
    ASSERT_EQ(target.db()->insert(game, "GAME", &cyclic), Acad::eOk);
    AcDbObjectId ping = Inserted(game, 0), pong = Inserted(ping, 1);
    ASSERT_FALSE(pong.isNull());
    EXPECT_EQ(pong.database(), target.db());
    EXPECT_EQ(Inserted(pong, 1), ping);
    EXPECT_EQ(Inserted(pong, 2), pong);
}

TEST(CadDrawingOps, DictionaryKeysRemovalCollatedWalkAndExtensionDictionaries)
{
    TestDrawing drawing;
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(drawing.db()->getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId id;
    for (const char* key : {"zeta", "Alpha", "x_record"}) {
        auto* record = new AcDbXrecord;
        ASSERT_EQ(nod->setAt(key, record, id), Acad::eOk);
        record->close();
    }
    AcDbXrecord unfiled;
    EXPECT_EQ(nod->setAt("", &unfiled, id), Acad::eInvalidKey);
    std::string sorted, collated;
    AcDbDictionaryIterator* it = nod->newIterator();
    for (; !it->done(); it->next())
        sorted += std::string(it->name()) + ";";
    delete it;
    it = nod->newIterator(AcRx::kDictCollated);
    for (; !it->done(); it->next())
        collated += std::string(it->name()) + ";";
    delete it;
    EXPECT_EQ(sorted, "ACAD_GROUP;Alpha;x_record;zeta;");
    EXPECT_EQ(collated, "ACAD_GROUP;zeta;Alpha;x_record;");
    EXPECT_TRUE(nod->setName("ZETA", "omega"));
    EXPECT_FALSE(nod->setName("omega", "ALPHA"));  // taken
    AcDbObjectId removed;
    ASSERT_EQ(nod->remove("X_RECORD", removed), Acad::eOk);
    EXPECT_FALSE(removed.isNull());
    EXPECT_EQ(nod->remove("x_record"), Acad::eKeyNotFound);
    // Renamed, removed and erased entries are found, or not, under their keys as they are now; a
    // double-byte character's trail byte is no letter.
    EXPECT_TRUE(nod->has("OMEGA"));
    EXPECT_FALSE(nod->has("zeta"));
    AcDbObjectId alpha;
    ASSERT_EQ(nod->getAt("alpha", alpha), Acad::eOk);
    AcDbObject* opened = nullptr;
    ASSERT_EQ(acdbOpenObject(opened, alpha, AcDb::kForWrite), Acad::eOk);
    opened->erase();
    opened->close();
    EXPECT_FALSE(nod->has("Alpha"));
    auto* again = new AcDbXrecord;
    ASSERT_EQ(nod->setAt("ALPHA", again, id), Acad::eOk);
    again->close();
    EXPECT_EQ(nod->getAt("alpha", alpha), Acad::eOk);
    EXPECT_EQ(alpha, id);
    auto* wide = new AcDbXrecord;
    ASSERT_EQ(nod->setAt("\x81\x61", wide, id), Acad::eOk);
    wide->close();
    EXPECT_TRUE(nod->has("\x81\x61"));
    EXPECT_FALSE(nod->has("\x81\x41"));
    nod->close();

    AcDbObjectId lineId = drawing.Add(new AcDbLine);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, lineId, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(line->createExtensionDictionary(), Acad::eOk);
    EXPECT_EQ(line->createExtensionDictionary(), Acad::eAlreadyInDb);
    AcDbObjectId xdict = line->extensionDictionary();
    line->close();
    AcDbDictionary* dict = nullptr;
    ASSERT_EQ(acdbOpenObject(dict, xdict, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(dict->ownerId(), lineId);
    dict->close();
    ads_name name;
    acdbGetAdsName(name, lineId);
    resbuf* list = acdbEntGet(name);
    bool sawXdict = false;
    for (resbuf* rb = list; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == 360) {
            AcDbObjectId ref;
            acdbGetObjectId(ref, rb->resval.rlname);
            sawXdict = ref == xdict;
        }
    EXPECT_TRUE(sawXdict);
    acutRelRb(list);
}

TEST(CadDrawingOps, WorkingDatabaseIsNeverNullAndForgetsADestroyedDrawing)
{
    AcDbHostApplicationServices* services = acdbHostApplicationServices();
    AcDbDatabase* before = services->workingDatabase();
    ASSERT_NE(before, nullptr);
    {
        auto temporary = std::make_unique<AcDbDatabase>();
        services->setWorkingDatabase(temporary.get());
        EXPECT_EQ(services->workingDatabase(), temporary.get());
    }
    AcDbDatabase* after = services->workingDatabase();
    ASSERT_NE(after, nullptr);
    EXPECT_TRUE(after->modelSpaceId().isValid());
    // A drawing without defaults has the bare tables for a reader to fill.
    AcDbDatabase bare(false);
    EXPECT_TRUE(bare.modelSpaceId().isNull());
    EXPECT_FALSE(bare.layerTableId().isNull());
    EXPECT_TRUE(bare.groupDictionaryId().isNull());
}

}  // namespace
