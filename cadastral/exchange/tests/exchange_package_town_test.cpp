// PELGARDBF run by the cadhost program on a generated town with the recording main application,
// which leaves its files in the package folder; unzip and ezdxf check what comes out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

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
        const std::string make = std::string(MAKEDRAWING_PROGRAM) + " --out " + dir_ +
                                 "/town.dxf --parcels 8 --seed 3 --attributes --codes " + kSource +
                                 "/samples/support/index.ini > /dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
        Host("town.dxf", "coded.dxf", "ADDCODEQZ\n\n");
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
                                  "PELGARDBF\n0\nD:\\out\n7\n^C\n");
    const std::string name = "3301020010010001000-3301020010010003000";
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

}  // namespace
