#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_xrecord.h"
#include "platform/cad/resbuf.h"
#include "test_drawing.h"

namespace {

TEST(CadTables, NamesCompareWithoutCaseAndRecordsAreValidated)
{
    TestDrawing drawing;
    AcDbLayerTable* layers = nullptr;
    ASSERT_EQ(drawing.db()->getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* jzd = new AcDbLayerTableRecord;
    ASSERT_EQ(jzd->setName("JZD"), Acad::eOk);
    ASSERT_EQ(layers->add(jzd), Acad::eOk);
    jzd->close();
    auto* dup = new AcDbLayerTableRecord;
    dup->setName("jzd");
    EXPECT_EQ(layers->add(dup), Acad::eDuplicateRecordName);
    delete dup;
    auto* chinese = new AcDbLayerTableRecord;
    ASSERT_EQ(chinese->setName("房屋"), Acad::eOk);
    ASSERT_EQ(layers->add(chinese), Acad::eOk);
    chinese->close();
    EXPECT_EQ(AcDbLayerTableRecord().setName("a|b"), Acad::eInvalidSymbolTableName);
    // Trail bytes that look like '\\' or '|' belong to their character and are no separators.
    EXPECT_EQ(AcDbLayerTableRecord().setName("乗亅"), Acad::eOk);
    EXPECT_EQ(AcDbLayerTableRecord().setName(""), Acad::eOk);  // checked when added
    auto* unnamed = new AcDbLayerTableRecord;
    EXPECT_EQ(layers->add(unnamed), Acad::eInvalidSymbolTableName);
    delete unnamed;
    auto* style = new AcDbTextStyleTableRecord;
    EXPECT_EQ(layers->add(style), Acad::eWrongObjectType);
    delete style;
    EXPECT_TRUE(layers->has("Jzd"));
    EXPECT_TRUE(layers->has("房屋"));
    AcDbLayerTableRecord* found = nullptr;
    layers->close();
    ASSERT_EQ(drawing.db()->getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(layers->getAt("jZd", found, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(found->name(), "JZD");
    found->close();
    AcDbLayerTableIterator* it = nullptr;
    layers->newIterator(it);
    std::string names;
    for (; !it->done(); it->step()) {
        AcDbLayerTableRecord* record = nullptr;
        ASSERT_EQ(it->getRecord(record, AcDb::kForRead), Acad::eOk);
        names += record->name() + ";";
        record->close();
    }
    delete it;
    layers->close();
    EXPECT_EQ(names, "0;JZD;房屋;");

    // A renamed record is found by its new name only; a taken name is refused.
    ASSERT_EQ(drawing.db()->getLayerTable(layers, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(layers->getAt("房屋", found, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(found->setName("jzd"), Acad::eDuplicateRecordName);
    ASSERT_EQ(found->setName("JMD"), Acad::eOk);
    found->close();
    EXPECT_FALSE(layers->has("房屋"));
    EXPECT_TRUE(layers->has("jmd"));
    layers->close();

    // Text styles may be added without a name, several times.
    AcDbTextStyleTable* styles = nullptr;
    ASSERT_EQ(drawing.db()->getTextStyleTable(styles, AcDb::kForWrite), Acad::eOk);
    for (int i = 0; i < 2; ++i) {
        auto* record = new AcDbTextStyleTableRecord;
        record->setFileName("FONRS");
        record->setFont("宋体", false, false, 134, 49);
        ASSERT_EQ(styles->add(record), Acad::eOk);
        record->close();
    }
    EXPECT_EQ(styles->recordIds().length(), 3);
    styles->close();

    // An entity's layer by name: only existing layers.
    AcDbObjectId lineId = drawing.Add(new AcDbLine);
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, lineId, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(line->setLayer("nope"), Acad::eKeyNotFound);
    ASSERT_EQ(line->setLayer("jzd"), Acad::eOk);
    EXPECT_EQ(line->layerName(), "JZD");
    line->close();
}

TEST(CadGroups, OrderedMembershipAnonymousNamesSelectableAndErase)
{
    TestDrawing drawing;
    AcDbObjectId a = drawing.Add(new AcDbLine);
    AcDbObjectId b = drawing.Add(new AcDbLine);
    AcDbObjectId c = drawing.Add(new AcDbLine);
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(drawing.db()->getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
    auto* first = new AcDbGroup("", true);
    AcDbObjectId g1;
    ASSERT_EQ(groups->setAt("*", first, g1), Acad::eOk);
    EXPECT_EQ(first->append(b), Acad::eOk);
    EXPECT_EQ(first->prepend(a), Acad::eOk);
    EXPECT_EQ(first->append(b), Acad::eAlreadyInGroup);
    EXPECT_EQ(first->append(groups->objectId()), Acad::eNotAnEntity);
    EXPECT_TRUE(first->isAnonymous());
    EXPECT_EQ(first->name(), "*A1");
    first->close();
    auto* second = new AcDbGroup("named", false);
    AcDbObjectId g2;
    ASSERT_EQ(groups->setAt("*", second, g2), Acad::eOk);
    EXPECT_EQ(second->name(), "*A2");
    second->append(c);
    second->close();
    // Members added before the group is filed learn of it when it is.
    auto* named = new AcDbGroup;
    ASSERT_EQ(named->append(c), Acad::eOk);
    AcDbObjectId g3;
    ASSERT_EQ(groups->setAt("Parcels", named, g3), Acad::eOk);
    EXPECT_TRUE(platform::cad::PeekObject(c)->persistentReactorIds().contains(g3));
    named->close();
    EXPECT_TRUE(groups->has("PARCELS"));
    groups->close();

    AcDbGroup* group = nullptr;
    ASSERT_EQ(acdbOpenObject(group, g1, AcDb::kForWrite), Acad::eOk);
    AcDbObjectIdArray ids;
    EXPECT_EQ(group->allEntityIds(ids), 2u);
    EXPECT_EQ(ids[0], a);
    EXPECT_EQ(ids[1], b);
    EXPECT_TRUE(group->has(a));
    EXPECT_FALSE(group->has(c));
    EXPECT_TRUE(group->isSelectable());
    group->close();

    // Members know their groups; an erased member drops out of the list until it is restored.
    AcDbLine* line = nullptr;
    ASSERT_EQ(acdbOpenObject(line, a, AcDb::kForWrite), Acad::eOk);
    EXPECT_TRUE(line->persistentReactorIds().contains(g1));
    line->erase();
    line->close();
    ASSERT_EQ(acdbOpenObject(group, g1, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(group->numEntities(), 1u);
    group->close();

    // Erasing a group takes it out of the dictionary's walk; the next anonymous name goes on.
    ASSERT_EQ(acdbOpenObject(group, g2, AcDb::kForWrite), Acad::eOk);
    EXPECT_FALSE(group->isSelectable());
    group->erase();
    group->close();
    ASSERT_EQ(drawing.db()->getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
    EXPECT_FALSE(groups->has(g2));
    auto* third = new AcDbGroup;
    AcDbObjectId g4;
    ASSERT_EQ(groups->setAt("*", third, g4), Acad::eOk);
    EXPECT_EQ(third->name(), "*A3");
    third->close();
    std::string walk;
    AcDbDictionaryIterator* it = groups->newIterator();
    for (; !it->done(); it->next())
        walk += std::string(it->name()) + ";";
    delete it;
    EXPECT_EQ(walk, "*A1;*A3;Parcels;");
    // Numbers follow the highest in use after entries are renamed or taken out, too.
    EXPECT_TRUE(groups->setName("Parcels", "*a7"));
    auto* fourth = new AcDbGroup;
    AcDbObjectId g5;
    ASSERT_EQ(groups->setAt("*", fourth, g5), Acad::eOk);
    EXPECT_EQ(fourth->name(), "*A8");
    fourth->close();
    EXPECT_EQ(groups->remove(g5), Acad::eOk);
    EXPECT_EQ(groups->remove("*a7"), Acad::eOk);
    auto* fifth = new AcDbGroup;
    AcDbObjectId g6;
    ASSERT_EQ(groups->setAt("*", fifth, g6), Acad::eOk);
    EXPECT_EQ(fifth->name(), "*A4");
    fifth->close();
    groups->close();
}

TEST(CadDictionaries, SubDictionariesAndXrecordChunksRoundTrip)
{
    TestDrawing drawing;
    AcDbDictionary* nod = nullptr;
    ASSERT_EQ(drawing.db()->getNamedObjectsDictionary(nod, AcDb::kForWrite), Acad::eOk);
    auto* sub = new AcDbDictionary;
    AcDbObjectId subId;
    ASSERT_EQ(nod->setAt("QV_INDEX", sub, subId), Acad::eOk);
    nod->close();

    // A 256-byte image as the host keeps it: group 90 length, then 310 chunks of 255 and 1.
    std::string image(256, '\0');
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<char>(i * 7);
    ads_binary c1{255, image.data()};
    ads_binary c2{1, image.data() + 255};
    resbuf* data = acutBuildList(90, 256L, 310, &c1, 310, &c2, 0);
    auto* record = new AcDbXrecord;
    AcDbObjectId recordId;
    ASSERT_EQ(sub->setAt("Tallyview", record, recordId), Acad::eOk);
    ASSERT_EQ(record->setFromRbChain(*data), Acad::eOk);
    acutRelRb(data);
    record->close();
    sub->close();

    // Filing under an existing key replaces (and erases) the old record.
    ASSERT_EQ(acdbOpenObject(sub, subId, AcDb::kForWrite), Acad::eOk);
    AcDbObjectId oldId = recordId;
    auto* again = new AcDbXrecord;
    ASSERT_EQ(sub->setAt("TALLYVIEW", again, recordId), Acad::eOk);
    resbuf* copy = acutBuildList(90, 256L, 310, &c1, 310, &c2, 0);
    ASSERT_EQ(again->setFromRbChain(*copy), Acad::eOk);
    acutRelRb(copy);
    again->close();
    EXPECT_TRUE(oldId.isErased());
    EXPECT_EQ(sub->numEntries(), 1u);
    sub->close();

    AcDbXrecord* read = nullptr;
    ASSERT_EQ(acdbOpenObject(read, recordId, AcDb::kForRead), Acad::eOk);
    resbuf* chain = nullptr;
    ASSERT_EQ(read->rbChain(&chain), Acad::eOk);
    read->close();
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->restype, 90);
    EXPECT_EQ(chain->resval.rlong, 256);
    std::string back;
    for (resbuf* rb = chain->rbnext; rb != nullptr; rb = rb->rbnext) {
        ASSERT_EQ(rb->restype, 310);
        back.append(rb->resval.rbinary.buf, static_cast<std::size_t>(rb->resval.rbinary.clen));
    }
    EXPECT_EQ(back, image);
    acutRelRb(chain);

    // Groups an xrecord cannot hold (a handle, an application name) are refused whole.
    resbuf* bad = acutBuildList(90, 1L, 1001, "APP", 0);
    auto* loose = new AcDbXrecord;
    EXPECT_EQ(loose->setFromRbChain(*bad), Acad::eInvalidResBuf);
    EXPECT_TRUE(loose->data().empty());
    delete loose;
    acutRelRb(bad);
}

}  // namespace
