// Seeded mutations of MapGIS files: each one is refused at its opening or read into the drawing,
// whatever its points, rings, parameters and attributes have become; never a crash.
#include <cmath>
#include <random>

#include "import_fixture.h"
#include "testing/files.h"

namespace {

using namespace import_testing;

class ImportFuzz : public ImportTest {
protected:
    ImportFuzz() : ImportTest("import_fuzz") {}
};

TEST_F(ImportFuzz, MutatedFilesReadOrAreRefused) {
    Templates({"*ZD,3,宗地", "ZDDM,200,19,0,MIRET", "*XL,2,线", "ZDDM,200,19,0,MIRET"});
    Index({"144301,DASH,0.5,线,1443,XL", "321000,continuous,0,区,3210,XZQ", "END"});
    Row("144301", "DLX").reverse = 1;
    Row("321000", "XZQ");

    GisDocument points = NewFile(GIS_KIND_POINT, {"实体编码", "ZDDM"});
    AddPoint(points, 1, 2, "", PointKind(1), {"144301", "A1"});
    AddPoint(points, 3, 4, "12/34", PointKind(0).PutFloat(2, 1.5f).PutFloat(6, 1.2f), {"321000", ""});
    AddPoint(points, 5, 6, "", PointKind(2).PutDouble(2, 0.5), {"", "x"});
    GisDocument lines = NewFile(GIS_KIND_LINE, {"实体编码", "ZDDM"});
    AddLine(lines, {{0, 0}, {1, 0}, {2, 1}}, LineParams().PutFloat(17, 20), {"144301", "A123"});
    GisDocument areas = NewFile(GIS_KIND_AREA, {"实体编码", "ZDDM"});
    const LONG ring = AddLine(areas, {{0, 0}, {4, 0}, {4, 3}, {0, 3}, {0, 0}}, LineParams(), {"", ""});
    const LONG hole = AddLine(areas, {{1, 1}, {2, 1}, {2, 2}, {1, 1}}, LineParams(), {"", ""});
    for (int type = 0; type <= 3; ++type)
        AddArea(areas, {ring, -hole}, AreaParams().Put32(14, type), {"321000", "Z1"});
    const GisDocument shipped[] = {points, lines, areas};
    const short kinds[] = {GIS_KIND_POINT, GIS_KIND_LINE, GIS_KIND_AREA};
    const char* categories[] = {"点", "线", "宗地"};

    // The file's own checks refuse most changed bytes at the opening, so most changes are made
    // to what it holds: coordinates, rings, parameters, attribute texts and entries.
    std::mt19937 random(68);
    auto anyDouble = [&] {
        const double choices[] = {0, -1, 1e308, -1e308, 1e-300, std::nan(""), 1e9, 0.5};
        return choices[random() % 8];
    };
    auto anyText = [&] {
        const char* choices[] = {"", "321000", "144301", "\xff\xa1", "12/34", "a,b", "9999999999999", "\xb5"};
        return std::string(choices[random() % 8]);
    };
    int read = 0;
    for (int n = 0; n < 240; ++n) {
        const int which = n % 3;
        GisDocument d = shipped[which];
        for (int k = 1 + static_cast<int>(random() % 5); k > 0; --k) {
            switch (random() % 6) {
            case 0:
                if (!d.points.empty()) {
                    auto& p = d.points[random() % d.points.size()];
                    (random() % 2 ? p.position.x : p.position.y) = anyDouble();
                    p.params[random() % p.params.size()] = static_cast<BYTE>(random());
                    p.text = anyText();
                }
                break;
            case 1:
                if (!d.lines.empty()) {
                    auto& l = d.lines[random() % d.lines.size()];
                    if (!l.points.empty() && random() % 2)
                        l.points.resize(random() % l.points.size());
                    else if (!l.points.empty())
                        l.points[random() % l.points.size()].x = anyDouble();
                    l.params[random() % l.params.size()] = static_cast<BYTE>(random());
                }
                break;
            case 2:
                if (!d.areas.empty()) {
                    auto& a = d.areas[random() % d.areas.size()];
                    if (!a.lines.empty())
                        a.lines[random() % a.lines.size()] = static_cast<LONG>(random() % 9) - 4;
                    if (random() % 3 == 0)
                        a.lines.resize(random() % 4);
                    a.params[random() % a.params.size()] = static_cast<BYTE>(random());
                }
                break;
            case 3:
                for (auto* values : {d.points.empty() ? nullptr : &d.points[0].values,
                                     d.lines.empty() ? nullptr : &d.lines[0].values,
                                     d.areas.empty() ? nullptr : &d.areas[0].values})
                    if (values != nullptr && !values->empty())
                        (*values)[random() % values->size()] = anyText();
                break;
            case 4:
                if (!d.fields.empty())
                    d.fields[random() % d.fields.size()].name = anyText();
                break;
            default:
                if (!d.lines.empty() && random() % 2)
                    d.lines.pop_back();
                else if (!d.points.empty())
                    d.points.erase(d.points.begin());
                break;
            }
        }
        std::string bytes = platform::gis::SerializeGisDocument(d);
        if (n % 10 == 9 && !bytes.empty())
            bytes[random() % bytes.size()] = static_cast<char>(random());
        SCOPED_TRACE("mutation " + std::to_string(n));
        const std::string path = "C:\\data\\f" + std::to_string(n);
        ASSERT_TRUE(platform::gis::WriteFileAtomically(path, bytes));
        gisexchange::CGisWorkView view;
        if (view.OpenGisFile(path.c_str(), kinds[which]) <= 0)
            continue;
        ++read;
        std::vector<std::string> groups;
        gisexchange::ReadImportCodes(view, categories[which], {}, groups);
        int recognised = -1, unrecognised = -1;
        if (kinds[which] == GIS_KIND_POINT)
            gisexchange::ImportPointFile(view, recognised, unrecognised, {}, groups);
        else if (kinds[which] == GIS_KIND_LINE)
            gisexchange::ImportLineFile(view, recognised, unrecognised, {}, groups);
        else
            gisexchange::ImportAreaFile(view, recognised, unrecognised, {}, groups);
        EXPECT_GE(recognised, 0);
        EXPECT_GE(unrecognised, 0);
    }
    EXPECT_GT(read, 120) << "the mutations reach the reading, not only the opening";
}

}  // namespace
