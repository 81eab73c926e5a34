// Drawings other programs wrote come back out of a read and a save with their layouts, dimensions,
// dimension styles, viewport records and unknown objects whole, as ezdxf sees them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_hatch.h"
#include "platform/cad/object_table.h"
#include "platform/text/encoding.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

using dero::testing::ReadFile;
using dero::testing::TempFolder;
using dero::testing::WriteFile;

// Runs a Python script with the system's interpreter, which has the Debian ezdxf package; gives
// what it printed, with "exit N" appended when it failed.
std::string Python(const TempFolder& dir, const std::string& script) {
    WriteFile(dir / "check.py", platform::text::GbkToUtf8(script));
    std::string command = "cd '" + dir.path() + "' && /usr/bin/python3 check.py 2>&1";
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return "exit -1";
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        output.append(buffer, n);
    int status = ::pclose(pipe);
    if (status != 0)
        output += "exit " + std::to_string(status);
    return platform::text::Utf8ToGbk(output);
}

// Reads a drawing and saves it under another name, as the host program does.
void OpenAndSave(const TempFolder& dir, const std::string& in, const std::string& out) {
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile((dir / in).c_str()), Acad::eOk) << in << ": " << platform::cad::LastDrawingFileError();
    ASSERT_EQ(db.dxfOut((dir / out).c_str()), Acad::eOk) << out;
}

// The groups of a DXF text as code and value pairs, values trimmed.
std::vector<std::pair<int, std::string>> Groups(const std::string& text) {
    std::vector<std::pair<int, std::string>> groups;
    std::size_t at = 0;
    auto line = [&]() {
        std::size_t end = text.find('\n', at);
        std::string value = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        value.erase(0, value.find_first_not_of(' '));
        value.erase(value.find_last_not_of(" \r") + 1);
        return value;
    };
    while (at < text.size()) {
        std::string code = line();
        groups.emplace_back(std::stoi(code), line());
    }
    return groups;
}

// The groups of the record of a type after its 0 group, up to the next one.
std::vector<std::pair<int, std::string>> RecordOf(const std::string& text, const std::string& type) {
    auto groups = Groups(text);
    std::vector<std::pair<int, std::string>> record;
    for (std::size_t i = 0; i < groups.size(); ++i)
        if (groups[i] == std::make_pair(0, type)) {
            for (std::size_t k = i + 1; k < groups.size() && groups[k].first != 0; ++k)
                record.push_back(groups[k]);
            break;
        }
    return record;
}

// The group that follows the first one with this code and value.
std::pair<int, std::string> After(const std::string& text, int code, const std::string& value) {
    auto groups = Groups(text);
    for (std::size_t i = 0; i + 1 < groups.size(); ++i)
        if (groups[i].first == code && groups[i].second == value)
            return groups[i + 1];
    return {};
}

// ezdxf's view of a drawing: entities per layout, block contents, dimension styles with all their
// values, dimensions with their picture, flags and style, and the problems its audit finds.
const char* const kCompare = R"(
def summary(path):
    doc = ezdxf.readfile(path)
    problems = len(doc.audit().errors) + len(doc.audit().fixes)
    s = {}
    for lay in doc.layouts:
        s['layout ' + lay.name] = sorted(e.dxftype() for e in lay)
    for b in doc.blocks:
        if not b.name.lower().startswith(('*model_space', '*paper_space')):
            s['block ' + b.name] = sorted(e.dxftype() for e in b)
    for d in doc.dimstyles:
        s['dimstyle ' + d.dxf.name] = sorted((k, str(v)) for k, v in d.dxfattribs().items() if k not in ('handle', 'owner'))
    for e in doc.query('DIMENSION'):
        s['dimension %s' % e.dxf.handle] = (e.dxf.get('geometry'), e.dxf.dimtype, e.dxf.dimstyle)
    return problems, s

def compare(name, out):
    p1, s1 = summary(name)
    p2, s2 = summary(out)
    if p2 > p1:
        print('AUDIT', name, p1, p2)
    for k in sorted(set(s1) | set(s2)):
        if s1.get(k) != s2.get(k):
            print('DIFF', name, k, s1.get(k), s2.get(k))
    print('compared', name, len(s1))
)";

