// The setup program end to end on the sample package: installs into AutoCAD and standalone,
// update, uninstall by the installed copy of the program with its self-deleting batch, a failed
// update cancelled, a restart and its resume, and the start-up's own cases.
#include "program_fixture.h"

namespace {

using namespace programtest;

// Scripts, transcripts and file names are UTF-8.
std::string U(const char8_t* text) { return reinterpret_cast<const char*>(text); }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

const std::string kProduct = "Program Files/Dero Pelgar";
const std::string kProfiles = "[HKEY_CURRENT_USER\\Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles]\n";

// Agrees, picks the choice and starts; the box is the host's workspace notice of the profile.
std::string InstallAnswers(int choice, const std::string& atTheEnd = "click 2") {
    return "dialog: check 1002; wait 100; click 12324; wait 100; click " + std::to_string(choice) +
           U(u8"; click 12324; click 12325; until 2 完成; ") + atTheEnd + "\nbox ok\n";
}

TEST_F(ProgramTest, HostedProductInstallsUpdatesAndUninstallsWithItsBatch) {
    const std::string setup = Package() + "/setup.exe";
    // The finished page's "更新" runs the whole start-up again, which is then left.
    Outcome run = RunSetup(setup, InstallAnswers(100, "check 1008; check 1009; click 3037") + "dialog: click 2\nbox yes\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows("page 129") && run.Shows("page 131") && run.Shows("page 130")) << run.Transcript();
    EXPECT_TRUE(run.Shows(U(u8"until 2: \"完成\""))) << run.Transcript();
    int sheets = 0;
    for (const auto& line : run.transcript) sheets += line.rfind("dialog 129 \"", 0) == 0;
    EXPECT_EQ(sheets, 2) << run.Transcript();

    // The install folder is the cabinet's common and product folders, and the program's own.
    std::map<std::string, std::string> expected;
    for (const auto& [path, bytes] : CabinetTree(Package() + "/data.cab")) {
        for (const std::string& prefix : {U(u8"公共文件目录/"), U(u8"安装程序目录/acad2010/")})
            if (path.rfind(prefix, 0) == 0) expected[path.substr(prefix.size())] = bytes;
    }
    auto installed = Tree(C(kProduct));
    ASSERT_TRUE(installed.count("system/setup.exe") && installed.count("system/setup.xml"));
    EXPECT_EQ(installed["system/setup.exe"], ReadFile(setup));
    installed.erase("system/setup.exe");
    installed.erase("system/setup.xml");
    EXPECT_EQ(installed, expected);
    EXPECT_EQ(ReadFile(C("Windows/Fonts/DeroSym.ttf")), "true type font of the survey symbols");

    const std::string user = Dump("HKCU");
    EXPECT_NE(user.find(kProfiles + "@=\"Dero\""), std::string::npos) << user;
    EXPECT_NE(user.find("[HKEY_CURRENT_USER\\Software\\quorvane\\install\\Dero Pelgar]"), std::string::npos);
    EXPECT_NE(Dump("HKLM").find("Uninstall\\Dero Pelgar]"), std::string::npos);
    // The component in the registration folder registered itself.
    EXPECT_NE(Dump("HKCR").find("{0D3E5C1A-7B21-4F0E-9A55-3C0FFEE00001}"), std::string::npos);
    const std::string desktopLink = C("Users/Administrator/Desktop/Dero Pelgar.lnk");
    EXPECT_NE(ReadFile(desktopLink).find("acad.exe"), std::string::npos) << ReadFile(desktopLink);
    const std::string events = Events();
    EXPECT_NE(events.find("font \"C:\\Windows\\Fonts\\DeroSym.ttf\""), std::string::npos) << events;
    EXPECT_NE(events.find("acad.exe\" /p Dero"), std::string::npos) << events;

    // The update replaces the files from the package again.
    WriteFile(C(kProduct + "/readme.txt"), "changed by the user");
    run = RunSetup(setup, U(u8"dialog: check 1002; wait 100; click 12324; wait 100; click 150; click 12324; click 3033; "
                            u8"until 2 更新成功; click 2\nbox ok\n"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"until 2: \"更新成功\""))) << run.Transcript();
    EXPECT_EQ(ReadFile(C(kProduct + "/readme.txt")), expected["readme.txt"]);

    // The uninstall by the installed program leaves it to the batch, which names the folder.
    run = RunSetup(C(kProduct + "/system/setup.exe"), U(u8"dialog: wait 100; click 150; click 12324; click 12325; until 2 退出; click 2\n"),
                "COMSPEC='C:\\Windows\\system32\\cmd.exe'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"until 2: \"退出\""))) << run.Transcript();
    // The caption comes from the installed setup.xml, which the update wrote.
    EXPECT_TRUE(run.Shows(U(u8"dialog 131 \"Dero 9.1 安装\""))) << run.Transcript();
    EXPECT_EQ(Tree(C(kProduct)), (std::map<std::string, std::string>{{"system/setup.exe", ReadFile(setup)}}));
    const std::string after = Dump("HKCU");
    EXPECT_NE(after.find(kProfiles + U(u8"@=\"<<未命名配置>>\"")), std::string::npos) << after;
    EXPECT_EQ(after.find("Profiles\\Dero]"), std::string::npos);
    EXPECT_EQ(after.find("install\\Dero Pelgar"), std::string::npos);
    EXPECT_EQ(Dump("HKLM").find("Uninstall\\Dero Pelgar"), std::string::npos);
    EXPECT_FALSE(fs::exists(desktopLink));
    EXPECT_TRUE(fs::is_directory(C("Users/Administrator/Desktop")));
    // A program of more than 12 000 000 bytes (the sanitizer build's) does not delete itself.
    const bool small = fs::file_size(setup) <= 12000000;
    const std::string batch = ReadFile(C("Temp/derodel.bat"));
    EXPECT_EQ(batch.find("rd /Q C:\\Program Files\\Dero Pelgar\\bin\r\n") != std::string::npos, small) << batch;
    EXPECT_EQ(batch.find("del /Q C:\\Program Files\\Dero Pelgar\\system\\setup.exe") != std::string::npos, small) << batch;
    EXPECT_EQ(Events().find("launch \"C:\\Windows\\system32\\cmd.exe\" /c C:\\Temp\\derodel.bat") != std::string::npos, small);
}

}  // namespace

