#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/cad/command_processor.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_arc.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_dimension.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_point.h"
#include "platform/cad/db_polyline.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_text.h"
#include "platform/cad/prompts.h"
#include "test_drawing.h"

namespace {

TEST(CadDatabase, OpenModesFollowTheHostRules)
{
    TestDrawing drawing;
    AcDbObjectId id = drawing.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
    ASSERT_FALSE(id.isNull());

    AcDbLine* r1 = nullptr;
    AcDbLine* r2 = nullptr;
    AcDbLine* w = nullptr;
    ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(r1, r2);  // one object, two readers
    EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasOpenForRead);
    EXPECT_EQ(r1->upgradeOpen(), Acad::eHadMultipleReaders);
    // A reader cannot change the object.
    EXPECT_EQ(r1->setStartPoint(AcGePoint3d(5, 5, 0)), Acad::eNotOpenForWrite);
    EXPECT_EQ(r1->startPoint().x, 0);
    r2->close();
    ASSERT_EQ(r1->upgradeOpen(), Acad::eOk);
    EXPECT_EQ(acdbOpenObject(r2, id, AcDb::kForRead), Acad::eWasOpenForWrite);
    EXPECT_EQ(r1->setStartPoint(AcGePoint3d(5, 5, 0)), Acad::eOk);
    ASSERT_EQ(r1->erase(), Acad::eOk);
    r1->close();
    EXPECT_TRUE(drawing.db()->openObjectIds().isEmpty());

    // Erased objects open only when asked; unerase brings them back.
    EXPECT_EQ(acdbOpenObject(w, id, AcDb::kForWrite), Acad::eWasErased);
    ASSERT_EQ(acdbOpenObject(w, id, AcDb::kForWrite, true), Acad::eOk);
    EXPECT_EQ(w->erase(false), Acad::eOk);
    EXPECT_EQ(w->startPoint().x, 5);
    w->close();

