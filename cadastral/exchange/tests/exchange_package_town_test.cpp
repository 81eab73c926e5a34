// PELGARDBF run by the cadhost program on a generated town with the recording main application,
// which leaves its files in the package folder; unzip and ezdxf check what comes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "dbf_readers.h"
#include "platform/text/encoding.h"
#include "testing/files.h"
#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;
const std::string kSource = DERO_SOURCE_DIR;
// The seven relation tables and what the main application's export leaves, in name order.
const char* const kPackage =
    "fw_re_zj.dbf\njzd_re_zj.dbf\njzx_re_gd.dbf\njzx_re_jzd.dbf\njzx_re_zj.dbf\nss_exportshp.dbf\n"
    "ss_exportshp.shp\nzd_re_jzx.dbf\nzd_re_zj.dbf\n";

std::string Shell(const std::string& command, int* status) {
    std::string output;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen((command + " 2>&1").c_str(), "r"), ::pclose);
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) output += buffer;
    *status = ::pclose(pipe.release());
    return output;
}

class ExchangePackageTown : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = folder_.path();
        ASSERT_FALSE(dir_.empty());
        fs::create_directories(Out());
        // A town of one cadastral district, coded as a surveyor would before the export.
        const std::string make = std::string(MAKEDRAWING_PROGRAM) + " --out " + dir_ + "/town.dxf " + town_ +
                                 " --codes " + kSource + "/samples/support/index.ini > /dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        // The town is saved at 1:500: the coder takes the scale from the drawing, asking nothing.
        const std::string said = Host("town.dxf", "coded.dxf", "ADDCODEQZ\n");
        EXPECT_EQ(said.find("绘图比例尺"), std::string::npos) << said;
    }
    fs::path Out() const { return fs::path(dir_) / "root" / "d" / "out"; }
    // Runs the script's lines on the drawing and saves it; gives what the program printed (GBK).
    std::string Host(const std::string& in, const std::string& out, const std::string& lines,
                     const std::string& env = "") {
        dero::testing::WriteFile(dir_ + "/run.scr", lines);
        const std::string command = "cd '" + dir_ + "' && env -u DERO_PLUGIN_DIR DERO_ROOT='" + dir_ + "/root' " + env +
                                    " ASAN_OPTIONS=\"${ASAN_OPTIONS}:detect_leaks=0\" '" CADHOST_PROGRAM "' " + in +
                                    " -s run.scr -o " + out + " --load '" RECORDER_MODULE "' --support '" + kSource +
                                    "/samples/support' > out.txt 2>&1 < /dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << dero::testing::ReadFile(dir_ + "/out.txt");
        return platform::text::Utf8ToGbk(dero::testing::ReadFile(dir_ + "/out.txt"));
    }
    // The modelspace as "type layer handle" lines, to compare drawings.
    std::string Entities(const std::string& drawing) {
        int status = -1;
        const std::string said = Shell("cd '" + dir_ + "' && /usr/bin/python3 -c \"import ezdxf; d = ezdxf.readfile('" +
                                           drawing + "'); print(sorted((e.dxftype(), e.dxf.layer, e.dxf.handle) " +
                                           "for e in d.modelspace()))\"",
                                       &status);
        EXPECT_EQ(status, 0) << said;
        return said;
    }

    dero::testing::TempFolder folder_{"exchange_package_town"};
    std::string dir_;
    std::string town_ = "--parcels 8 --seed 3 --attributes";
};