namespace {

// The whole machine: files with their bytes (the work folder left out) and the three hives.
struct Machine {
    std::map<std::string, std::string> files;
    std::string classes, user, local;
    bool operator==(const Machine&) const = default;
};

// What differs, for the failure message.
std::string Difference(const Machine& a, const Machine& b) {
    std::string out;
    for (const auto& [path, bytes] : a.files)
        if (!b.files.count(path) || b.files.at(path) != bytes) out += "file " + path + "\n";
    for (const auto& [path, bytes] : b.files)
        if (!a.files.count(path)) out += "new file " + path + "\n";
    auto lines = [](const std::string& text) {
        std::map<std::string, int> set;
        std::size_t from = 0;
        while (from < text.size()) {
            std::size_t eol = text.find('\n', from);
            if (eol == std::string::npos) eol = text.size();
            ++set[text.substr(from, eol - from)];
            from = eol + 1;
        }
        return set;
    };
    const std::string* as[] = {&a.classes, &a.user, &a.local};
    const std::string* bs[] = {&b.classes, &b.user, &b.local};
    for (int i = 0; i < 3; ++i) {
        auto la = lines(*as[i]), lb = lines(*bs[i]);
        for (auto& [line, n] : la)
            if (lb[line] != n) out += "registry line " + line + "\n";
        for (auto& [line, n] : lb)
            if (la[line] != n) out += "new registry line " + line + "\n";
    }
    return out;
}

class ProgramStateTest : public ProgramTest {
protected:
    Machine State() {
        Machine m;
        for (auto& [path, bytes] : Tree(C("")))
            if (path.rfind("Temp/derosetup", 0) != 0) m.files[path] = bytes;
        m.classes = Dump("HKCR");
        m.user = Dump("HKCU");
        m.local = Dump("HKLM");
        return m;
    }
    // The machine as an earlier install of the standalone product leaves it: the user's folders
    // made and the font in place (fonts are never taken away again).
    void InstallStandalone() {
        const Outcome run = RunSetup(Package() + "/setup.exe", InstallAnswers(101));
        ASSERT_EQ(run.status, 0) << run.out;
        ASSERT_TRUE(fs::exists(C("Program Files/Dero Mapper/DeroMap.exe")));
    }
};

// The classes hive without the keys the package's components registered.
std::string WithoutComponents(const std::string& classes) {
    std::string out;
    bool skipping = false;
    for (std::size_t from = 0; from < classes.size();) {
        std::size_t eol = classes.find('\n', from);
        eol = eol == std::string::npos ? classes.size() : eol + 1;
        const std::string line = classes.substr(from, eol - from);
        if (line.front() == '[') skipping = line.find("CLSID") != std::string::npos;
        if (!skipping) out += line;
        from = eol;
    }
    return out;
}

TEST_F(ProgramStateTest, StandaloneInstallAndUninstallWithoutAShellLeaveNoBatch) {
    const std::string classes = Dump("HKCR");
    Outcome run = RunSetup(Package() + "/setup.exe", InstallAnswers(101, "check 1009; click 2"));
    ASSERT_EQ(run.status, 0) << run.out;
    // The product has no extension: no key takes over the files without one.
    EXPECT_EQ(Dump("HKCR").find("[HKEY_CLASSES_ROOT\\.]"), std::string::npos);
    EXPECT_EQ(Dump("HKCR").find("[HKEY_CLASSES_ROOT\\file]"), std::string::npos);
    std::map<std::string, std::string> expected;
    for (const auto& [path, bytes] : CabinetTree(Package() + "/data.cab")) {
        for (const std::string& prefix : {U(u8"公共文件目录/"), U(u8"安装程序目录/mapper/")})
            if (path.rfind(prefix, 0) == 0) expected[path.substr(prefix.size())] = bytes;
    }
    auto installed = Tree(C("Program Files/Dero Mapper"));
    EXPECT_EQ(installed["setup.exe"], ReadFile(Package() + "/setup.exe"));
    installed.erase("setup.exe");
    installed.erase("setup.xml");
    EXPECT_EQ(installed, expected);
    EXPECT_NE(Dump("HKCU").find("[HKEY_CURRENT_USER\\Software\\Dero Mapper]"), std::string::npos);
    // The product's own program is started, not the host.
    EXPECT_NE(Events().find("DeroMap.exe"), std::string::npos) << Events();
    EXPECT_EQ(Events().find("acad.exe"), std::string::npos) << Events();

    run = RunSetup(C("Program Files/Dero Mapper/setup.exe"),
                   U(u8"dialog: wait 100; click 150; click 12324; click 12325; until 2 退出; click 2\n"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"until 2: \"退出\""))) << run.Transcript();
    EXPECT_EQ(Dump("HKCU").find("Software\\Dero Mapper]"), std::string::npos);
    EXPECT_EQ(WithoutComponents(Dump("HKCR")), WithoutComponents(classes));
    EXPECT_FALSE(fs::exists(C("Program Files/Dero Mapper/DeroMap.exe")));
    EXPECT_FALSE(fs::exists(C("Temp/derodel.bat")));
    EXPECT_EQ(Events().find("launch"), std::string::npos) << Events();
}

