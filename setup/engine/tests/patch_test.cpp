// Patching two installed copies that share a system32 file, on a worker that reports to a
// recording page; undoing the patch from each of its safe points.
#include <climits>

#include "install_fixture.h"
#include "platform/win/fault_injection.h"
#include "platform/win/threads.h"
#include "setup/engine/install_state.h"
#include "setup/engine/patch_engine.h"

namespace {

using installtest::kCommon;
using installtest::kFonts;
using installtest::kOwn;
using installtest::kRegistration;
using installtest::Line;
using installtest::Lines;
using installtest::ReadFile;
using installtest::WriteFile;
namespace fs = std::filesystem;

Setup::CADVer Target(const char16_t* folder) {
    Setup::CADVer t;
    t.installFolder = folder;
    t.source = u"Pelgar";
    t.fileNum = 3;
    return t;
}

DWORD RunPatch(LPVOID) {
    Setup::PatchEngine engine;
    engine.programFolder = u"C:\\Setup";
    engine.targets = {Target(u"C:\\Dero"), Target(u"C:\\Dero2")};
    engine.RunPatchInstall();
    return 0;
}

class PatchTest : public installtest::InstallTest {
protected:
    void LayOut() {
        fs::remove_all(C("Dero"));
        fs::remove_all(C("Dero2"));
        fs::remove(C("Windows/system32/y.ocx"));
        WriteFile(C("Dero/readme.txt"), "old readme");
        WriteFile(C("Dero/bin/a.arx"), "old arx");
        WriteFile(C("Dero2/readme.txt"), "second copy's readme");
        WriteFile(C("Dero2/bin/a.arx"), "second copy's arx");
        WriteFile(C("Windows/system32/x.dll"), "old dll");
    }
    static bool HasText(const std::u16string& text) {
        return std::any_of(Lines().begin(), Lines().end(), [&](const Line& l) { return l.msg == 1025 && l.text == text; });
    }
};

TEST_F(PatchTest, BothCopiesArePatchedAndComponentsRegistered) {
    Setup::PatchEngine early;
    early.programFolder = u"C:\\Setup";
    early.targets = {Target(u"C:\\Dero")};
    OnWorker([&] { early.RunPatchInstall(); });
    EXPECT_EQ(Lines(), (std::vector<Line>{{1026, 6, u""}, {1025, 0, u"找不到数据文件"}}));

    MakePackage({{kCommon + "readme.txt", "new readme"},
                 {kOwn + "Pelgar/bin/a.arx", "new arx"},
                 {kOwn + "Pelgar/new/added.arx", "added"},
                 {kOwn + "Comp/c.arx", "component"},
                 {kFonts + "f.ttf", "font"},
                 {kRegistration + "x.dll", ReadFile(DERO_TEST_COMPONENT)},
                 {kRegistration + "sub/y.ocx", ReadFile(DERO_FAILING_COMPONENT)}});
    LayOut();
    Setup::CADVer component;
    component.source = u"Comp";
    component.componentTarget = u"AutoCAD";
    component.fileNum = 1;
    Setup::g_componentEntries = {component};
    Lines().clear();
    Setup::g_progressWindow = window_;
    MakeBackdrop();
    OnWorker([] { RunPatch(nullptr); });

    EXPECT_TRUE(BackdropAtTheBottom());
    EXPECT_EQ(Lines().front(), (Line{1026, 3 + 3 + 3 + 1, u""}));
    EXPECT_EQ(Lines().back(), (Line{1028, 0, u"完成"}));
    EXPECT_EQ(Lines()[Lines().size() - 2], (Line{1025, 10, u"完成"}));
    EXPECT_EQ(Count(1027), 1);
    for (const char* copy : {"Dero", "Dero2"}) {
        EXPECT_EQ(ReadFile(C(std::string(copy) + "/readme.txt")), "new readme");
        EXPECT_EQ(ReadFile(C(std::string(copy) + "/new/added.arx")), "added");
    }
    // The shorthand is not a folder of the patch: nothing lands below the current folder.
    EXPECT_TRUE(HasText(u"AutoCAD 不是完整路径，组件未拷贝"));
    EXPECT_FALSE(fs::exists("AutoCAD"));
    // The font is reported for the first copy only, with the folder searched.
    EXPECT_EQ(std::count_if(Lines().begin(), Lines().end(),
                            [](const Line& l) { return l.text.find(u"字体文件目录") != std::u16string::npos; }),
              1);
    // Each registration file is registered once, though both copies installed it.
    EXPECT_EQ(std::count_if(Lines().begin(), Lines().end(),
                            [](const Line& l) { return l.text == u"C:\\Windows\\system32\\x.dll 注册成功"; }),
              1);
    EXPECT_TRUE(HasText(u"C:\\Windows\\system32\\y.ocxcall to DllRegisterServer failed"));
    EXPECT_FALSE(fs::exists(C("Temp/insrecovery")));
    EXPECT_EQ(Setup::g_progressWindow.load(), nullptr);

    // A cabinet cut short: the driver's line, one of the patch's own, and nothing patched.
    const std::string whole = ReadFile(C("Setup/data.cab"));
    WriteFile(C("Setup/data.cab"), whole.substr(0, whole.size() / 2));
    LayOut();
    Lines().clear();
    Setup::g_progressWindow = window_;
    OnWorker([] { RunPatch(nullptr); });
    EXPECT_EQ(Count(1052), 1);
    EXPECT_EQ(Lines().back(), (Line{1025, 2, u"释放文件失败，补丁未安装"}));
    EXPECT_EQ(Count(1028), 0);
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "old readme");

