// Drawings written as DXF and read back keep every object under its handle with the same fields,
// extended data, group members, dictionary entries and xrecords.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "dxf_sample_drawing.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/db_unknown.h"
#include "platform/cad/dxf_reader.h"
#include "platform/cad/dxf_writer.h"
#include "platform/cad/system_variables.h"
#include "platform/cad/undo_journal.h"
#include "platform/text/encoding.h"

namespace {

using platform::cad::DxfTagList;

// The fields of an object with references as handles, so objects of two drawings compare.
std::string Fields(const AcDbObject* object) {
    AcDbDxfFiler filer;
    object->dxfOutFields(&filer);
    std::string out = std::string(object->dxfTypeName()) + ":";
    auto add = [&](const platform::cad::DxfTag& t) {
        out += " " + std::to_string(t.code) + "=";
        switch (t.kind()) {
            case platform::cad::GroupValueKind::Name:
                out += t.id.isNull() ? t.text : t.id.handle().text();
                break;
            case platform::cad::GroupValueKind::Real:
                out += std::to_string(t.real);
                break;
            case platform::cad::GroupValueKind::Point:
                out += std::to_string(t.point.x) + "," + std::to_string(t.point.y) + "," +
                       std::to_string(t.point.z);
                break;
            case platform::cad::GroupValueKind::String:
                out += t.text;
                break;
            default:
                out += std::to_string(t.integer);
        }
    };
    for (const auto& t : filer.tags())
        add(t);
    for (const auto& app : object->xdataApps()) {
        out += " xdata " + app.app;
        for (const auto& t : app.items)
            add(t);
    }
    return out;
}

// Every live object of a, found under its handle in b with the same fields.
void ExpectSameDrawing(const AcDbDatabase& a, AcDbDatabase& b) {
    int compared = 0;
    for (std::uint64_t i = 0; i < a.objects().Size(); ++i) {
        const auto* stub = a.objects().At(i);
        if (stub->erased || stub->object == nullptr)
            continue;
        AcDbObjectId id;
        ASSERT_EQ(b.getAcDbObjectId(id, false, AcDbHandle(stub->handle)), Acad::eOk)
            << "lost: " << Fields(stub->object.get());
        EXPECT_EQ(Fields(stub->object.get()), Fields(platform::cad::PeekObject(id)));
        ++compared;
    }
    EXPECT_GT(compared, 30);
}

std::filesystem::path TempDir() {
    auto dir = std::filesystem::temp_directory_path() / ("dxf_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(DxfRoundTrip, KeepsEveryObjectHandleXDataGroupAndXrecord) {
    TestDrawing d;
    dxftest::SampleIds ids = dxftest::BuildSample(d);
    std::string text = platform::cad::WriteDxf(*d.db());

    AcDbDatabase read(false, true);
    std::string error;
    ASSERT_TRUE(platform::cad::ReadDxf(text, read, error)) << error;
    ExpectSameDrawing(*d.db(), read);
    EXPECT_EQ(read.userr1(), 500);
    EXPECT_EQ(read.handseed().value() >= d.db()->handseed().value(), true);

    // Group members in their order, each member knowing its group.
    AcDbObjectId group;
    read.getAcDbObjectId(group, false, ids.group.handle());
    auto* g = AcDbGroup::cast(platform::cad::PeekObject(group));
    ASSERT_NE(g, nullptr);
    AcDbObjectIdArray members;
    g->allEntityIds(members);
    ASSERT_EQ(members.length(), 3);
    EXPECT_EQ(members[0].handle(), ids.polyline.handle());
    EXPECT_EQ(members[1].handle(), ids.line.handle());
    EXPECT_TRUE(g->isAnonymous());
    EXPECT_TRUE(platform::cad::PeekObject(members[1])->persistentReactorIds().contains(group));

    // The vertex keeps its extended data and its place in the polyline.
    AcDbObjectId vertex;
    ASSERT_EQ(read.getAcDbObjectId(vertex, false, ids.vertex.handle()), Acad::eOk);
    EXPECT_EQ(platform::cad::PeekObject(vertex)->ownerId().handle(), ids.polyline.handle());
    ASSERT_EQ(platform::cad::PeekObject(vertex)->xdataApps().size(), 1u);

    // Written again, the drawing reads the same: nothing drifts from one save to the next.
    std::string again = platform::cad::WriteDxf(read);
    AcDbDatabase reread(false, true);
    ASSERT_TRUE(platform::cad::ReadDxf(again, reread, error)) << error;
    ExpectSameDrawing(read, reread);
}

// A line end or another control character in a value would split or garble its group: it is written
// as a caret and a letter, the rest of the value as it is, and the header still opens the file.
TEST(DxfRoundTrip, ControlCharactersInAValueGoAsCaretLetters) {
    TestDrawing d;
    dxftest::BuildSample(d);
    d.Add(new AcDbText(AcGePoint3d(1, 1, 0), "\x01界址\n点\tA\x1f", AcDbObjectId::kNull, 2.5, 0));
    const std::string text = platform::cad::WriteDxf(*d.db());
    EXPECT_EQ(text.rfind("  0\nSECTION\n  2\nHEADER\n", 0), 0u);
    EXPECT_NE(text.find("\n  1\n^A界址^J点\tA^_\n"), std::string::npos);
    EXPECT_EQ(text.find("\x01"), std::string::npos);
    EXPECT_EQ(text.size() - text.rfind("  0\nEOF\n"), 8u);
}

// The drawing's own system variables travel in its header; those at their initial value are left
// out, so a drawing that has none set is written as it always was.
TEST(DxfRoundTrip, HeaderHoldsTheDrawingsSystemVariables) {
    TestDrawing d;
    dxftest::BuildSample(d);
    std::string text = platform::cad::WriteDxf(*d.db());
    EXPECT_NE(text.find("$LTSCALE\n 40\n1.0\n  9\n$USERR1\n 40\n500.0\n  9\n$CLAYER"), std::string::npos);

    auto set = [&](const char* name, short type, double number) {
        platform::cad::VariableValue value;
        value.type = type;
        value.real = number;
        value.integer = static_cast<long long>(number);
        ASSERT_TRUE(platform::cad::SetDrawingVariable(d.db(), name, value)) << name;
    };
    set("useri2", RTSHORT, -7);
    set("USERR5", RTREAL, 2.5);
    ASSERT_EQ(d.db()->setLtscale(0.25), Acad::eOk);
    text = platform::cad::WriteDxf(*d.db());
    EXPECT_NE(text.find("$LTSCALE\n 40\n0.25\n  9\n$USERI2\n 70\n-7\n  9\n$USERR1\n 40\n500.0\n  9\n"
                        "$USERR5\n 40\n2.5\n  9\n$CLAYER"),
              std::string::npos);
    AcDbDatabase read(false, true);
    std::string error;
    ASSERT_TRUE(platform::cad::ReadDxf(text, read, error)) << error;
    platform::cad::VariableValue value;
    ASSERT_TRUE(platform::cad::GetDrawingVariable(&read, "USERI2", value));
    EXPECT_EQ(value.integer, -7);
    ASSERT_TRUE(platform::cad::GetDrawingVariable(&read, "USERR5", value));
    EXPECT_EQ(value.real, 2.5);
    EXPECT_EQ(read.ltscale(), 0.25);
    EXPECT_EQ(read.userr1(), 500);

    // Values the variables cannot take leave the initial ones; the others are read.
    AcDbDatabase other(false, true);
    ASSERT_TRUE(platform::cad::ReadDxf("  0\nSECTION\n  2\nHEADER\n  9\n$USERI1\n 70\n40000\n  9\n$LTSCALE\n 40\n0\n"
                                       "  9\n$USERR4\n 40\n1000.5\n  9\n$USERI5\n 70\n-2\n  0\nENDSEC\n  0\nEOF\n",
                                       other, error))
        << error;
    ASSERT_TRUE(platform::cad::GetDrawingVariable(&other, "USERI1", value));
    EXPECT_EQ(value.integer, 0);
    EXPECT_EQ(other.ltscale(), 1.0);
    ASSERT_TRUE(platform::cad::GetDrawingVariable(&other, "USERR4", value));
    EXPECT_EQ(value.real, 1000.5);
    ASSERT_TRUE(platform::cad::GetDrawingVariable(&other, "USERI5", value));
    EXPECT_EQ(value.integer, -2);
}

TEST(DxfRoundTrip, DrawingFilesThroughTheDatabase) {
    auto dir = TempDir();
    TestDrawing d;
    dxftest::BuildSample(d);
    std::string dwg = (dir / std::filesystem::path(u8"保存.dwg")).string();
    std::string gbkName = platform::text::Utf8ToGbk(dwg);
    // Saved as "x.dwg", the drawing lands in x.dxf and a read of x.dwg finds it there.
    ASSERT_EQ(d.db()->saveAs(gbkName.c_str()), Acad::eOk) << platform::cad::LastDrawingFileError();
    EXPECT_TRUE(std::filesystem::exists(dir / std::filesystem::path(u8"保存.dxf")));
    EXPECT_FALSE(std::filesystem::exists(dir / std::filesystem::path(u8"保存.dxf.saving")));

    AcDbDatabase side(false, true);
    AcDbObjectId stale = side.blockTableId();
    ASSERT_EQ(side.readDwgFile(gbkName.c_str()), Acad::eOk) << platform::cad::LastDrawingFileError();
    ExpectSameDrawing(*d.db(), side);
    EXPECT_TRUE(stale.isErased());
    EXPECT_EQ(side.userr1(), 500);

    // The side drawing goes in as a block definition with the layers its entities use.
    TestDrawing target;
    AcDbObjectId block;
    ASSERT_EQ(target.db()->insert(block, "SIDE", &side), Acad::eOk);
    auto* record = AcDbBlockTableRecord::cast(platform::cad::PeekObject(block));
    EXPECT_GT(record->entityIds().length(), 5);
    auto* layers = AcDbLayerTable::cast(platform::cad::PeekObject(target.db()->layerTableId()));
    EXPECT_TRUE(layers->has("房屋"));

    // Inserted whole: entities into model space, with the group and the named dictionary, and
    // references among them pointing at the copies.
    TestDrawing whole;
    auto* wholeSpace = AcDbBlockTableRecord::cast(platform::cad::PeekObject(whole.db()->modelSpaceId()));
    auto* sideSpace = AcDbBlockTableRecord::cast(platform::cad::PeekObject(side.modelSpaceId()));
    AcGeMatrix3d moved;
    moved.entry[0][3] = 5;
    EXPECT_EQ(whole.db()->insert(moved, &side), Acad::eNotImplementedYet);
    ASSERT_EQ(whole.db()->insert(AcGeMatrix3d::kIdentity, &side), Acad::eOk);
    EXPECT_EQ(wholeSpace->entityIds().length(), sideSpace->entityIds().length());
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(whole.db()->getGroupDictionary(groups, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(groups->numEntries(), 1u);
    AcDbDictionaryIterator* it = groups->newIterator();
    AcDbObjectIdArray members;
    AcDbGroup::cast(platform::cad::PeekObject(it->objectId()))->allEntityIds(members);
    delete it;
    groups->close();
    ASSERT_EQ(members.length(), 3);
    EXPECT_EQ(members[0].database(), whole.db());
    EXPECT_STREQ(platform::cad::PeekObject(members[0])->dxfTypeName(), "POLYLINE");
    auto* nod = AcDbDictionary::cast(platform::cad::PeekObject(whole.db()->namedObjectsDictionaryId()));
    AcDbObjectId store, item;
    ASSERT_EQ(nod->getAt("QV_INDEX", store), Acad::eOk);
    ASSERT_EQ(AcDbDictionary::cast(platform::cad::PeekObject(store))->getAt("Item1", item), Acad::eOk);
    EXPECT_EQ(AcDbXrecord::cast(platform::cad::PeekObject(item))->data().back().id, members[1]);
    whole.db()->setUserr1(side.userr1());
    std::string text = platform::cad::WriteDxf(*whole.db());
    AcDbDatabase reread(false, true);
    std::string error;
    EXPECT_TRUE(platform::cad::ReadDxf(text, reread, error)) << error;

    EXPECT_EQ(side.readDwgFile("/no/such/drawing.dwg"), Acad::eFileNotFound);
    EXPECT_NE(platform::cad::LastDrawingFileError().find("not found"), std::string::npos);
    std::filesystem::remove_all(dir);
}

// An insert that does not preserve its source moves what it can, and the drawing it fills ends
// exactly as the copy leaves it: same handles, order, references and records, whole or as a
// block, and the same undo. An entity someone holds open stays in the source and is copied.
TEST(DxfRoundTrip, InsertNotPreservingTheSourceEndsAsTheCopy) {
    auto dir = TempDir();
    TestDrawing sample;
    dxftest::BuildSample(sample);
    const std::string file = (dir / "side.dxf").string();
    ASSERT_EQ(sample.db()->saveAs(file.c_str()), Acad::eOk) << platform::cad::LastDrawingFileError();

    struct Result {
        std::string whole, undone, block;
        std::vector<std::string> handles;  // of the target's model-space entities, in order
    };
    auto insert = [&](bool preserve) {
        Result result;
        AcDbDatabase side(false, true), blockSide(false, true);
        EXPECT_EQ(side.readDwgFile(file.c_str()), Acad::eOk);
        EXPECT_EQ(blockSide.readDwgFile(file.c_str()), Acad::eOk);
        auto* sideSpace = AcDbBlockTableRecord::cast(platform::cad::PeekObject(side.modelSpaceId()));
        const AcDbObjectIdArray sideEntities = sideSpace->entityIds();
        AcDbEntity* held = nullptr;  // the text, held open for read through the insert
        for (const auto& id : sideEntities) {
            if (AcDbText::cast(platform::cad::PeekObject(id)) != nullptr) {
                EXPECT_EQ(acdbOpenObject(held, id, AcDb::kForRead), Acad::eOk);
            }
        }
        EXPECT_NE(held, nullptr);

        TestDrawing target;
        auto& journal = platform::cad::JournalOf(target.db());
        journal.BeginGroup();
        EXPECT_EQ(target.db()->insert(AcGeMatrix3d::kIdentity, &side, preserve), Acad::eOk);
        journal.EndGroup();
        result.whole = platform::cad::WriteDxf(*target.db());
        auto* space = AcDbBlockTableRecord::cast(platform::cad::PeekObject(target.db()->modelSpaceId()));
        for (const auto& id : space->entityIds())
            result.handles.push_back(id.handle().text());
        // Moved entities leave their ids behind; the held one and the polylines with vertices stay.
        int left = 0;
        for (const auto& id : sideEntities)
            left += platform::cad::PeekObject(id) != nullptr ? 1 : 0;
        EXPECT_EQ(left == sideEntities.length(), preserve);
        EXPECT_EQ(held->objectId().database(), &side);
        held->close();
        EXPECT_EQ(journal.Undo(1), 1);
        result.undone = platform::cad::WriteDxf(*target.db());
        space = AcDbBlockTableRecord::cast(platform::cad::PeekObject(target.db()->modelSpaceId()));
        EXPECT_EQ(space->entityIds().length(), 0);

        TestDrawing blockTarget;
        AcDbObjectId block;
        EXPECT_EQ(blockTarget.db()->insert(block, "SIDE", &blockSide, preserve), Acad::eOk);
        result.block = platform::cad::WriteDxf(*blockTarget.db());
        return result;
    };
    const Result copied = insert(true);
    const Result moved = insert(false);
    EXPECT_EQ(moved.whole, copied.whole);
    EXPECT_EQ(moved.undone, copied.undone);
    EXPECT_EQ(moved.block, copied.block);
    EXPECT_EQ(moved.handles, copied.handles);
    EXPECT_GT(moved.handles.size(), 5u);
    std::filesystem::remove_all(dir);
}

// Entities kept as read (MULTILEADERs) name their styles and blocks by id: copied into another
// drawing, as a block or whole, they name that drawing's records or nothing, never the source's,
// which is gone by the time the copy is saved.
TEST(DxfRoundTrip, InsertedRawEntitiesNameTheDrawingTheyWentTo) {
    const std::string file = DERO_SOURCE_DIR "/platform/cad/tests/data/leader-mleader.dxf";
    for (bool whole : {false, true}) {
        TestDrawing target;
        {
            AcDbDatabase side(false, true);
            ASSERT_EQ(side.readDwgFile(file.c_str()), Acad::eOk) << platform::cad::LastDrawingFileError();
            AcDbObjectId block;
            ASSERT_EQ(whole ? target.db()->insert(AcGeMatrix3d::kIdentity, &side)
                            : target.db()->insert(block, "LEADERS", &side),
                      Acad::eOk);
        }
        int raw = 0, named = 0;
        AcDbBlockTable* blocks = nullptr;
        ASSERT_EQ(target.db()->getBlockTable(blocks, AcDb::kForRead), Acad::eOk);
        AcDbBlockTableIterator* it = nullptr;
        blocks->newIterator(it);
        for (; !it->done(); it->step()) {
            AcDbObjectId blockId;
            it->getRecordId(blockId);
            for (const auto& id : AcDbBlockTableRecord::cast(platform::cad::PeekObject(blockId))->entityIds()) {
                auto* unknown = AcDbUnknownEntity::cast(platform::cad::PeekObject(id));
                if (unknown == nullptr)
                    continue;
                ++raw;
                for (const auto& tag : unknown->rawTags()) {
                    if (tag.kind() != platform::cad::GroupValueKind::Name || tag.id.isNull())
                        continue;
                    EXPECT_EQ(tag.id.database(), target.db()) << tag.code;
                    named += tag.id.database() == target.db() ? 1 : 0;
                }
            }
        }
        delete it;
        blocks->close();
        EXPECT_GT(raw, 5);
        EXPECT_GT(named, 0);  // styles and blocks have their like in the target
        AcDbDatabase reread(false, true);
        std::string error;
        EXPECT_TRUE(platform::cad::ReadDxf(platform::cad::WriteDxf(*target.db()), reread, error)) << error;
    }
}

}  // namespace