TEST_F(ProgramStateTest, TheFileTypeIsWholeAfterAnAtOnceCloseAndOnlyForAnExtensionTheUninstallRemoves) {
    const std::string classes = Dump("HKCR");
    const std::string uninstall = U(u8"dialog: wait 100; click 150; click 12324; click 12325; until 2 退出; click 2\n");
    // Closed as soon as "完成" shows: the worker's last steps are waited for.
    const std::string dir = CopyPackage("dpk");
    WriteFile(dir + "/setup.xml", Replace(ReadFile(dir + "/setup.xml"), "relatedfile=\"DeroMap.exe\" relatedicon=\"\" extname=\"\"",
                                          "relatedfile=\"DeroMap.exe\" relatedicon=\"\" extname=\"dpk\""));
    Outcome run = RunSetup(dir + "/setup.exe", InstallAnswers(101));
    ASSERT_EQ(run.status, 0) << run.out;
    const std::string typed = Dump("HKCR");
    EXPECT_NE(typed.find("[HKEY_CLASSES_ROOT\\.dpk]\n@=\"dpkfile\"\n"), std::string::npos) << typed;
    EXPECT_NE(typed.find("[HKEY_CLASSES_ROOT\\dpkfile\\DefaultIcon]\n@="), std::string::npos) << typed;
    EXPECT_NE(typed.find("[HKEY_CLASSES_ROOT\\dpkfile\\shell\\open\\command]\n@="), std::string::npos) << typed;
    for (const auto& entry : fs::directory_iterator(Root() + "/registry"))
        EXPECT_EQ(entry.path().filename().string().find(".tmp."), std::string::npos) << entry.path();
    ASSERT_EQ(RunSetup(C("Program Files/Dero Mapper/setup.exe"), uninstall).status, 0);
    EXPECT_EQ(WithoutComponents(Dump("HKCR")), WithoutComponents(classes));
}