TEST_F(ExchangePackageTown, TheWholeDrawingBecomesOneArchiveAndTheDrawingIsAsBefore) {
    const std::string pack = "PELGARDBF\n0\nD:\\out\n3\n0\n";
    std::string said = Host("coded.dxf", "after.dxf", pack, "DERO_RECORDER_SUBFOLDER=inner");
    const std::size_t at = said.find("文件成功输出到 D:\\out\\G");
    ASSERT_NE(at, std::string::npos) << said;
    const std::string archiveName = said.substr(at + std::string("文件成功输出到 D:\\out\\").size(),
                                                said.find(".zip", at) + 4 - at - std::string("文件成功输出到 D:\\out\\").size());
    const fs::path zip = Out() / archiveName;
    const fs::path packageFolder = Out() / archiveName.substr(0, archiveName.size() - 4);
    int status = -1;
    std::string tested = Shell("unzip -t '" + zip.string() + "'", &status);
    EXPECT_EQ(status, 0) << tested;
    EXPECT_EQ(Shell("unzip -Z1 '" + zip.string() + "' | sort", &status), kPackage);
    EXPECT_NE(Shell("unzip -Z -v '" + zip.string() + "'", &status).find("deflated"), std::string::npos);
    const std::string shp = Shell("unzip -p '" + zip.string() + "' ss_exportshp.shp", &status);
    EXPECT_EQ(shp.rfind("ss_exportshp set(", 0), 0u) << shp;
    EXPECT_NE(said.find("[recorder] " + shp.substr(0, shp.size() - 1)), std::string::npos);
    EXPECT_FALSE(fs::exists(packageFolder));
    EXPECT_FALSE(fs::exists(Out() / (archiveName + ".part")));
    EXPECT_EQ(said.find("AREAPRETREAT"), std::string::npos);
    EXPECT_EQ(Entities("after.dxf"), Entities("coded.dxf"));

    // Again over an older folder and archive: both replaced, the folder's stale file not packed.
    dero::testing::WriteFile(packageFolder / "stale.dbf", "stale");
    said = Host("coded.dxf", "again.dxf", pack);
    EXPECT_NE(said.find("文件成功输出到 D:\\out\\" + archiveName), std::string::npos) << said;
    EXPECT_EQ(Shell("unzip -Z1 '" + zip.string() + "' | sort", &status), kPackage);
    EXPECT_FALSE(fs::exists(packageFolder));

    // Whatever goes wrong leaves disk and drawing as they were, with no success line.
    const std::string older = dero::testing::ReadFile(zip);
    said = Host("coded.dxf", "failed.dxf", pack, "DERO_FAULTS='Write=D:\\out\\*.zip.part'");
    EXPECT_EQ(said.find("文件成功输出到"), std::string::npos) << said;
    EXPECT_NE(said.find(archiveName), std::string::npos) << said;
    EXPECT_EQ(dero::testing::ReadFile(zip), older);
    EXPECT_TRUE(fs::exists(packageFolder / "ss_exportshp.shp"));
    EXPECT_EQ(Entities("failed.dxf"), Entities("coded.dxf"));

    fs::permissions(packageFolder / "ss_exportshp.shp", fs::perms::owner_write | fs::perms::group_write |
                                                            fs::perms::others_write,
                    fs::perm_options::remove);
    said = Host("coded.dxf", "locked.dxf", pack);
    EXPECT_NE(said.find("\n文件夹不能被删除"), std::string::npos) << said;
    EXPECT_NE(said.find("当前图上有错误"), std::string::npos) << said;
    EXPECT_TRUE(fs::exists(packageFolder / "ss_exportshp.dbf"));
    EXPECT_EQ(dero::testing::ReadFile(zip), older);
    EXPECT_EQ(Entities("locked.dxf"), Entities("coded.dxf"));
}

// The main application gets the whole drawing in its order, less the entities of the other classes
// (a wall, a note) but with those without a code.
TEST_F(ExchangePackageTown, TheMainApplicationGetsEveryEntityButThoseOfTheOtherClasses) {
    dero::testing::WriteFile(dir_ + "/others.py", R"(import ezdxf, sys
d = ezdxf.readfile('coded.dxf')
m = d.modelspace()
wall = m.add_line((0, 0), (1, 1), dxfattribs={'layer': 'JMD'})
wall.set_xdata('miret', [(1000, '142000')])
plain = m.add_line((0, 0), (2, 1))
note = m.add_text('x', dxfattribs={'layer': 'ZJ'})
note.set_xdata('miret', [(1000, '190000')])
d.saveas('others.dxf')
print('set(' + ' '.join(e.dxf.handle for e in m if e not in (wall, note)) + '|' + wall.dxf.handle + ' ' + note.dxf.handle)
)");
    int status = -1;
    const std::string made = Shell("cd '" + dir_ + "' && /usr/bin/python3 others.py", &status);
    ASSERT_EQ(status, 0) << made;
    const std::string kept = made.substr(0, made.find('|'));
    const std::string said = Host("others.dxf", "after.dxf", "PELGARDBF\n0\nD:\\out\n3\n0\n");
    const std::size_t at = said.find("[recorder] ss_exportshp ");
    ASSERT_NE(at, std::string::npos) << said;
    const std::string set = said.substr(at + 24, said.find(')', at) - at - 24);
    // Then come the shared lines the tables made.
    EXPECT_EQ(set.rfind(kept + " ", 0), 0u) << set << "\n" << made;
    for (const std::string& other : {made.substr(made.find('|') + 1, made.find(' ', made.find('|')) - made.find('|') - 1),
                                     made.substr(made.rfind(' ') + 1, made.size() - made.rfind(' ') - 2)})
        EXPECT_EQ((" " + set + " ").find(" " + other + " "), std::string::npos) << other << " in " << set;
}