    // The debug check names what a command left open.
    ASSERT_EQ(acdbOpenObject(r1, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(drawing.db()->openObjectIds().length(), 1);
    EXPECT_EQ(drawing.db()->openObjectIds()[0], id);
    r1->close();
    EXPECT_EQ(r1->close(), Acad::eNotOpenForRead);

    // Not a kind of the class asked for: nothing stays open.
    AcDbCircle* circle = nullptr;
    EXPECT_EQ(acdbOpenObject(circle, id, AcDb::kForRead), Acad::eNotThatKindOfClass);
    EXPECT_TRUE(drawing.db()->openObjectIds().isEmpty());
    EXPECT_EQ(acdbOpenObject(circle, AcDbObjectId(), AcDb::kForRead), Acad::eNullObjectId);
}

// The drawing counts its open objects as they open and close, however they were opened, handed over
// or closed, so that after each command the host can say what it left open without a walk.
TEST(CadDatabase, OpenObjectsAreCountedAndCommandsSayWhatTheyLeftOpen)
{
    TestDrawing drawing;
    AcDbObjectId id = drawing.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
    auto open = [&] {
        const std::size_t counted = drawing.db()->objects().OpenCount();
        EXPECT_EQ(counted, static_cast<std::size_t>(drawing.db()->openObjectIds().length()));
        return counted;
    };
    auto commandLeftOpen = [] {
        platform::cad::ClearCommandLine();
        acedCommand(RTSTR, "REDRAW", RTNONE);
        return platform::cad::CommandLineText().find("REDRAW left 1 objects open.") != std::string::npos;
    };
    EXPECT_EQ(open(), 0u);
    EXPECT_FALSE(commandLeftOpen());
    AcDbLine* first = nullptr;
    AcDbLine* second = nullptr;
    ASSERT_EQ(acdbOpenObject(first, id, AcDb::kForRead), Acad::eOk);
    ASSERT_EQ(acdbOpenObject(second, id, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(open(), 1u);
    EXPECT_TRUE(commandLeftOpen());
    first->close();
    EXPECT_EQ(open(), 1u);
    ASSERT_EQ(second->upgradeOpen(), Acad::eOk);
    EXPECT_EQ(open(), 1u);
    ASSERT_EQ(second->downgradeOpen(), Acad::eOk);
    EXPECT_EQ(open(), 1u);
    second->close();
    EXPECT_EQ(open(), 0u);
    EXPECT_FALSE(commandLeftOpen());

    // An object added is open until closed; one handed over leaves its successor open in its place.
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, drawing.db()->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    auto* added = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(2, 0, 0));
    AcDbObjectId addedId;
    ASSERT_EQ(space->appendAcDbEntity(addedId, added), Acad::eOk);
    EXPECT_EQ(open(), 2u);
    space->close();
    EXPECT_EQ(open(), 1u);
    auto* successor = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(3, 0, 0));
    ASSERT_EQ(added->handOverTo(successor), Acad::eObjectToBeDeleted);
    delete added;
    EXPECT_EQ(open(), 1u);
    successor->close();
    EXPECT_EQ(open(), 0u);
    ASSERT_EQ(acdbOpenObject(first, addedId, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(open(), 1u);
    first->close();
    EXPECT_EQ(open(), 0u);
}

TEST(CadDatabase, EntitiesOnLockedLayersOpenOnlyForReading)
{
    TestDrawing drawing;
    AcDbObjectId id = drawing.Add(new AcDbPoint(AcGePoint3d(1, 2, 3)));
    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(acdbOpenObject(layer, drawing.db()->clayer(), AcDb::kForWrite), Acad::eOk);
    layer->setIsLocked(true);
    layer->close();
    AcDbEntity* entity = nullptr;
    EXPECT_EQ(acdbOpenObject(entity, id, AcDb::kForWrite), Acad::eOnLockedLayer);
    ASSERT_EQ(acdbOpenObject(entity, id, AcDb::kForRead), Acad::eOk);
    entity->close();
}

TEST(CadDatabase, ClassNamesDxfNamesAndCasts)
{
    AcDbRotatedDimension rotated;
    AcDbPolyline pline;
    AcDbAttribute attribute;
    AcDbArc arc;
    EXPECT_STREQ(rotated.isA()->name(), "AcDbRotatedDimension");
    EXPECT_STREQ(rotated.isA()->dxfName(), "DIMENSION");
    EXPECT_STREQ(pline.isA()->name(), "AcDbPolyline");
    EXPECT_STREQ(pline.isA()->dxfName(), "LWPOLYLINE");
    EXPECT_STREQ(attribute.isA()->dxfName(), "ATTRIB");
    EXPECT_TRUE(rotated.isKindOf(AcDbDimension::desc()));
    EXPECT_TRUE(rotated.isKindOf(AcDbEntity::desc()));
    EXPECT_FALSE(rotated.isKindOf(AcDbCurve::desc()));
    EXPECT_TRUE(arc.isKindOf(AcDbCurve::desc()));
    EXPECT_FALSE(arc.isKindOf(AcDbCircle::desc()));
    EXPECT_EQ(AcDbText::cast(&attribute), &attribute);
    EXPECT_EQ(AcDbAttribute::cast(static_cast<AcDbText*>(&attribute)), &attribute);
    EXPECT_EQ(AcDbLine::cast(&arc), nullptr);
    EXPECT_EQ(AcDbCurve::cast(nullptr), nullptr);
}

// A module may derive classes deeper than the host's own: the class test holds at every depth.
#define DEEP_CLASS(NAME, PARENT)                                                          \
    struct NAME : PARENT {                                                                \
        DERO_RX_DECLARE_MEMBERS(NAME)                                                     \
    };                                                                                    \
    DERO_RX_DEFINE_MEMBERS(NAME, "", PARENT)
DEEP_CLASS(Deep1, AcRxObject)
DEEP_CLASS(Deep2, Deep1)
DEEP_CLASS(Deep3, Deep2)
DEEP_CLASS(Deep4, Deep3)
DEEP_CLASS(Deep5, Deep4)
DEEP_CLASS(Deep6, Deep5)
DEEP_CLASS(Deep7, Deep6)
DEEP_CLASS(Deep8, Deep7)
DEEP_CLASS(Deep9, Deep8)
DEEP_CLASS(Deep10, Deep9)
DEEP_CLASS(Side9, Deep8)
DEEP_CLASS(Side10, Side9)

TEST(CadDatabase, ClassTestsHoldAtEveryDepth)
{
    Deep10 deep;
    Side10 side;
    Deep5 middle;
    for (const AcRxClass* cls : {AcRxObject::desc(), Deep1::desc(), Deep7::desc(), Deep8::desc(), Deep9::desc(),
                                 Deep10::desc()})
        EXPECT_TRUE(deep.isKindOf(cls)) << cls->name();
    EXPECT_TRUE(side.isKindOf(Deep8::desc()));
    EXPECT_TRUE(side.isKindOf(Side9::desc()));
    EXPECT_FALSE(side.isKindOf(Deep9::desc()));
    EXPECT_FALSE(deep.isKindOf(Side9::desc()));
    EXPECT_FALSE(deep.isKindOf(Side10::desc()));
    EXPECT_FALSE(middle.isKindOf(Deep6::desc()));
    EXPECT_FALSE(middle.isKindOf(Deep10::desc()));
    EXPECT_FALSE(deep.isKindOf(AcDbObject::desc()));
    EXPECT_EQ(Deep9::cast(&side), nullptr);
    EXPECT_EQ(Deep9::cast(&deep), &deep);
}

TEST(CadDatabase, IdsOrderByCreationAndHandlesAreStable)
{
    TestDrawing drawing;
    AcDbObjectId a = drawing.Add(new AcDbPoint(AcGePoint3d(0, 0, 0)));
    AcDbObjectId b = drawing.Add(new AcDbPoint(AcGePoint3d(1, 0, 0)));
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_LT(a.handle().value(), b.handle().value());
    AcDbObjectId found;
    ASSERT_EQ(drawing.db()->getAcDbObjectId(found, false, AcDbHandle(b.handle().text().c_str())), Acad::eOk);
    EXPECT_EQ(found, b);
    EXPECT_EQ(drawing.db()->getAcDbObjectId(found, false, AcDbHandle("FFFFFF")), Acad::eUnknownHandle);
    // Handles given far above the drawing's count are found as well as the usual ones, and
    // refused a second time; new handles go on past the highest.
    const std::uint64_t far = 0x7FFFFFFF0000ull, near = 0x1000;
    for (std::uint64_t handle : {far, near}) {
        AcDbObjectId given;
        auto* point = new AcDbPoint(AcGePoint3d(0, 0, 0));
        ASSERT_EQ(drawing.db()->addAcDbObject(given, point, AcDbHandle(handle)), Acad::eOk);
        point->close();
        ASSERT_EQ(drawing.db()->getAcDbObjectId(found, false, AcDbHandle(handle)), Acad::eOk);
        EXPECT_EQ(found, given);
        auto* twice = new AcDbPoint(AcGePoint3d(0, 0, 0));
        EXPECT_EQ(drawing.db()->addAcDbObject(given, twice, AcDbHandle(handle)), Acad::eHandleInUse);
        delete twice;
    }
    AcDbObjectId next = drawing.Add(new AcDbPoint(AcGePoint3d(2, 0, 0)));
    EXPECT_EQ(next.handle().value(), far + 1);
    ASSERT_EQ(drawing.db()->getAcDbObjectId(found, false, AcDbHandle(far + 1)), Acad::eOk);
    EXPECT_EQ(found, next);
    ASSERT_EQ(drawing.db()->getAcDbObjectId(found, false, b.handle()), Acad::eOk);
    EXPECT_EQ(found, b);
    EXPECT_EQ(drawing.db()->getAcDbObjectId(found, false, AcDbHandle(near + 1)), Acad::eUnknownHandle);
    EXPECT_EQ(AcDbHandle("1a2B").text(), "1A2B");
    EXPECT_TRUE(AcDbHandle("xyz").isNull());
    EXPECT_TRUE(AcDbHandle("11112222333344445").isNull());  // 17 digits: too long

    // New entities take the drawing's current layer, linetype and text style.
    AcDbText* text = nullptr;
    AcDbObjectId t = drawing.Add(new AcDbText(AcGePoint3d(0, 0, 0), "x", AcDbObjectId(), 2.5));
    ASSERT_EQ(acdbOpenObject(text, t, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(text->layerName(), "0");
    EXPECT_EQ(text->linetypeName(), "ByLayer");
    EXPECT_EQ(text->textStyle(), drawing.db()->textstyle());
    text->close();
}

TEST(CadDatabase, ClosingANonResidentObjectEndsItAndObserversHearOfChanges)
{
    struct Journal : platform::cad::DatabaseObserver {
        int appended = 0, before = 0, after = 0, erased = 0;
        void ObjectAppended(const AcDbObject&) override { ++appended; }
        void ObjectWillBeModified(const AcDbObject&) override { ++before; }
        void ObjectModified(const AcDbObject&) override { ++after; }
        void ObjectErased(const AcDbObject&, bool) override { ++erased; }
    } journal;
    TestDrawing drawing;
    drawing.db()->addObserver(&journal);
    AcDbObjectId id = drawing.Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 2));
    EXPECT_EQ(journal.appended, 1);
    AcDbCircle* circle = nullptr;
    ASSERT_EQ(acdbOpenObject(circle, id, AcDb::kForWrite), Acad::eOk);
    int before = journal.before;
    circle->setRadius(3);
    circle->setCenter(AcGePoint3d(1, 1, 0));
    EXPECT_EQ(journal.before, before + 1);  // once per opening
    EXPECT_EQ(circle->setRadius(0), Acad::eInvalidInput);
    EXPECT_EQ(circle->radius(), 3);
    circle->erase();
    circle->close();
    EXPECT_EQ(journal.erased, 1);
    EXPECT_GE(journal.after, 1);
    drawing.db()->removeObserver(&journal);

    auto* loose = new AcDbLine;
    EXPECT_EQ(loose->close(), Acad::eOk);  // deleted; the sanitizer build would catch a leak
}

TEST(CadDatabase, AJournalSeesEveryChangeBeforeItHappens)
{
    // What a journal would need to put things back: the old state, before each change.
    struct Journal : platform::cad::DatabaseObserver {
        std::vector<std::string> events;
        void ObjectAppended(const AcDbObject& o) override { events.push_back(std::string("add ") + o.isA()->name()); }
        void ObjectWillBeModified(const AcDbObject& o) override
        {
            std::string what = std::string("before ") + o.isA()->name();
            if (auto* circle = AcDbCircle::cast(&o))
                what += " r=" + std::to_string(static_cast<int>(circle->radius()));
            events.push_back(what);
        }
    } journal;
    TestDrawing drawing;
    AcDbObjectId id = drawing.Add(new AcDbCircle(AcGePoint3d(0, 0, 0), AcGeVector3d::kZAxis, 2));
    drawing.db()->addObserver(&journal);
    AcDbCircle* circle = nullptr;
    ASSERT_EQ(acdbOpenObject(circle, id, AcDb::kForWrite), Acad::eOk);
    circle->setRadius(5);
    circle->close();
    // A group gaining the circle changes the circle's reactors while it is closed.
    AcDbDictionary* groups = nullptr;
    drawing.db()->getGroupDictionary(groups, AcDb::kForWrite);
    auto* group = new AcDbGroup;
    AcDbObjectId gid;
    groups->setAt("*", group, gid);
    groups->close();
    group->close();
    ASSERT_EQ(acdbOpenObject(group, gid, AcDb::kForWrite), Acad::eOk);
    journal.events.clear();
    group->append(id);
    group->close();
    EXPECT_EQ(journal.events, (std::vector<std::string>{"before AcDbGroup", "before AcDbCircle r=5"}));
    // A hand-over is announced as the old object's change and the new one's arrival.
    auto* lw = new AcDbPolyline;
    lw->addVertexAt(0, AcGePoint2d(0, 0));
    lw->addVertexAt(1, AcGePoint2d(1, 0));
    AcDbObjectId lwId = drawing.Add(lw);
    AcDbPolyline* open = nullptr;
    ASSERT_EQ(acdbOpenObject(open, lwId, AcDb::kForWrite), Acad::eOk);
    journal.events.clear();
    AcDb2dPolyline* p2d = nullptr;
    ASSERT_EQ(open->convertTo(p2d), Acad::eObjectToBeDeleted);
    delete open;
    p2d->close();
    ASSERT_GE(journal.events.size(), 2u);
    EXPECT_EQ(journal.events.front(), "before AcDbPolyline");
    EXPECT_NE(std::find(journal.events.begin(), journal.events.end(), "add AcDb2dPolyline"), journal.events.end());
    drawing.db()->removeObserver(&journal);
}

}  // namespace