TEST_F(ProgramStateTest, AFailedUpdateCancelledLeavesTheMachineAsItWas) {
    InstallStandalone();
    Outcome run = RunSetup(Package() + "/setup.exe", InstallAnswers(100));
    ASSERT_EQ(run.status, 0) << run.out;
    WriteFile(C(kProduct + "/readme.txt"), "changed by the user");
    const Machine before = State();
    // One copy fails (its line in the details); the update is cancelled while it waits to register.
    run = RunSetup(Package() + "/setup.exe",
                   U(u8"dialog: check 1002; wait 100; click 12324; wait 100; click 150; click 12324; click 3033; "
                     u8"until 1011 Geoport.arx 安装失败; until 1005 正在准备注册...; click 2; until 2 退出; click 2\n"
                     u8"box yes\n"),
                   "DERO_FAULTS='Copy=*\\Dero Pelgar\\bin\\Geoport.arx'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"until 2: \"退出\""))) << run.Transcript();
    EXPECT_TRUE(run.Shows(U(u8"until 1011: \"Geoport.arx 安装失败\""))) << run.Transcript();
    EXPECT_TRUE(run.Shows(U(u8"确定要退出安装吗"))) << run.Transcript();
    EXPECT_FALSE(fs::exists(C("Temp/insrecovery")));
    EXPECT_EQ(Difference(before, State()), "");
}

TEST_F(ProgramStateTest, AnUninstallCancelledPutsEverythingBack) {
    Outcome run = RunSetup(Package() + "/setup.exe", InstallAnswers(100));
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_TRUE(fs::exists(C(kProduct + "/bin/Geoport.arx")));
    const Machine installed = State();
    run = RunSetup(Package() + "/setup.exe",
                   U(u8"dialog: check 1002; wait 100; click 12324; wait 100; click 150; click 12324; click 12325; "
                     u8"until 1005 正在取消注册...; click 2; until 2 退出; click 2\nbox yes\n"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"until 2: \"退出\""))) << run.Transcript();
    EXPECT_FALSE(fs::exists(C("Temp/derorecovery")));
    EXPECT_EQ(Difference(installed, State()), "");
}

}  // namespace