TEST_F(ExchangePackageTown, ACancelledFolderChoiceRefusesAndTheAreaAnswerIsKept) {
    const std::string said = Host("coded.dxf", "after.dxf", "PELGARDBF\n0\n^C\nPELGARDBF\n\n^C\nPELGARDBF\n1\n^C\n");
    EXPECT_NE(said.find("(1)是 <1>:"), std::string::npos) << said;
    EXPECT_NE(said.find("\n没有选择文件夹"), std::string::npos) << said;
    EXPECT_NE(said.find("当前图上有错误"), std::string::npos) << said;
    // The second run shows the answer 0 and, as the first, does not run the area computation.
    EXPECT_NE(said.find("(1)是 <0>:"), std::string::npos) << said;
    const std::size_t ran = said.find("[recorder] AREAPRETREAT");
    EXPECT_NE(ran, std::string::npos) << said;
    EXPECT_EQ(ran, said.rfind("[recorder] AREAPRETREAT")) << said;
    EXPECT_GT(ran, said.rfind("PELGARDBF")) << said;
    EXPECT_TRUE(fs::is_empty(Out()));
    EXPECT_EQ(Entities("after.dxf"), Entities("coded.dxf"));
}

TEST_F(ExchangePackageTown, SeveralParcelsNameTheFolderByTheirFirstAndLastCode) {
    // The window holds the town's three first parcels; an answer 7 asks for one parcel as 1 does.
    const std::string said = Host("coded.dxf", "after.dxf",
                                  "ZOOM\nE\nPELGARDBF\n0\nD:\\out\n2\nW\n499990,3399990\n500065,3400040\n\n"
                                  "PELGARDBF\n0\nD:\\out\n7\n^C\n"
                                  "PELGARDBF\n0\nD:\\out\n2\nW\n0,0\n1,1\n\n");
    const std::string name = "3301020010010001000-3301020010010003000";
    // Several parcels show what is analysed; a window without parcels has no points either.
    const std::size_t points = said.find("[正在分析图中界址点...]");
    EXPECT_LT(points, said.find("[正在分析界址点注记...]")) << said;
    const std::size_t empty = said.rfind("\n图上没有符合要求的界址点");
    EXPECT_NE(empty, std::string::npos) << said;
    EXPECT_LT(said.rfind("[正在分析图中界址点...]"), empty);
    EXPECT_LT(empty, said.rfind("[正在分析界址点注记...]"));
    auto count = [&](const std::string& text) {
        int n = 0;
        for (std::size_t at = said.find(text); at != std::string::npos; at = said.find(text, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(count("[正在分析图中界址点...]"), 2) << "none for one parcel";
    EXPECT_EQ(count("[正在分析界址点注记...]"), 2);
    EXPECT_NE(said.find("文件成功输出到 D:\\out\\" + name + ".zip"), std::string::npos) << said;
    EXPECT_NE(said.find("\"D:\\out\\" + name + "\\\""), std::string::npos) << said;
    EXPECT_TRUE(fs::exists(Out() / (name + ".zip")));
    EXPECT_FALSE(fs::exists(Out() / name));
    EXPECT_NE(said.find("<1>7\n选择宗地:"), std::string::npos) << said;
    EXPECT_EQ(Entities("after.dxf"), Entities("coded.dxf"));
}

TEST_F(ExchangePackageTown, ADistrictCodeThatCannotNameAFolderIsRefused) {
    // The town's district becomes an administrative one whose code is the name.
    int i = 0;
    for (const char* code : {"", ".", "..\\x"}) {
        const std::string name = "district" + std::to_string(i++) + ".dxf";
        int status = -1;
        const std::string made = Shell(
            "cd '" + dir_ + "' && /usr/bin/python3 -c \"import ezdxf; d = ezdxf.readfile('coded.dxf'); " +
                "d.appids.add('XZQDM') if 'XZQDM' not in d.appids else None; " +
                "e = d.modelspace().query('*[layer==\\\"DJZQ\\\"]').first; " +
                "e.set_xdata('miret', [(1000, '323000')]); e.set_xdata('XZQDM', [(1000, r'" + code + "')]); " +
                "d.saveas('" + name + "')\"",
            &status);
        ASSERT_EQ(status, 0) << made;
        const std::string said = Host(name, "refused.dxf", "PELGARDBF\n0\nD:\\out\n3\n0\n");
        EXPECT_NE(said.find("当前图上有错误"), std::string::npos) << code << said;
        EXPECT_EQ(said.find("文件成功输出到"), std::string::npos) << code << said;
        if (*code != '\0') {
            EXPECT_NE(said.find("不能作为文件夹名"), std::string::npos) << code << said;
        }
        EXPECT_TRUE(fs::is_empty(Out())) << code;
        EXPECT_TRUE(fs::exists(Out())) << code;
        EXPECT_EQ(Entities("refused.dxf"), Entities(name)) << code;
    }
}

// A town with parcels inside parcels and houses built up to their parcel line.
class RelationTablesTown : public ExchangePackageTown {
protected:
    RelationTablesTown() { town_ = "--parcels 24 --seed 3 --attributes --enclosed-parcels --boundary-houses 0.3"; }

    // Unpacks the archive into its own folder, which it gives.
    std::string Unpack(const fs::path& zip, const std::string& into) {
        int status = -1;
        const std::string said = Shell("rm -rf '" + dir_ + "/" + into + "' && unzip -q -d '" + dir_ + "/" + into +
                                           "' '" + zip.string() + "'",
                                       &status);
        EXPECT_EQ(status, 0) << said;
        return dir_ + "/" + into;
    }
    // The tables as the relations of the drawing make them, recomputed apart from the product.
    void ExpectTablesOfTheDrawing(const std::string& tables, const std::string& scope, const std::string& chosen) {
        int status = -1;
        const std::string said =
            Shell("/usr/bin/python3 '" + kSource + "/cadastral/exchange/tests/check_relation_tables.py' '" + dir_ +
                      "/coded.dxf' '" + tables + "' '" + kSource + "/samples/support/index.ini' " + scope + " " + chosen,
                  &status);
        EXPECT_EQ(status, 0) << scope << ": " << said;
        EXPECT_NE(said.find("zd_re_jzx "), std::string::npos) << said;
        last_ = said;
    }
    std::string last_;
};

TEST_F(RelationTablesTown, TheSevenTablesOfTheWholeDrawingReadAlikeAndHoldItsRelations) {
    const char* const tables[] = {"jzx_re_gd", "zd_re_jzx", "jzx_re_jzd", "zd_re_zj", "jzd_re_zj", "jzx_re_zj",
                                  "fw_re_zj"};
    std::string said = Host("coded.dxf", "after.dxf", "PELGARDBF\n0\nD:\\out\n3\n0\nTOWN\n");
    const fs::path zip = Out() / "TOWN.zip";
    ASSERT_NE(said.find("文件成功输出到 D:\\out\\TOWN.zip"), std::string::npos) << said;
    EXPECT_EQ(Entities("after.dxf"), Entities("coded.dxf"));
    const std::string whole = Unpack(zip, "whole");
    // Both readers see the same rows, and each table is as long as its header says.
    for (const char* table : tables) {
        SCOPED_TRACE(table);
        const std::string path = whole + "/" + table + ".dbf";
        const cadastral::ReadBackTable read = cadastral::ReadWithDbfread(path);
        const cadastral::ReadBackTable zipped =
            cadastral::ReadWithOgrinfo("/vsizip/" + zip.string() + "/" + table + ".dbf");
        ASSERT_TRUE(read.ok && zipped.ok) << read.error << zipped.error;
        EXPECT_FALSE(read.rows.empty());
        EXPECT_EQ(read.rows, zipped.rows);
        EXPECT_EQ(read.names, zipped.names);
        EXPECT_EQ(read.count, static_cast<long>(read.rows.size()));
        const std::string bytes = dero::testing::ReadFile(path);
        ASSERT_GE(bytes.size(), 12u);
        auto u = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
        EXPECT_EQ(bytes.size(), (u(8) | u(9) << 8) + read.rows.size() * (u(10) | u(11) << 8) + 1);
        // The town's parcels inside parcels make inner rings.
        if (std::string(table) == "zd_re_jzx") {
            EXPECT_TRUE(std::any_of(read.rows.begin(), read.rows.end(),
                                    [](const auto& row) { return row.size() == 4 && row[3] == "2"; }));
        }
    }
    ExpectTablesOfTheDrawing(whole, "3", "");

    // A table that cannot be created fails the export: its line, no archive, the older one intact,
    // and the drawing as it was.
    const std::string older = dero::testing::ReadFile(zip);
    said = Host("coded.dxf", "failed.dxf", "PELGARDBF\n0\nD:\\out\n3\n0\nTOWN\n",
                "DERO_FAULTS='Open=D:\\out\\TOWN\\jzx_re_jzd.dbf'");
    EXPECT_NE(said.find("\n生成jzx_re_jzd失败"), std::string::npos) << said;
    EXPECT_NE(said.find("当前图上有错误"), std::string::npos) << said;
    EXPECT_EQ(said.find("文件成功输出到"), std::string::npos) << said;
    EXPECT_EQ(said.find("正在输出zd_re_zj"), std::string::npos) << said;
    EXPECT_EQ(dero::testing::ReadFile(zip), older);
    EXPECT_FALSE(fs::exists(Out() / "TOWN"));
    EXPECT_EQ(Entities("failed.dxf"), Entities("coded.dxf"));
}

TEST_F(RelationTablesTown, SeveralParcelsAndOneParcelGiveTheRelationsOfTheirOwn) {
    // Several parcels by a window over the second block, which has parcels inside parcels and a house
    // on its parcel's line; then one parcel with two parcels inside it.
    int status = -1;
    const std::string handle = Shell("cd '" + dir_ + "' && /usr/bin/python3 -c \"import ezdxf; d = ezdxf.readfile('coded.dxf'); " +
                                         "print([e.dxf.handle for e in d.modelspace().query('POLYLINE[layer==\\\"JZD\\\"]') " +
                                         "if e.has_xdata('miret') and e.get_xdata('miret')[1].value == '0010010008000'][0])\"",
                                     &status);
    ASSERT_EQ(status, 0) << handle;
    const std::string picked = handle.substr(0, handle.find('\n'));
    std::string said = Host("coded.dxf", "after2.dxf",
                "ZOOM\nE\nPELGARDBF\n0\nD:\\out\n2\nW\n500125,3399990\n500260,3400065\n\n"
                "PELGARDBF\n0\nD:\\out\n1\n" + picked + " 0,0\n");
    const std::string several = "3301020010020001000-3301020010029007000";
    ASSERT_NE(said.find("文件成功输出到 D:\\out\\" + several + ".zip"), std::string::npos) << said;
    ASSERT_NE(said.find("文件成功输出到 D:\\out\\3301020010010008000.zip"), std::string::npos) << said;
    EXPECT_EQ(Entities("after2.dxf"), Entities("coded.dxf"));
    ExpectTablesOfTheDrawing(Unpack(Out() / (several + ".zip"), "several"), "2", "500125 3399990 500260 3400065");
    EXPECT_EQ(last_.find("houses_on_the_line 0"), std::string::npos) << last_;
    ExpectTablesOfTheDrawing(Unpack(Out() / "3301020010010008000.zip", "one"), "1", picked);
}

TEST_F(RelationTablesTown, WithoutLineNotesTheOtherSixTablesArePacked) {
    // The line notes no longer name the points of their lines.
    int status = -1;
    const std::string made = Shell("cd '" + dir_ + "' && /usr/bin/python3 -c \"import ezdxf; d = ezdxf.readfile('coded.dxf'); " +
                                       "[e.discard_xdata('JZX_ZJ_X') for e in d.modelspace() if e.has_xdata('JZX_ZJ_X')]; " +
                                       "d.saveas('bare.dxf')\"",
                                   &status);
    ASSERT_EQ(status, 0) << made;
    const std::string said = Host("bare.dxf", "after.dxf", "PELGARDBF\n0\nD:\\out\n3\n0\nTOWN\n");
    EXPECT_NE(said.find("\n当前图上没有界址线注记\n生成jzx_re_zj失败"), std::string::npos) << said;
    EXPECT_NE(said.find("文件成功输出到 D:\\out\\TOWN.zip"), std::string::npos) << said;
    EXPECT_EQ(Shell("unzip -Z1 '" + (Out() / "TOWN.zip").string() + "' | grep re_ | sort", &status),
              "fw_re_zj.dbf\njzd_re_zj.dbf\njzx_re_gd.dbf\njzx_re_jzd.dbf\nzd_re_jzx.dbf\nzd_re_zj.dbf\n");
}

}  // namespace