    // A file planted in the work folder is not patched in, and counts add up beyond an int.
    WriteFile(C("Setup/data.cab"), whole);
    WriteFile(C("Temp/derosetup/") + kCommon + "support/planted.ini", "planted");
    component.fileNum = INT_MAX;
    Setup::g_componentEntries = {component, component};
    LayOut();
    Lines().clear();
    Setup::g_progressWindow = window_;
    OnWorker([] { RunPatch(nullptr); });
    EXPECT_EQ(Lines().front(), (Line{1026, INT_MAX, u""}));
    EXPECT_EQ(Lines().back(), (Line{1028, 0, u"完成"}));
    EXPECT_FALSE(fs::exists(C("Dero/support")));

    // A work folder that cannot be taken apart: a line of the patch's own, nothing extracted.
    WriteFile(C("Temp/derosetup/") + kCommon + "support/planted.ini", "planted");
    platform::win::InjectFault(platform::win::FaultKind::Delete, u"*\\planted.ini");
    LayOut();
    Lines().clear();
    Setup::g_progressWindow = window_;
    OnWorker([] { RunPatch(nullptr); });
    EXPECT_EQ(Lines().back(), (Line{1025, 2, u"无法清理临时目录 C:\\Temp\\derosetup，补丁未安装"}));
    EXPECT_EQ(Count(1051), 0);
    EXPECT_EQ(ReadFile(C("Dero/readme.txt")), "old readme");
}

TEST_F(PatchTest, APatchStoppedAtAnySafePointRollsBackBothCopies) {
    MakePackage({{kCommon + "readme.txt", "new readme"},
                 {kOwn + "Pelgar/bin/a.arx", "new arx"},
                 {kOwn + "Pelgar/new/added.arx", "added"},
                 {kRegistration + "x.dll", "new dll"}});
    LayOut();
    const auto before = Files();

    unsigned rolledBack = 0;
    bool sawBackups = false, passedNoReturn = false, newFolderLeft = true;
    // While the cabinet is being extracted nothing outside the work folder changes, so those
    // safe points are visited four apart; from the first copy on, every one is.
    bool copying = false;
    for (unsigned n = 1, step = 4; n < 5000 && !passedNoReturn && !HasFailure(); n += step) {
        LayOut();
        SetWorkFolderAside();
        Lines().clear();
        Setup::g_progressWindow = window_;
        platform::win::ParkWorkerAt(1, n);
        const HANDLE worker = CreateThread(nullptr, 0, &RunPatch, nullptr, 0, nullptr);
        ASSERT_NE(worker, nullptr);
        const bool parked = PumpUntilParked(worker);
        const bool extracted = Count(1051) == 2;
        passedNoReturn = !parked || Count(1027) > 0;
        if (parked) TerminateThread(worker, 1);
        CloseHandle(worker);
        if (passedNoReturn) break;
        // Both copies' readme share a relative path; the shared system32 file keeps one backup.
        sawBackups |= ReadFile(C("Temp/insrecovery/readme.txt")) == "old readme" &&
                      ReadFile(C("Temp/insrecovery/readme.txt~2")) == "second copy's readme" &&
                      ReadFile(C("Temp/insrecovery/Windows/system32/x.dll")) == "old dll";

        Lines().clear();
        Setup::PatchEngine rollback;
        rollback.targets = {Target(u"C:\\Dero"), Target(u"C:\\Dero2")};
        rollback.RollbackPatch();
        EXPECT_EQ(Files(), before) << "stopped at safe point " << n;
        // A folder made for an added file goes with it (one made just before the stop stays).
        newFolderLeft = fs::exists(C("Dero/new"));
        EXPECT_FALSE(fs::exists(C("Temp/insrecovery"))) << n;
        ASSERT_GE(Lines().size(), 4u);
        EXPECT_EQ(Lines().back(), (Line{1028, 1, u"恢复完成"}));
        for (std::size_t i = 2; i + 3 < Lines().size(); ++i) EXPECT_EQ(Lines()[i].wParam + 1, Lines()[i - 1].wParam) << n;
        ++rolledBack;
        if (!copying && extracted) {
            copying = true;
            step = 1;
            n -= 4;  // back to the points skipped just before
        }
    }
    EXPECT_TRUE(passedNoReturn);
    EXPECT_TRUE(sawBackups);
    EXPECT_GT(rolledBack, 20u);
    EXPECT_FALSE(newFolderLeft);
}

}  // namespace