namespace {


TEST_F(ProgramTest, ARestartPackageHandsOverAndResumesAfterTheRestart) {
    const std::string dir = CopyPackage("restart");
    WriteFile(dir + "/setup.xml", Replace(ReadFile(dir + "/setup.xml"), "restart=\"0\"", "restart=\"1\""));
    // The restart is asked for when the install is done; agreeing ends the program.
    Outcome run = RunSetup(dir + "/setup.exe", InstallAnswers(100, "") + "box ok\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"需要重启机器以完成安装"))) << run.Transcript();
    EXPECT_TRUE(fs::exists(dir + "/restart.def"));
    const std::string local = Dump("HKLM");
    EXPECT_NE(local.find("\"installsetup\"="), std::string::npos) << local;
    EXPECT_NE(Events().find("restart"), std::string::npos) << Events();

    // Started again before the restart: only the offer to restart.
    run = RunSetup(dir + "/setup.exe", "box cancel\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"需要重启，单击确认立即重启，取消稍后重启"))) << run.Transcript();
    EXPECT_FALSE(run.Shows("dialog")) << run.Transcript();

    // Windows ran the value once and removed it: the finished progress page alone.
    const std::string hive = Root() + "/registry/HKEY_LOCAL_MACHINE.reg";
    std::string text = ReadFile(hive), kept;
    for (std::size_t from = 0; from < text.size();) {
        std::size_t eol = text.find('\n', from);
        eol = eol == std::string::npos ? text.size() : eol + 1;
        const std::string line = text.substr(from, eol - from);
        if (line.find("\"installsetup\"") == std::string::npos) kept += line;
        from = eol;
    }
    WriteFile(hive, kept);
    run = RunSetup(dir + "/setup.exe", U(u8"dialog: until 1005 卸载完成; click 2\n"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows("page 130")) << run.Transcript();
    EXPECT_FALSE(run.Shows("page 129") || run.Shows("page 131")) << run.Transcript();
    EXPECT_TRUE(run.Shows(U(u8"until 1005: \"卸载完成\""))) << run.Transcript();
    EXPECT_FALSE(fs::exists(dir + "/restart.def"));
    EXPECT_TRUE(fs::exists(C(kProduct + "/bin/DeroPelgar.arx")));
}

TEST_F(ProgramTest, ARestartDeclinedLeavesNoStagingFolder) {
    const std::string dir = CopyPackage("later");
    WriteFile(dir + "/setup.xml", Replace(ReadFile(dir + "/setup.xml"), "restart=\"0\"", "restart=\"1\""));
    const Outcome run = RunSetup(dir + "/setup.exe", InstallAnswers(100) + "box cancel\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"需要重启机器以完成安装"))) << run.Transcript();
    ASSERT_TRUE(fs::is_directory(C("Temp/derosetup")));
    for (const char8_t* folder : {u8"安装程序目录", u8"公共文件目录", u8"字体文件目录", u8"注册文件目录"})
        EXPECT_FALSE(fs::exists(C("Temp/derosetup/" + U(folder)))) << U(folder);
}

TEST_F(ProgramTest, StartUpChecksRightsSpaceModeAndWhatIsAppended) {
    const std::string machine = Root() + "/machine.txt";
    WriteFile(machine, "elevation = 3\n");
    Outcome run = RunSetup(Package() + "/setup.exe", "");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"权限不足，请调整用户权限，然后重启后再尝试"))) << run.Transcript();
    EXPECT_FALSE(run.Shows("dialog")) << run.Transcript();

    // Twice the program's size must be free on the work folder's drive.
    WriteFile(machine, "elevation = 2\nfree C: = 1000\n");
    run = RunSetup(Package() + "/setup.exe", "");
    EXPECT_TRUE(run.Shows(U(u8"请先确保系统目录具有足够空间并可写以继续"))) << run.Transcript();
    EXPECT_FALSE(run.Shows("dialog")) << run.Transcript();
    EXPECT_FALSE(fs::exists(C("Temp/derosetup")));
    fs::remove(machine);

    // Wizard mode 2: no window at all.
    const std::string modes = CopyPackage("mode2");
    WriteFile(modes + "/setup.xml", Replace(ReadFile(modes + "/setup.xml"), "mode=\"0\"", "mode=\"2\""));
    run = RunSetup(modes + "/setup.exe", "");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.transcript.empty()) << run.Transcript();

    // Three appended files are a whole installer: its own setup.exe is started instead.
    const std::string whole = CopyPackage("whole");
    WriteFile(whole + "/inner.txt", "the inner installer");
    const Outcome made = Shell(Quote(MKPAYLOAD_PATH) + " " + Quote(SETUP_PROGRAM_PATH) + " " + Quote(whole + "/setup.exe") +
                               " setup.exe=" + Quote(whole + "/inner.txt") + " data.cab=" + Quote(whole + "/data.cab") +
                               " setup.xml=" + Quote(whole + "/setup.xml"));
    ASSERT_EQ(made.status, 0) << made.out;
    run = RunSetup(whole + "/setup.exe", "");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(Events().find("shell open \"C:\\Temp\\derosetup\\setup.exe\""), std::string::npos) << Events();
    EXPECT_FALSE(run.Shows("dialog")) << run.Transcript();
    EXPECT_EQ(ReadFile(C("Temp/derosetup/setup.exe")), "the inner installer");

    // The work folder as found: a link out of the machine to someone else's installer. The link
    // goes as a link, and the payload is unpacked into a folder of the program's own.
    const std::string planted = Root() + "/planted";
    WriteFile(planted + "/setup.exe", "someone else's installer");
    fs::remove_all(C("Temp/derosetup"));
    fs::create_directory_symlink(planted, C("Temp/derosetup"));
    run = RunSetup(whole + "/setup.exe", "");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(ReadFile(planted + "/setup.exe"), "someone else's installer");
    EXPECT_FALSE(fs::is_symlink(C("Temp/derosetup")));
    EXPECT_EQ(ReadFile(C("Temp/derosetup/setup.exe")), "the inner installer");

    // One that cannot be taken apart: a message, and nothing more.
    WriteFile(C("Temp/derosetup/locked.txt"), "locked");
    run = RunSetup(Package() + "/setup.exe", "", "DERO_FAULTS='Delete=*\\locked.txt'");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"无法清理临时目录 C:\\Temp\\derosetup，安装程序不能继续"))) << run.Transcript();
    EXPECT_FALSE(run.Shows("dialog")) << run.Transcript();

    // An installer that an outer one unpacked there and that runs from there keeps its own files:
    // its setup.xml (mode 2: no window) is still read.
    fs::remove_all(C("Temp/derosetup"));
    fs::create_directories(C("Temp/derosetup"));
    fs::copy_file(SETUP_PROGRAM_PATH, C("Temp/derosetup/setup.exe"));
    fs::copy_file(modes + "/setup.xml", C("Temp/derosetup/setup.xml"));
    run = RunSetup(C("Temp/derosetup/setup.exe"), "");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.transcript.empty()) << run.Transcript();

    // A directory naming files outside the work folder is no payload: the wizard runs with its
    // defaults (no agreement text) and nothing is written.
    const std::string hostile = CopyPackage("hostile");
    std::string program = ReadFile(SETUP_PROGRAM_PATH);
    std::string directory(4356, '\0');
    const std::u16string name = u"..\\..\\evil.txt";
    for (std::size_t i = 0; i < name.size(); ++i) directory[128 + 2 * i] = static_cast<char>(name[i]);
    directory[4224] = 4;
    const auto offset = static_cast<std::uint32_t>(program.size());
    for (int i = 0; i < 4; ++i) directory[4352 + static_cast<std::size_t>(i)] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    WriteFile(hostile + "/setup.exe", program + "evil" + directory);
    fs::permissions(hostile + "/setup.exe", fs::perms::owner_all);
    fs::remove_all(C("Temp"));
    run = RunSetup(hostile + "/setup.exe", "dialog: click 2\nbox yes\n");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows("dialog 129")) << run.Transcript();
    EXPECT_FALSE(fs::exists(C("evil.txt")) || fs::exists(Root() + "/evil.txt") || fs::exists(C("Temp/evil.txt")));
    EXPECT_FALSE(fs::exists(C("Temp/derosetup")));
}

}  // namespace

