// ezdxf, an outside DXF library, opens what we write without complaint, and what it writes we read
// with everything in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "dxf_sample_drawing.h"
#include "platform/cad/ads_entity.h"
#include "platform/cad/dxf_writer.h"
#include "platform/text/encoding.h"
#include "testing/cadhost_run.h"

namespace {

namespace fs = std::filesystem;

struct ScriptRun {
    int status = -1;
    std::string output;
};

// Runs a Python script with the system's interpreter, which has the Debian ezdxf package.
ScriptRun Python(const fs::path& dir, const std::string& script) {
    fs::path file = dir / "check.py";
    // The script's text is GBK here, like every literal of this program; Python reads UTF-8.
    std::ofstream(file) << platform::text::GbkToUtf8(script);
    ScriptRun run;
    std::string command = "/usr/bin/python3 " + file.string() + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        run.output.append(buffer, n);
    run.status = ::pclose(pipe);
    run.output = platform::text::Utf8ToGbk(run.output);
    return run;
}

fs::path TempDir(const char* name) {
    fs::path dir = fs::temp_directory_path() / (std::string(name) + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

TEST(DxfOutsideReader, EzdxfOpensAndAuditsOurDrawingCleanly) {
    fs::path dir = TempDir("dxf_ezdxf_out_");
    TestDrawing d;
    dxftest::SampleIds ids = dxftest::BuildSample(d);
    std::ofstream(dir / "ours.dxf", std::ios::binary) << platform::cad::WriteDxf(*d.db());

    ScriptRun run = Python(dir, R"(
import ezdxf, sys
doc = ezdxf.readfile(sys.argv[0].replace('check.py', 'ours.dxf'))
auditor = doc.audit()
for e in auditor.errors:
    print('AUDIT', e.code, e.message)
msp = doc.modelspace()
print('ver', doc.dxfversion, doc.encoding)
print('types', sorted(e.dxftype() for e in msp))
line = msp.query('LINE')[0]
print('layer', line.dxf.layer)
print('xdata', [tuple(t) for t in line.get_xdata('MIRET')])
group = list(doc.groups)[0][1]
print('group', sorted(e.dxf.handle for e in group))
print('xrecord', [tuple(t) for t in doc.rootdict['QV_INDEX']['Item1'].tags])
print('userr1', doc.header['$USERR1'])
print('block', [e.dxftype() for e in doc.blocks.get('JZD')])
)");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("AUDIT"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("ver AC1018 gbk"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("layer 房屋"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find(
                  "(1000, '141101'), (1070, 7), (1071, 123456), (1040, 0.1), (1010, (1.5, -2.25, 0.0))"),
              std::string::npos)
        << run.output;
    // ezdxf keeps a group's members as a set: their order is checked by our own reader.
    std::vector<std::string> handles = {ids.polyline.handle().text(), ids.line.handle().text(),
                                        ids.reference.handle().text()};
    std::sort(handles.begin(), handles.end());
    std::string members = "group ['" + handles[0] + "', '" + handles[1] + "', '" + handles[2] + "']";
    EXPECT_NE(run.output.find(members), std::string::npos) << run.output;
    EXPECT_NE(
        run.output.find("(1, '检查结果'), (70, 3), (40, 2.5), (330, '" + ids.line.handle().text() + "')"),
        std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("userr1 500.0"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("block ['CIRCLE']"), std::string::npos) << run.output;
    EXPECT_NE(
        run.output.find("'ARC', 'CIRCLE', 'INSERT', 'LINE', 'LWPOLYLINE', 'POLYLINE', 'POLYLINE', 'TEXT'"),
        std::string::npos)
        << run.output;
    if (!HasFailure())
        fs::remove_all(dir);  // kept for a look when something failed
}

// The sample town holds its scale in its header: the host shows it, and what a command sets is
// saved, read again by the host and by ezdxf.
TEST(DxfOutsideReader, DrawingVariablesAreReadFromTheFileAndSavedWithIt) {
    fs::path dir = TempDir("dxf_ezdxf_variables_");
    const std::string host = "--no-default-modules ";
    const std::string town = "'" DERO_SOURCE_DIR "/samples/town.dxf' ";
    dero::testing::CadhostRun run =
        dero::testing::RunCadhost(CADHOST_PROGRAM, dir.string(), host + town + "-c SETVAR -c USERR1 -c ^C");
    EXPECT_NE(run.out.find("输入 USERR1 的新值 <500.0000>: *取消*"), std::string::npos) << run.out << run.err;

    run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir.string(),
                                    host + town + "-c SETVAR -c USERR1 -c 1000 -c LTSCALE -c 0.25 -o saved.dxf");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    run = dero::testing::RunCadhost(CADHOST_PROGRAM, dir.string(),
                                    host + "saved.dxf -c SETVAR -c USERR1 -c ^C -c LTSCALE -c ^C");
    EXPECT_NE(run.out.find("输入 USERR1 的新值 <1000.0000>: *取消*"), std::string::npos) << run.out << run.err;
    EXPECT_NE(run.out.find("输入新线型比例因子 <0.2500>: *取消*"), std::string::npos) << run.out;

    ScriptRun outside = Python(dir, R"(
import ezdxf, sys
doc = ezdxf.readfile(sys.argv[0].replace('check.py', 'saved.dxf'))
print('header', doc.header['$USERR1'], doc.header['$LTSCALE'], doc.header.get('$USERI1', 'none'))
)");
    EXPECT_NE(outside.output.find("header 1000.0 0.25 none"), std::string::npos) << outside.output;
    if (!HasFailure())
        fs::remove_all(dir);
}

TEST(DxfOutsideReader, DrawingWrittenByEzdxfIsReadWhole) {
    fs::path dir = TempDir("dxf_ezdxf_in_");
    ScriptRun run = Python(dir, R"(
import ezdxf, sys
doc = ezdxf.new('R2018')
doc.appids.new('MIRET')
doc.layers.add('宗地')
msp = doc.modelspace()
line = msp.add_line((0, 0), (3, 4), dxfattribs={'layer': '宗地'})
line.set_xdata('MIRET', [(1000, '界址线 \uD55C'), (1070, 12), (1040, 2.5), (1010, (1, 2, 3))])
text = msp.add_text('面积€ ±', dxfattribs={'height': 2.0})
pl = msp.add_polyline2d([(0, 0), (1, 0), (1, 1)])
for v in pl.vertices:
    v.set_xdata('MIRET', [(1000, 'v')])
msp.add_lwpolyline([(0, 0, 0, 0, 0.5), (5, 0)])
msp.add_circle((1, 1), 4)
group = doc.groups.new('JZX')
group.extend([text, line])
d = doc.rootdict.add_new_dict('QV_INDEX')
x = d.add_xrecord('Item1')
x.reset([(1, '检查'), (40, 1.25), (330, line.dxf.handle)])
print(line.dxf.handle, text.dxf.handle)
doc.saveas(sys.argv[0].replace('check.py', 'theirs.dxf'))
)");
    ASSERT_EQ(run.status, 0) << run.output;
    std::string lineHandle = run.output.substr(0, run.output.find(' '));
    std::string textHandle = run.output.substr(run.output.find(' ') + 1);
    textHandle.erase(textHandle.find_last_not_of("\r\n") + 1);

    AcDbDatabase db(false, true);
    std::string name = platform::text::Utf8ToGbk((dir / "theirs.dxf").string());
    ASSERT_EQ(db.readDwgFile(name.c_str()), Acad::eOk) << platform::cad::LastDrawingFileError();

    AcDbObjectId lineId, textId;
    ASSERT_EQ(db.getAcDbObjectId(lineId, false, AcDbHandle(lineHandle.c_str())), Acad::eOk);
    ASSERT_EQ(db.getAcDbObjectId(textId, false, AcDbHandle(textHandle.c_str())), Acad::eOk);
    auto* line = AcDbLine::cast(platform::cad::PeekObject(lineId));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->layerName(), "宗地");
    EXPECT_EQ(line->endPoint().y, 4);
    // UTF-8 becomes GBK; a character GBK lacks stays a \U+ escape.
    ASSERT_EQ(line->xdataApps().size(), 1u);
    const auto& items = line->xdataApps()[0].items;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].text, "界址线 \\U+D55C");
    EXPECT_EQ(items[1].integer, 12);
    EXPECT_EQ(items[3].point.z, 3);
    EXPECT_EQ(std::string(AcDbText::cast(platform::cad::PeekObject(textId))->textStringConst()), "面积€ ±");

    // Vertices with their extended data, the group in its order, the xrecord pointing at the line.
    int vertices = 0;
    AcDbBlockTableRecord* ms = AcDbBlockTableRecord::cast(platform::cad::PeekObject(db.modelSpaceId()));
    for (const auto& id : ms->entityIds())
        if (auto* pline = AcDb2dPolyline::cast(platform::cad::PeekObject(id)))
            for (const AcDb2dVertex* v : pline->vertices()) {
                ++vertices;
                EXPECT_EQ(v->xdataApps().size(), 1u);
            }
    EXPECT_EQ(vertices, 3);
    AcDbDictionary* groups = nullptr;
    ASSERT_EQ(db.getGroupDictionary(groups, AcDb::kForRead), Acad::eOk);
    AcDbObjectId groupId;
    EXPECT_EQ(groups->getAt("JZX", groupId), Acad::eOk);
    groups->close();
    AcDbObjectIdArray members;
    AcDbGroup::cast(platform::cad::PeekObject(groupId))->allEntityIds(members);
    ASSERT_EQ(members.length(), 2);
    EXPECT_EQ(members[0], textId);
    EXPECT_EQ(members[1], lineId);
    auto* nod = AcDbDictionary::cast(platform::cad::PeekObject(db.namedObjectsDictionaryId()));
    AcDbObjectId storeId, recordId;
    ASSERT_EQ(nod->getAt("QV_INDEX", storeId), Acad::eOk);
    ASSERT_EQ(AcDbDictionary::cast(platform::cad::PeekObject(storeId))->getAt("Item1", recordId), Acad::eOk);
    const auto& data = AcDbXrecord::cast(platform::cad::PeekObject(recordId))->data();
    ASSERT_EQ(data.size(), 3u);
    EXPECT_EQ(data[0].text, "检查");
    EXPECT_EQ(data[2].id, lineId);

    // Saved again by us, ezdxf still audits the drawing clean.
    std::string out = platform::text::Utf8ToGbk((dir / "again.dxf").string());
    ASSERT_EQ(db.dxfOut(out.c_str()), Acad::eOk);
    run = Python(dir, R"(
import ezdxf, sys
doc = ezdxf.readfile(sys.argv[0].replace('check.py', 'again.dxf'))
for e in doc.audit().errors:
    print('AUDIT', e.code, e.message)
print(len(doc.modelspace()))
)");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find("AUDIT"), std::string::npos) << run.output;
    if (!HasFailure())
        fs::remove_all(dir);  // kept for a look when something failed
}