TEST(DxfForeignDrawing, EzdxfDrawingsComeBackWithLayoutsDimensionsAndStyles) {
    TempFolder dir("dxf_foreign");
    ASSERT_FALSE(dir.path().empty());
    std::string made = Python(dir, R"(
import ezdxf
for ver in ['R2000', 'R2010', 'R2018']:
    doc = ezdxf.new(ver, setup=True)
    style = doc.dimstyles.new('Survey')
    style.dxf.dimtxt = 2.5
    style.dxf.dimasz = 1.25
    style.dxf.dimdec = 3
    style.dxf.dimclrd = 1
    msp = doc.modelspace()
    msp.add_linear_dim(base=(0, 5), p1=(0, 0), p2=(10, 0), dimstyle='Survey').render()
    msp.add_aligned_dim(p1=(0, 0), p2=(10, 10), distance=2).render()
    msp.add_radius_dim(center=(20, 0), radius=5, angle=30).render()
    msp.add_circle((20, 0), 5)
    for i, name in enumerate(['Plan', 'Detail', 'Sheet3']):
        sheet = doc.layouts.get(name) if name in doc.layouts else doc.layouts.new(name)
        sheet.add_viewport(center=(100, 100), size=(80, 60), view_center_point=(5, 5), view_height=30)
        sheet.add_line((0, 0), (50 + i, 50))
        sheet.add_text('sheet %d' % i).set_placement((10, 10))
    doc.saveas(ver + '.dxf')
doc = ezdxf.new('R12')
doc.modelspace().add_line((0, 0), (1, 1))
doc.layout().add_line((0, 0), (2, 2))
doc.saveas('R12.dxf')
)");
    ASSERT_EQ(made, "");
    for (const char* version : {"R12", "R2000", "R2010", "R2018"})
        OpenAndSave(dir, std::string(version) + ".dxf", std::string(version) + "_out.dxf");
    std::string result = Python(dir, std::string("import ezdxf\n") + kCompare + R"(
for ver in ['R12', 'R2000', 'R2010', 'R2018']:
    compare(ver + '.dxf', ver + '_out.dxf')
)");
    EXPECT_EQ(result.find("DIFF"), std::string::npos) << result;
    EXPECT_EQ(result.find("AUDIT"), std::string::npos) << result;
    EXPECT_EQ(result.find("exit"), std::string::npos) << result;
    EXPECT_NE(result.find("compared R2018.dxf"), std::string::npos) << result;

    // A layout's block record names its LAYOUT object, as AutoCAD expects.
    std::string in = ReadFile(dir / "R2018.dxf"), out = ReadFile(dir / "R2018_out.dxf");
    EXPECT_EQ(After(in, 2, "*Paper_Space0").first, 340);
    EXPECT_EQ(After(out, 2, "*Paper_Space0"), After(in, 2, "*Paper_Space0"));

    // R12's own names of the layout blocks are the layouts, not blocks of their own.
    std::string r12 = ReadFile(dir / "R12_out.dxf");
    EXPECT_EQ(r12.find("$Model_Space"), std::string::npos);
    EXPECT_EQ(r12.find("$Paper_Space"), std::string::npos);
}

// A drawing as other programs write it: a viewport table and record with extension dictionaries, an object
// of a kind the host does not know holding a 2D point, references to objects that are not there.
const char* const kHandMade = R"(  0
SECTION
  2
HEADER
  9
$ACADVER
  1
AC1015
  0
ENDSEC
  0
SECTION
  2
TABLES
  0
TABLE
  2
VPORT
  5
8
102
{ACAD_XDICTIONARY
360
32
102
}
330
0
100
AcDbSymbolTable
 70
1
  0
VPORT
  5
29
102
{ACAD_XDICTIONARY
360
30
102
}
330
8
100
AcDbSymbolTableRecord
100
AcDbViewportTableRecord
  2
*Active
 70
0
 10
0.0
 20
0.0
 11
1.0
 21
1.0
 12
5.0
 22
5.0
 40
10.0
 41
1.5
  0
ENDTAB
  0
ENDSEC
  0
SECTION
  2
ENTITIES
  0
LINE
  5
40
330
1F
100
AcDbEntity
  8
0
100
AcDbLine
 10
0.0
 20
0.0
 30
0.0
 11
1.0
 21
1.0
 31
0.0
  0
ENDSEC
  0
SECTION
  2
OBJECTS
  0
DICTIONARY
  5
C
330
0
100
AcDbDictionary
  3
ACAD_GROUP
350
D
  3
DERO_PLOT
350
31
  0
DICTIONARY
  5
D
330
C
100
AcDbDictionary
  0
DICTIONARY
  5
30
330
29
100
AcDbDictionary
  0
DICTIONARY
  5
32
330
8
100
AcDbDictionary
  0
DERO_PLOTINFO
  5
31
330
C
100
AcDbDeroPlotInfo
 10
1.5
 20
2.5
340
DEAD
  3
Sheet
350
BEEF
 11
3.0
 21
4.0
 31
5.0
340
40
  1
kept
  0
ENDSEC
  0
EOF
)";