namespace {

TEST_F(ProgramStateTest, APatchAppliesToTheInstalledCopyAndACancelledOneIsRolledBack) {
    const std::string patch = Package() + "/patch/setup.exe";
    // Nothing installed: nothing to check, and the wizard says so.
    Outcome run = RunSetup(patch, "dialog: wait 100; click 12324; click 2\nbox ok\n");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows("page 146")) << run.Transcript();
    EXPECT_TRUE(run.Shows(U(u8"必须先选择安装项才能继续"))) << run.Transcript();
    EXPECT_FALSE(run.Shows("page 147")) << run.Transcript();

    run = RunSetup(Package() + "/setup.exe", InstallAnswers(100));
    ASSERT_EQ(run.status, 0) << run.out;
    const Machine installed = State();

    // One copy fails and the patch is cancelled while it waits to register: all is put back.
    run = RunSetup(patch,
                   U(u8"dialog: wait 100; click 12324; until 1005 准备安装...; click 12325; until 12325 完成(&F); "
                     u8"click 12325\nbox ok\n"),
                   "DERO_FAULTS='Copy=*\\Dero Pelgar\\readme.txt'");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows(U(u8"确定要取消安装吗?"))) << run.Transcript();
    EXPECT_TRUE(run.Shows(U(u8"until 12325: \"完成(&F)\""))) << run.Transcript();
    EXPECT_FALSE(fs::exists(C("Temp/insrecovery")));
    EXPECT_EQ(Difference(installed, State()), "");

    // The installed copy is checked: the patch goes into its folder.
    run = RunSetup(patch, U(u8"dialog: wait 100; click 12324; until 12325 完成(&F); click 12325\n"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(run.Shows("page 147")) << run.Transcript();
    EXPECT_EQ(ReadFile(C(kProduct + "/bin/DeroPelgar.arx")), "DeroPelgar 9.1.1\n");
    EXPECT_EQ(ReadFile(C(kProduct + "/readme.txt")), "Dero 9.1.1\r\n");
    EXPECT_EQ(ReadFile(C(kProduct + "/bin/Geoport.arx")), "Geoport 9.1\n");
}

}  // namespace
