// UNDO G ... UNDO E, UNDO 1 leaves a drawing that writes the same DXF as before the group.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "platform/cad/ads_entity.h"
#include "platform/cad/command_processor.h"
#include "platform/cad/db_circle.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_group.h"
#include "platform/cad/db_line.h"
#include "platform/cad/db_polyline.h"
#include "test_drawing.h"

namespace {

// An object's fields with references as handles, so objects of two drawings compare.
std::string Fields(const AcDbObject* object)
{
    AcDbDxfFiler filer;
    filer.writeString(0, object->dxfTypeName());
    object->dxfOutFields(&filer);
    for (const auto& app : object->xdataApps()) {
        filer.writeString(1001, app.app);
        for (const auto& tag : app.items)
            filer.writeTag(tag);
    }
    std::ostringstream out;
    for (const auto& t : filer.tags()) {
        out << ' ' << t.code << '=';
        if (t.kind() == platform::cad::GroupValueKind::Name)
            out << (t.id.isNull() ? t.text : t.id.handle().text());
        else if (t.kind() == platform::cad::GroupValueKind::Real)
            out << t.real;
        else if (t.kind() == platform::cad::GroupValueKind::Point)
            out << t.point.x << ',' << t.point.y << ',' << t.point.z;
        else if (t.kind() == platform::cad::GroupValueKind::String)
            out << t.text;
        else
            out << t.integer;
    }
    return out.str();
}

// The drawing written to DXF and read back: each live object with a handle below the seed (the
// writer gives the records it adds handles from the seed, which an undo does not turn back:
// handles once given out stay given out), by handle.
std::map<std::uint64_t, std::string> RoundTrip(AcDbDatabase* db, std::uint64_t seed, const std::filesystem::path& path)
{
    EXPECT_EQ(db->dxfOut(path.string().c_str()), Acad::eOk);
    AcDbDatabase back(false);
    EXPECT_EQ(back.dxfIn(path.string().c_str()), Acad::eOk);
    std::map<std::uint64_t, std::string> objects;
    for (std::uint64_t i = 0; i < back.objects().Size(); ++i) {
        const auto* stub = back.objects().At(i);
        if (!stub->erased && stub->object != nullptr && stub->handle < seed)
            objects[stub->handle] = Fields(stub->object.get());
    }
    return objects;
}

}  // namespace

TEST(UndoRoundTrip, UndoOneAfterAGroupWritesTheOriginalDrawing)
{
    TestDrawing d;
    auto dir = std::filesystem::temp_directory_path() / ("dero_undo_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_EQ(acdbRegApp("MIRET"), RTNORM);
    auto* parcel = new AcDbPolyline;
    parcel->addVertexAt(0, AcGePoint2d(0, 0));
    parcel->addVertexAt(1, AcGePoint2d(10, 0));
    parcel->addVertexAt(2, AcGePoint2d(10, 10), 0.25);
    parcel->setClosed(true);
    AcDbObjectId parcelId = d.Add(parcel);
    AcDbObjectId point = d.Add(new AcDbCircle(AcGePoint3d(10, 0, 0), AcGeVector3d(0, 0, 1), 0.5));
    for (AcDbObjectId id : {parcelId, point}) {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForWrite), Acad::eOk);
        resbuf* xd = acutBuildList(1001, "MIRET", 1000, id == point ? "301000" : "300000", 1071, 7L, 0);
        ASSERT_EQ(e->setXData(xd), Acad::eOk);
        acutRelRb(xd);
        e->close();
    }
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(d.db()->getGroupDictionary(groups, AcDb::kForWrite), Acad::eOk);
    auto* group = new AcDbGroup("parcel and its points");
    AcDbObjectId groupId;
    groups->setAt("ZD1", group, groupId);
    group->append(parcelId);
    group->close();
    groups->close();
    std::uint64_t seed = d.db()->handseed().value();
    auto before = RoundTrip(d.db(), seed, dir / "before.dxf");
    for (AcDbObjectId id : {parcelId, point, groupId})
        ASSERT_EQ(before.count(id.handle().value()), 1u);

    // What an export does between its undo marks: lines, new layers, changed codes, erasures.
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "G", RTNONE), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, "LAYER", RTSTR, "M", RTSTR, "JZX", RTSTR, "", RTNONE), RTNORM);
    AcDbObjectId shared = d.Add(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
    AcDbPolyline* pl = nullptr;
    ASSERT_EQ(acdbOpenObject(pl, parcelId, AcDb::kForWrite), Acad::eOk);
    pl->setPointAt(0, AcGePoint2d(0.001, 0));
    resbuf* xd = acutBuildList(1001, "MIRET", 1000, "444400", 0);
    pl->setXData(xd);
    acutRelRb(xd);
    pl->close();
    ASSERT_EQ(acdbOpenObject(group, groupId, AcDb::kForWrite), Acad::eOk);
    group->append(point);
    group->append(shared);
    group->close();
    ads_name pointName;
    acdbGetAdsName(pointName, point);
    ASSERT_EQ(acdbEntDel(pointName), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "E", RTNONE), RTNORM);
    ASSERT_NE(RoundTrip(d.db(), seed, dir / "changed.dxf"), before);
    ASSERT_EQ(acedCommand(RTSTR, "UNDO", RTSTR, "1", RTNONE), RTNORM);

    EXPECT_EQ(RoundTrip(d.db(), seed, dir / "after.dxf"), before);
    std::filesystem::remove_all(dir);
}