// A drawing file holds arc, text and insert angles in degrees; the host and the lists of
// acdbEntGet hold them in radians.
TEST(DxfOutsideReader, AnglesAreDegreesInTheFileAndRadiansInTheHost) {
    constexpr double kPi = std::numbers::pi;
    fs::path dir = TempDir("dxf_ezdxf_angles_");
    ScriptRun run = Python(dir, R"(
import ezdxf, sys
doc = ezdxf.new('R2004')
msp = doc.modelspace()
block = doc.blocks.new('MARK')
block.add_line((0, 0), (1, 0))
arc = msp.add_arc((0, 0), 2, 30, 120)
text = msp.add_text('宗地', dxfattribs={'rotation': 45, 'oblique': 15})
ref = msp.add_blockref('MARK', (5, 5), dxfattribs={'rotation': 90})
print(arc.dxf.handle, text.dxf.handle, ref.dxf.handle)
doc.saveas(sys.argv[0].replace('check.py', 'theirs.dxf'))
)");
    ASSERT_EQ(run.status, 0) << run.output;
    std::istringstream handles(run.output);
    std::string arcHandle, textHandle, refHandle;
    handles >> arcHandle >> textHandle >> refHandle;

    AcDbDatabase db(false, true);
    std::string name = platform::text::Utf8ToGbk((dir / "theirs.dxf").string());
    ASSERT_EQ(db.readDwgFile(name.c_str()), Acad::eOk) << platform::cad::LastDrawingFileError();
    AcDbObjectId arcId, textId, refId;
    ASSERT_EQ(db.getAcDbObjectId(arcId, false, AcDbHandle(arcHandle.c_str())), Acad::eOk);
    ASSERT_EQ(db.getAcDbObjectId(textId, false, AcDbHandle(textHandle.c_str())), Acad::eOk);
    ASSERT_EQ(db.getAcDbObjectId(refId, false, AcDbHandle(refHandle.c_str())), Acad::eOk);
    auto* arc = AcDbArc::cast(platform::cad::PeekObject(arcId));
    auto* text = AcDbText::cast(platform::cad::PeekObject(textId));
    auto* ref = AcDbBlockReference::cast(platform::cad::PeekObject(refId));
    ASSERT_TRUE(arc != nullptr && text != nullptr && ref != nullptr);
    EXPECT_NEAR(arc->startAngle(), kPi / 6, 1e-12);
    EXPECT_NEAR(arc->endAngle(), 2 * kPi / 3, 1e-12);
    EXPECT_NEAR(text->rotation(), kPi / 4, 1e-12);
    EXPECT_NEAR(text->oblique(), kPi / 12, 1e-12);
    EXPECT_NEAR(ref->rotation(), kPi / 2, 1e-12);

    ads_name textName;
    acdbGetAdsName(textName, textId);
    resbuf* list = acdbEntGet(textName);
    double listed = -1;
    for (resbuf* rb = list; rb != nullptr; rb = rb->rbnext)
        if (rb->restype == 50)
            listed = rb->resval.rreal;
    acutRelRb(list);
    EXPECT_NEAR(listed, kPi / 4, 1e-12);

    std::string out = platform::text::Utf8ToGbk((dir / "again.dxf").string());
    ASSERT_EQ(db.dxfOut(out.c_str()), Acad::eOk);
    run = Python(dir, R"(
import ezdxf, sys
doc = ezdxf.readfile(sys.argv[0].replace('check.py', 'again.dxf'))
msp = doc.modelspace()
arc = msp.query('ARC')[0]
text = msp.query('TEXT')[0]
ref = msp.query('INSERT')[0]
print('angles %.9f %.9f %.9f %.9f %.9f' % (arc.dxf.start_angle, arc.dxf.end_angle, text.dxf.rotation,
                                          text.dxf.oblique, ref.dxf.rotation))
)");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("angles 30.000000000 120.000000000 45.000000000 15.000000000 90.000000000"),
              std::string::npos)
        << run.output;
    if (!HasFailure())
        fs::remove_all(dir);  // kept for a look when something failed
}