TEST(DxfForeignDrawing, RawTagsViewportRecordsAndDanglingReferences) {
    TempFolder dir("dxf_foreign_raw");
    ASSERT_FALSE(dir.path().empty());
    WriteFile(dir / "in.dxf", kHandMade);
    OpenAndSave(dir, "in.dxf", "out.dxf");
    std::string out = ReadFile(dir / "out.dxf");

    // The unknown object's groups as read: the 2D point gains no z, the 3D one keeps it; the
    // references to objects that are not there are gone, a keyed one with its key.
    std::vector<std::pair<int, std::string>> expected = {
        {5, "31"}, {330, "C"}, {100, "AcDbDeroPlotInfo"}, {10, "1.5"}, {20, "2.5"}, {11, "3.0"},
        {21, "4.0"}, {31, "5.0"}, {340, "40"}, {1, "kept"}};
    EXPECT_EQ(RecordOf(out, "DERO_PLOTINFO"), expected);

    // The viewport record stays, with its extension dictionary, which keeps it as owner.
    auto vport = RecordOf(out, "VPORT");
    ASSERT_FALSE(vport.empty()) << out;
    EXPECT_EQ(vport[0], std::make_pair(5, std::string("29")));
    EXPECT_EQ(vport[2], std::make_pair(360, std::string("30")));
    EXPECT_NE(out.find("  0\nDICTIONARY\n  5\n30\n330\n29\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  2\nVPORT\n  5\n8\n102\n{ACAD_XDICTIONARY\n360\n32\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  0\nDICTIONARY\n  5\n32\n330\n8\n"), std::string::npos) << out;

    std::string result = Python(dir, R"(
import ezdxf
doc = ezdxf.readfile('out.dxf')
auditor = doc.audit()
for e in auditor.errors + auditor.fixes:
    print('AUDIT', e.code, e.message)
vport = doc.viewports.get('*Active')[0]
print('vport', vport.dxf.center, vport.has_extension_dict)
print('lines', len(doc.modelspace().query('LINE')))
)");
    EXPECT_EQ(result.find("AUDIT"), std::string::npos) << result;
    EXPECT_NE(result.find("vport (5.0, 5.0, 0.0) True"), std::string::npos) << result;
    EXPECT_NE(result.find("lines 1"), std::string::npos) << result;
}

// Hatches bounded by edges (a solid fill in a circle; a loop of a line, an arc drawn clockwise, an
// elliptic arc and a spline) keep their edges through a read and a save, as ezdxf sees them.
TEST(DxfForeignDrawing, HatchEdgeBoundariesAreKept) {
    TempFolder dir("dxf_hatch_edges");
    ASSERT_FALSE(dir.path().empty());
    const std::string dump = R"(
import ezdxf
def text(value):
    if isinstance(value, float):
        return repr(round(value, 9))
    if hasattr(value, '__iter__'):
        return '(' + ', '.join(text(v) for v in value) + ')'
    return str(value)
def dump(name):
    out = []
    for hatch in ezdxf.readfile(name).modelspace().query('HATCH'):
        for path in hatch.paths:
            out.append('path %d %s' % (path.path_type_flags, type(path).__name__))
            for edge in getattr(path, 'edges', []):
                fields = [edge.type.name]
                for key in ('start', 'end', 'center', 'radius', 'start_angle', 'end_angle', 'ccw',
                            'major_axis', 'ratio', 'degree', 'knot_values', 'control_points', 'fit_points'):
                    if hasattr(edge, key):
                        fields.append('%s=%s' % (key, text(getattr(edge, key))))
                out.append(' '.join(fields))
    return out
)";
    std::string made = Python(dir, R"(
import ezdxf
doc = ezdxf.new('R2010')
msp = doc.modelspace()
ring = msp.add_hatch(color=1)
ring.paths.add_edge_path().add_arc((20, 0), 5, 0, 360)
mixed = msp.add_hatch(color=2)
path = mixed.paths.add_edge_path()
path.add_line((0, 0), (10, 0))
path.add_arc((10, 5), 5, 270, 90, ccw=False)
path.add_ellipse((5, 10), major_axis=(5, 0), ratio=0.5, start_angle=0, end_angle=180)
path.add_spline(control_points=[(0, 10), (-2, 6), (-2, 3), (0, 0)], degree=3)
doc.saveas('edges.dxf')
)");
    ASSERT_EQ(made, "");
    OpenAndSave(dir, "edges.dxf", "edges_out.dxf");
    std::string result = Python(dir, dump + R"(
a, b = dump('edges.dxf'), dump('edges_out.dxf')
print('\n'.join(b))
print('SAME' if a == b else 'DIFF\n' + '\n'.join(a))
)");
    EXPECT_NE(result.find("path 1 EdgePath\nARC center=(20.0, 0.0) radius=5.0 start_angle=0.0 end_angle=360.0 ccw=True"),
              std::string::npos) << result;
    EXPECT_NE(result.find("ELLIPSE"), std::string::npos) << result;
    EXPECT_NE(result.find("SPLINE"), std::string::npos) << result;
    EXPECT_NE(result.find("SAME"), std::string::npos) << result;

    // In the host the circle's fill is the circle's area.
    AcDbDatabase db(false, true);
    ASSERT_EQ(db.readDwgFile((dir / "edges_out.dxf").c_str()), Acad::eOk);
    auto* space = AcDbBlockTableRecord::cast(platform::cad::PeekObject(db.modelSpaceId()));
    ASSERT_NE(space, nullptr);
    auto* ring = AcDbHatch::cast(platform::cad::PeekObject(space->entityIds()[0]));
    ASSERT_NE(ring, nullptr);
    double area = 0;
    ASSERT_EQ(ring->getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 25 * 3.14159265358979, 1e-9);
}

}  // namespace