TEST(DxfOutsideReader, EveryVersionAndCodePageEzdxfWrites) {
    fs::path dir = TempDir("dxf_ezdxf_versions_");
    ScriptRun run = Python(dir, R"(
import ezdxf, sys
for ver in ['R12', 'R2000', 'R2004', 'R2007', 'R2010', 'R2013', 'R2018']:
    doc = ezdxf.new(ver)
    msp = doc.modelspace()
    msp.add_text('宗地 é', dxfattribs={'height': 1.5})
    msp.add_polyline2d([(0, 0), (4, 0), (4, 3)])
    blk = doc.blocks.new('JZD')
    blk.add_circle((0, 0), 1)
    msp.add_blockref('JZD', (2, 2))
    doc.saveas(sys.argv[0].replace('check.py', ver + '.dxf'))
)");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* version : {"R12", "R2000", "R2004", "R2007", "R2010", "R2013", "R2018"}) {
        SCOPED_TRACE(version);
        AcDbDatabase db(false, true);
        std::string name = (dir / (std::string(version) + ".dxf")).string();
        ASSERT_EQ(db.readDwgFile(name.c_str()), Acad::eOk) << platform::cad::LastDrawingFileError();
        auto* ms = AcDbBlockTableRecord::cast(platform::cad::PeekObject(db.modelSpaceId()));
        ASSERT_EQ(ms->entityIds().length(), 3);
        // Before R2007 ezdxf writes ANSI_1252 and escapes what that code page lacks; after, UTF-8.
        auto* text = AcDbText::cast(platform::cad::PeekObject(ms->entityIds()[0]));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(std::string(text->textStringConst()), "宗地 é");
        auto* pline = AcDb2dPolyline::cast(platform::cad::PeekObject(ms->entityIds()[1]));
        ASSERT_NE(pline, nullptr);
        EXPECT_EQ(pline->vertices().size(), 3u);
        auto* ref = AcDbBlockReference::cast(platform::cad::PeekObject(ms->entityIds()[2]));
        ASSERT_NE(ref, nullptr);
        auto* block = AcDbBlockTableRecord::cast(platform::cad::PeekObject(ref->blockTableRecord()));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->name(), "JZD");
        EXPECT_EQ(block->entityIds().length(), 1);
    }
    if (!HasFailure())
        fs::remove_all(dir);
}

}  // namespace
