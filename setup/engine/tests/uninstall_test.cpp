// Uninstalling a copy that the engine's own record writers laid out, on a worker thread that
// reports to a recording window; parking the worker at its safe points, restoring on another
// worker and ending the parked one, as the wizard does on cancel.
#include <algorithm>
#include <atomic>
#include <climits>
#include <functional>
#include <map>
#include <thread>

#include "engine_fixture.h"
#include "platform/text/encoding.h"
#include "platform/ui/window_api.h"
#include "platform/ui/window_system.h"
#include "platform/win/clock.h"
#include "platform/win/folders.h"
#include "platform/win/path_mapping.h"
#include "platform/win/registry.h"
#include "platform/win/threads.h"
#include "progress_page.h"
#include "setup/cabinet/progress_messages.h"
#include "setup/engine/install_engine.h"
#include "setup/engine/installed_products.h"
#include "setup/engine/registry_trees.h"
#include "setup/engine/shortcuts.h"
#include "setup/engine/uninstall.h"

namespace {

namespace fs = std::filesystem;
using dero::testing::ReadFile;
using dero::testing::WriteFile;
using enginetest::EngineTest;

constexpr UINT kWake = WM_APP + 3;

using enginetest::Line;
std::vector<Line> g_lines;  // written by the window's thread only
HWND g_window = nullptr;

// A progress page in small: keeps each message and frees its text, as the pages do.
LRESULT PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= Setup::WM_SETUP_STATUS && msg <= Setup::WM_SETUP_REGISTERING) {
        enginetest::Record(g_lines, msg, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool SaveLink(const Setup::ShellLinkData& link, std::u16string_view path) {
    WriteFile(platform::win::MapToLinux(path), platform::text::Utf16ToUtf8(link.target + u"|" + link.arguments));
    return true;
}

std::u16string SpecialFolder(int id) {
    switch (id) {
        case 0x10: return u"C:\\Users\\Surveyor\\Desktop";
        case 0x02: return u"C:\\Users\\Surveyor\\Start Menu\\Programs";
        case 0x1A: return u"C:\\Users\\Surveyor\\AppData";
        case 0x26: return u"C:\\Program Files";
        default: return u"";
    }
}

class UninstallTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        static const bool registered = enginetest::RegisterPageClass("uninstallpage", &PageProc);
        ASSERT_TRUE(registered);
        g_window = CreateWindowExA(0, "uninstallpage", "page", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(g_window);
        g_lines.clear();
        Setup::ShellServices services;
        services.saveLink = &SaveLink;
        services.desktopFolder = []() -> std::u16string { return u"C:\\Users\\Surveyor\\Desktop"; };
        services.appDataFolder = []() -> std::u16string { return u"C:\\Users\\Surveyor\\AppData"; };
        services.specialFolder = &SpecialFolder;
        Setup::SetShellServices(services);
        platform::win::UseVirtualClock(true);  // the worker's pause passes at once
        platform::win::SetFreeDiskSpaceOverride(std::uint64_t{1} << 40);
    }
    void TearDown() override {
        platform::win::SetFreeDiskSpaceOverride(std::nullopt);
        platform::win::UseVirtualClock(false);
        Setup::SetShellServices({});
        Setup::g_progressWindow = nullptr;
        Setup::g_uninstallRecoveryFolder.clear();
        Setup::g_recoveryFiles.clear();
        Setup::g_originFiles.clear();
        DestroyWindow(g_window);
        EngineTest::TearDown();
    }

    using Values = std::initializer_list<std::pair<const char16_t*, std::u16string>>;
    static void Key(HKEY hive, const std::u16string& path, Values values = {}) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
        for (const auto& [name, value] : values)
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * 2));
        RegCloseKey(key);
    }
    static bool DeleteRegistryTreeForTest(const std::u16string& path) {
        return Setup::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    }
    static bool KeyExists(HKEY hive, const std::u16string& path) {
        HKEY key;
        if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    static std::u16string Default(const std::u16string& path) {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
        char16_t buffer[256] = {};
        DWORD size = sizeof buffer - 2;
        RegQueryValueExW(key, u"", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
        RegCloseKey(key);
        return buffer;
    }

    static constexpr char16_t kProfiles[] = u"Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804\\Profiles";

    // An AutoCAD 2010 install of "Dero Pelgar" into C:\Dero, written by the engine's own steps:
    // files, the installed "setup.xml", the profile, the records, the shortcuts, a file type.
    Setup::CADVer LayOutInstall() {
        fs::remove_all(Root());
        platform::win::SetRoot(Root());
        fs::create_directories(C("Setup"));
        fs::create_directories(C("Temp"));
        fs::create_directories(C("Windows/system32"));
        fs::create_directories(C("Users/Surveyor/Desktop"));
        fs::create_directories(C("Users/Surveyor/Start Menu/Programs"));
        Key(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
            {{u"Programs", u"C:\\Users\\Surveyor\\Start Menu\\Programs"}, {u"Desktop", u"C:\\Users\\Surveyor\\Desktop"}});
        Key(HKEY_CURRENT_USER, std::u16string(kProfiles), {{u"", u"Survey"}});
        Key(HKEY_CURRENT_USER, std::u16string(kProfiles) + u"\\<<Unnamed Profile>>\\General", {{u"ACAD", u"C:\\acad"}});
        Key(HKEY_CURRENT_USER, std::u16string(kProfiles) + u"\\Survey\\General", {{u"ACAD", u"C:\\survey"}});
        Key(HKEY_CLASSES_ROOT, u".dpk", {{u"", u"dpkfile"}});
        Key(HKEY_CLASSES_ROOT, u"dpkfile\\shell\\open\\command", {{u"", u"x"}});
        Key(HKEY_CLASSES_ROOT, u".txt", {{u"", u"txtfile"}});

        const std::vector<std::pair<std::string, std::string>> files = {
            {"Dero/Bin/a.arx", "arx"}, {"Dero/Bin/Sub/B.DWG", "dwg"}, {"Dero/readme.txt", "readme"},
            {"Program Files/AutoCAD 2010/dero.arx", "component"}, {"Dero2/x.txt", "beside"}};
        Setup::g_installedFiles.clear();
        for (const auto& [path, bytes] : files) {
            WriteFile(C(path), bytes);
            std::u16string windows = u"C:\\" + platform::text::Utf8ToUtf16(path);
            std::replace(windows.begin(), windows.end(), u'/', u'\\');
            Setup::g_installedFiles.push_back(windows);
        }
        WriteFile(C("Dero/system/setup.exe"), "setup");
        WriteFile(C("Dero/user.dwg"), "the user's own drawing");
        WriteFile(C("Program Files/AutoCAD 2010/acad.exe"), "host");

        Setup::InstallEngine engine;
        Setup::CADVer& d = engine.description;
        d.cadFolder = u"C:\\Program Files\\AutoCAD 2010";
        d.cadRegistryKey = u"Software\\Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804";
        d.cadVersion = u"R16.2";
        d.cadProduct = u"AutoCAD 2010";
        d.installFolder = u"C:\\Dero";
        d.profileName = u"Dero";
        d.product = u"Dero Pelgar";
        d.picture = u"120";
        d.iconFile = u"dero.ico";
        d.version = u"Dero 9";
        d.extName = u"dpk";
        engine.fileCount = 5;
        engine.WriteXmlInstallRecord();
        engine.EditAcadProfiles();
        engine.WriteUninstallEntry();
        engine.CreateShortcuts();
        Setup::AddQuickLaunchShortcut(d);
        Setup::g_installedFiles.clear();
        Setup::g_desktopShortcutPath.clear();
        Setup::g_startMenuShortcutPath.clear();
        EXPECT_EQ(Default(kProfiles), u"Dero");
        return d;
    }

    // The install laid out by the first call; each later call puts the same machine back.
    Setup::CADVer FreshInstall() {
        if (machine_.empty()) {
            laid_ = LayOutInstall();
            machine_ = Machine();
        } else {
            PutBack(machine_);
        }
        return laid_;
    }
    Setup::CADVer laid_;
    std::map<std::string, std::string> machine_;

    // Everything below the mapped root (the drives and the registry's hives), so that the same
    // machine is laid out again without going through the registry's writes.
    std::map<std::string, std::string> Machine() const {
        std::map<std::string, std::string> machine;
        for (const auto& entry : fs::recursive_directory_iterator(Root()))
            machine[entry.path().string().substr(Root().size())] =
                entry.is_directory() ? "<folder>" : ReadFile(entry.path());
        return machine;
    }
    // Rewrites only what differs: most stops leave the machine as it was.
    void PutBack(const std::map<std::string, std::string>& machine) const {
        const std::map<std::string, std::string> now = Machine();
        for (auto it = now.rbegin(); it != now.rend(); ++it)
            if (!machine.count(it->first) || machine.at(it->first) != it->second) fs::remove_all(Root() + it->first);
        for (const auto& [path, bytes] : machine) {
            const auto was = now.find(path);
            if (was != now.end() && was->second == bytes) continue;
            if (bytes == "<folder>") {
                fs::create_directories(Root() + path);
            } else {
                WriteFile(Root() + path, bytes);
            }
        }
        platform::win::SetRoot(Root());
    }

    // Every file and folder below C:\, with the files' bytes.
    std::map<std::string, std::string> Tree() const {
        std::map<std::string, std::string> tree;
        for (const auto& entry : fs::recursive_directory_iterator(C("")))
            tree[entry.path().string().substr(C("").size())] = entry.is_directory() ? "<folder>" : ReadFile(entry.path());
        return tree;
    }

    // The registry's hive files as they stand.
    std::map<std::string, std::string> Hives() const {
        std::map<std::string, std::string> hives;
        for (const auto& entry : fs::directory_iterator(Root() + "/registry"))
            hives[entry.path().filename().string()] = ReadFile(entry.path());
        return hives;
    }

    // Handles the page's messages while the worker runs; true once it is parked, false once it
    // has ended. A watcher wakes this thread when the worker has settled either way.
    static bool PumpWhileRunning(HANDLE worker) {
        std::atomic<bool> settled{false};
        std::thread watcher([&] {
            platform::win::WaitUntilParked(worker, 60000);
            settled = true;
            PostMessageW(g_window, kWake, 0, 0);
        });
        MSG msg;
        while (!settled && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
        watcher.join();
        return platform::win::WaitUntilParked(worker, 0);
    }
    static DWORD RunWork(LPVOID work) {
        (*static_cast<std::function<void()>*>(work))();
        return 0;
    }
    // Runs work to its end on a worker thread, as the wizard runs its workers.
    static void Run(std::function<void()> work) {
        const HANDLE worker = CreateThread(nullptr, 0, &RunWork, &work, 0, nullptr);
        ASSERT_TRUE(worker);
        EXPECT_FALSE(PumpWhileRunning(worker));
        CloseHandle(worker);
    }

    // Starts the uninstall on a worker parked at its n'th safe point: the worker's handle, or
    // null when it ended before.
    static HANDLE UninstallParkedAt(unsigned n, std::function<void()>& work) {
        Setup::g_progressWindow = g_window;
        g_lines.clear();
        platform::win::ParkWorkerAt(1, n);
        const HANDLE worker = CreateThread(nullptr, 0, &RunWork, &work, 0, nullptr);
        if (worker && PumpWhileRunning(worker)) return worker;
        if (worker) CloseHandle(worker);
        return nullptr;
    }
    // What the wizard does on cancel: the parked worker never runs again.
    static void Terminate(HANDLE worker) {
        EXPECT_TRUE(TerminateThread(worker, 1));
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(worker, &code));
        EXPECT_EQ(code, 1u);
        CloseHandle(worker);
    }
    static bool Told(std::u16string_view text) {
        return std::any_of(g_lines.begin(), g_lines.end(), [&](const Line& l) { return l.text == text; });
    }

    // The first safe point at which a worker parked there has already told the page text (the
    // lines only grow with the safe point, so halving finds it).
    unsigned FirstStopAfter(std::u16string_view text) {
        auto toldAt = [&](unsigned n) {
            Setup::InstallInfo info = Chosen(FreshInstall());
            std::function<void()> work = [&info] { info.UninstallProduct(); };
            const HANDLE worker = UninstallParkedAt(n, work);
            if (!worker) return true;
            const bool told = Told(text);
            Terminate(worker);
            Setup::g_recoveryFiles.clear();
            Setup::g_originFiles.clear();
            return told;
        };
        unsigned low = 0, high = 1;  // not told at low, told at high
        while (!toldAt(high)) {
            low = high;
            high *= 2;
        }
        while (high - low > 1) {
            const unsigned middle = low + (high - low) / 2;
            (toldAt(middle) ? high : low) = middle;
        }
        return high;
    }

    // Stops the uninstall at its n'th safe point with the faults injected, and restores on
    // another worker as the wizard does on cancel, then ends the stopped one. False (nothing
    // checked) when the stop came after the page was told "取消注册..." or the run had ended.
    using Faults = std::vector<std::pair<platform::win::FaultKind, std::u16string>>;
    bool StopAndRestore(unsigned n, const Faults& faults, std::vector<Line>* told,
                        const std::function<void()>& atStop = {}) {
        SCOPED_TRACE("stopped at safe point " + std::to_string(n));
        const Setup::CADVer d = FreshInstall();
        const std::map<std::string, std::string> before = Tree();
        const std::map<std::string, std::string> registry = Hives();
        for (const auto& [kind, pattern] : faults) platform::win::InjectFault(kind, pattern);
        Setup::InstallInfo info = Chosen(d);
        std::function<void()> work = [&info] { info.UninstallProduct(); };
        const HANDLE worker = UninstallParkedAt(n, work);
        platform::win::ClearFaults();
        if (!worker) return false;
        if (Told(u"取消注册...")) {
            Terminate(worker);
            return false;
        }
        *told = g_lines;
        if (atStop) atStop();
        g_lines.clear();
        Setup::InstallInfo restore;
        Run([&] { restore.RestoreFromRecovery(); });
        EXPECT_EQ(Tree(), before);
        EXPECT_EQ(Hives(), registry);
        EXPECT_FALSE(fs::exists(C("Temp/derorecovery")));
        EXPECT_TRUE(!g_lines.empty() && g_lines.front() == (Line{1695, 0, u"正在恢复..."}));
        EXPECT_TRUE(!g_lines.empty() && g_lines.back() == (Line{1694, 1, u"恢复完成"}));
        // Ended where it stood, the uninstall touches nothing more.
        Terminate(worker);
        EXPECT_EQ(Tree(), before);
        return true;
    }

    static Setup::InstallInfo Chosen(const Setup::CADVer& d) {
        Setup::InstallInfo info;
        info.product = d.product;
        info.description = d;
        return info;
    }
};

TEST_F(UninstallTest, UninstallWithBackupRemovesTheCopyInOrder) {
    // Parked once it has told the page it goes on to the registering, the files are in the
    // recovery folder, at their paths below the install folder in lower case; files from
    // elsewhere have a branch of their own.
    const unsigned registering = FirstStopAfter(u"正在取消注册...");
    const Setup::CADVer d = FreshInstall();
    Key(HKEY_CURRENT_USER, u"Software\\Other", {{u"a", u"b"}});
    Setup::InstallInfo info = Chosen(d);
    std::function<void()> work = [&info] { info.UninstallProduct(); };
    const HANDLE worker = UninstallParkedAt(registering, work);
    ASSERT_TRUE(worker);
    EXPECT_EQ(g_lines.back().text, u"正在取消注册...");
    const std::string recovery = C("Temp/derorecovery/");
    EXPECT_EQ(ReadFile(recovery + "bin/a.arx"), "arx");
    EXPECT_EQ(ReadFile(recovery + "bin/sub/b.dwg"), "dwg");
    EXPECT_EQ(ReadFile(recovery + "system/setup.xml").substr(0, 5), "<?xml");
    EXPECT_EQ(ReadFile(recovery + "~outside/c/program files/autocad 2010/dero.arx"), "component");
    EXPECT_EQ(ReadFile(recovery + "~outside/c/dero2/x.txt"), "beside");
    EXPECT_FALSE(fs::exists(C("Dero/Bin")));
    EXPECT_FALSE(fs::exists(C("Dero/system")));
    EXPECT_EQ(ReadFile(C("Dero/user.dwg")), "the user's own drawing");
    EXPECT_TRUE(fs::exists(C("Dero2")));  // emptied, but not the install folder's to remove
    EXPECT_EQ(Setup::g_recoveryFiles.size(), 7u);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"software\\quorvane\\install\\Dero Pelgar"));
    EXPECT_EQ(ResumeThread(worker), 1u);
    EXPECT_FALSE(PumpWhileRunning(worker));
    CloseHandle(worker);

    const std::u16string desktop = u"C:\\Users\\Surveyor\\Desktop\\Dero 9.lnk";
    const std::u16string startMenu = u"C:\\Users\\Surveyor\\Start Menu\\Programs\\Dero 地籍测绘系统\\Dero 9.lnk";
    const std::vector<Line> expected = {
        {1690, 0, u"正在搜索安装信息..."},
        {1693, 8, u""},
        {1691, 0, u"准备删除文件..."},
        {1691, 1, u"正在删除 C:\\Dero\\Bin\\a.arx..."},
        {1691, 2, u"正在删除 C:\\Dero\\Bin\\Sub\\B.DWG..."},
        {1691, 3, u"正在删除 C:\\Dero\\readme.txt..."},
        {1691, 4, u"正在删除 C:\\Program Files\\AutoCAD 2010\\dero.arx..."},
        {1691, 5, u"正在删除 C:\\Dero2\\x.txt..."},
        {1691, 6, u"正在取消注册..."},
        {1695, 0, u"取消注册..."},
        {1691, 7, u"正在删除启动菜单..."},
        {1691, 8, u"正在删除" + startMenu + u"..."},
        {1691, 9, u"正在删除快捷方式..."},
        {1691, 10, u"正在删除 文件" + desktop + u"..."},
        {1691, 11, u"正在清除文件..."},
        {1694, 1, u"卸载完成"},
    };
    EXPECT_EQ(g_lines, expected);

    // Records, file type, profile and shortcuts are gone, and the profile current before the
    // install is current again.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::u16string(Setup::kUninstallRoot) + u"\\Dero Pelgar"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, Setup::kUninstallRoot));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u".dpk"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, u"dpkfile"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, u".txt"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::u16string(kProfiles) + u"\\Dero"));
    EXPECT_EQ(Default(kProfiles), u"Survey");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"software\\quorvane"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"software"));
    EXPECT_FALSE(fs::exists(platform::win::MapToLinux(desktop)));
    EXPECT_FALSE(fs::exists(platform::win::MapToLinux(startMenu)));
    EXPECT_FALSE(fs::exists(C("Users/Surveyor/Start Menu/Programs/Dero 地籍测绘系统")));
    EXPECT_TRUE(fs::exists(C("Users/Surveyor/Start Menu/Programs")));
    EXPECT_TRUE(fs::exists(C("Users/Surveyor/Desktop")));
    EXPECT_FALSE(fs::exists(C("Users/Surveyor/AppData/Microsoft/Internet Explorer/Quick Launch/Dero 9.lnk")));
    EXPECT_TRUE(fs::exists(C("Users/Surveyor/AppData/Microsoft/Internet Explorer/Quick Launch")));
    EXPECT_FALSE(fs::exists(C("Program Files/AutoCAD 2010/dero.arx")));
    EXPECT_TRUE(fs::exists(C("Program Files/AutoCAD 2010/acad.exe")));
    EXPECT_EQ(ReadFile(C("Dero/user.dwg")), "the user's own drawing");
    EXPECT_FALSE(fs::exists(C("Temp/derorecovery")));

    // The company key stays while it holds something else.
    const Setup::CADVer again = LayOutInstall();
    Key(HKEY_CURRENT_USER, u"Software\\Quorvane\\Dero", {{u"Scale", u"500"}});
    Setup::InstallInfo second = Chosen(again);
    Setup::g_progressWindow = g_window;
    Run([&] { second.UninstallProduct(); });
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"software\\quorvane\\install"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"software\\quorvane\\Dero"));
}

// Under the sanitizers the sweep stops at every kStride'th safe point (and at each of the last
// ones before the registering); elsewhere at every one.
#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kStride = 4;
#else
constexpr unsigned kStride = 1;
#endif

TEST_F(UninstallTest, RestoreAfterAStopAnywhereInTheFilePhasePutsEverythingBack) {
    // A stop at each safe point until the page has been told "取消注册..." (from there on the run
    // is past undoing).
    std::map<std::u16string, unsigned> firstStopAfter;  // a line's text: the first stop that had told it
    unsigned restored = 0;
    unsigned n = 1;
    for (;; n += kStride) {
        std::vector<Line> told;
        if (!StopAndRestore(n, {}, &told)) break;
        ++restored;
        for (const Line& line : told) firstStopAfter.emplace(line.text, n);
    }
    for (unsigned m = n > kStride ? n - kStride + 1 : n; m < n; ++m) {
        std::vector<Line> told;
        if (!StopAndRestore(m, {}, &told)) break;
        ++restored;
        for (const Line& line : told) firstStopAfter.emplace(line.text, m);
    }
    // The last stops had the files all moved; the phase has many more safe points than lines.
    EXPECT_TRUE(firstStopAfter.count(u"正在取消注册..."));
    EXPECT_GT(restored * kStride, 10 * firstStopAfter.size());

    // Stops between the operations on one file: after its copy (its deletion fails) and after
    // its deletion (its folder's removal fails); each at every safe point up to the next line.
    struct Stop {
        std::u16string fails;  // deleting this fails
        std::u16string after;  // the line before the operation
        std::u16string until;  // the line after it
    };
    const std::u16string bdwg = u"正在删除 C:\\Dero\\Bin\\Sub\\B.DWG...";
    const std::u16string readme = u"正在删除 C:\\Dero\\readme.txt...";
    const std::u16string arx = u"正在删除 C:\\Program Files\\AutoCAD 2010\\dero.arx...";
    const std::u16string beside = u"正在删除 C:\\Dero2\\x.txt...";
    const std::vector<Stop> stops = {
        {u"C:\\Dero\\Bin\\Sub\\B.DWG", bdwg, readme},
        {u"C:\\Dero\\Bin\\Sub", bdwg, readme},
        {u"C:\\Dero\\Bin", bdwg, readme},
        {u"C:\\Program Files\\AutoCAD 2010\\dero.arx", arx, beside},
        {u"C:\\Dero\\system\\setup.exe", beside, u"正在取消注册..."},
        {u"C:\\Dero\\system", beside, u"正在取消注册..."},
    };
    for (const Stop& stop : stops) {
        SCOPED_TRACE(platform::text::Utf16ToUtf8(stop.fails));
        ASSERT_TRUE(firstStopAfter.count(stop.after));
        const unsigned from = firstStopAfter[stop.after];
        for (unsigned m = from > kStride ? from - kStride + 1 : 1;; ++m) {
            std::vector<Line> told;
            bool last = false;
            ASSERT_TRUE(StopAndRestore(m, {{platform::win::FaultKind::Delete, stop.fails}}, &told, [&] {
                last = Told(stop.until);
                // The failed deletion left the path where it was.
                if (last) {
                    EXPECT_TRUE(fs::exists(platform::win::MapToLinux(stop.fails)));
                }
            }));
            if (last) break;
        }
    }
}

TEST_F(UninstallTest, RestoreKeepsWhatItCannotPutBack) {
    const unsigned registering = FirstStopAfter(u"正在取消注册...");
    const Setup::CADVer d = FreshInstall();
    Setup::InstallInfo info = Chosen(d);
    std::function<void()> work = [&info] { info.UninstallProduct(); };
    const HANDLE worker = UninstallParkedAt(registering, work);
    ASSERT_TRUE(worker);
    platform::win::InjectFault(platform::win::FaultKind::Copy, u"C:\\Dero\\readme.txt");
    g_lines.clear();
    Setup::InstallInfo restore;
    Run([&] { restore.RestoreFromRecovery(); });
    platform::win::ClearFaults();
    EXPECT_EQ(ReadFile(C("Temp/derorecovery/readme.txt")), "readme");
    EXPECT_FALSE(fs::exists(C("Dero/readme.txt")));
    EXPECT_EQ(ReadFile(C("Dero/Bin/a.arx")), "arx");
    EXPECT_EQ(ReadFile(C("Dero2/x.txt")), "beside");
    EXPECT_FALSE(fs::exists(C("Temp/derorecovery/bin/a.arx")));
    const auto reported = std::find_if(g_lines.begin(), g_lines.end(), [](const Line& l) {
        return l.text.find(u"C:\\Dero\\readme.txt") != std::u16string::npos && l.text.find(u"无法恢复") == 0;
    });
    EXPECT_NE(reported, g_lines.end());
    Terminate(worker);
}

TEST_F(UninstallTest, WithoutRoomForABackupTheCopyIsRemovedDirectly) {
    const Setup::CADVer d = LayOutInstall();
    platform::win::SetFreeDiskSpaceOverride(0);
    Setup::InstallInfo info = Chosen(d);
    Setup::g_progressWindow = g_window;
    Run([&] { info.UninstallProduct(); });
    ASSERT_GE(g_lines.size(), 4u);
    EXPECT_EQ(g_lines[0], (Line{1690, 0, u"正在搜索安装信息..."}));
    EXPECT_EQ(g_lines[1], (Line{1695, 0, u"磁盘空间不知，安装程序将删除这些文件"}));
    EXPECT_EQ(g_lines[2], (Line{1690, 0, u"正在查询注册信息..."}));
    EXPECT_EQ(g_lines[3], (Line{1693, 7, u""}));
    EXPECT_EQ(g_lines.back(), (Line{1694, 1, u"卸载成功"}));
    EXPECT_FALSE(fs::exists(C("Temp/derorecovery")));
    EXPECT_FALSE(fs::exists(C("Dero/Bin")));
    EXPECT_FALSE(fs::exists(C("Dero2/x.txt")));
    EXPECT_TRUE(Setup::g_recoveryFiles.empty());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"software\\quorvane"));

    // A standalone product's record lies directly below "Software", which stays even when the
    // record was all it held.
    {
        Setup::InstallInfo standalone;
        standalone.product = u"Dero Mapper";
        standalone.description.relatedFile = u"DeroMap.exe";
        ASSERT_TRUE(DeleteRegistryTreeForTest(u"Software"));
        Key(HKEY_CURRENT_USER, u"Software\\Dero Mapper",
            {{u"installfolder", u"C:\\Dero Mapper"}, {u"register", u"Software\\Dero Mapper\\Profiles\\"}});
        Setup::g_progressWindow = nullptr;
        standalone.LoadOrRemoveInstallRecord(0);
        EXPECT_EQ(standalone.installFolder, u"C:\\Dero Mapper");
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"Software\\Dero Mapper"));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, u"Software"));
        Setup::g_progressWindow = g_window;
    }

    // No install folder known at all: nothing is done.
    g_lines.clear();
    Setup::InstallInfo unknown;
    unknown.product = u"Nothing Here";
    Run([&] { unknown.UninstallProduct(); });
    EXPECT_EQ(g_lines, (std::vector<Line>{
                           {1690, 0, u"正在搜索安装信息..."}, {1690, 0, u"无效路径..."}, {1694, 1, u"卸载完成"}}));

    // A record counting as many files as an int holds: the range is held to it, with a backup
    // and without.
    for (const std::uint64_t space : {std::uint64_t{1} << 40, std::uint64_t{0}}) {
        const Setup::CADVer again = LayOutInstall();
        Key(HKEY_CURRENT_USER, u"software\\quorvane\\install\\Dero Pelgar", {{u"filenum", u"2147483647"}});
        platform::win::SetFreeDiskSpaceOverride(space);
        Setup::InstallInfo whole = Chosen(again);
        g_lines.clear();
        Run([&] { whole.UninstallProduct(); });
        EXPECT_NE(std::find(g_lines.begin(), g_lines.end(), Line{1693, INT_MAX, u""}), g_lines.end()) << space;
    }
}

TEST_F(UninstallTest, FoldersThatAreNotTheProductsOwnAreLeft) {
    // Records naming a drive, the program files or the desktop as the install folder, without a
    // file list; and a folder holding a link to another folder.
    for (const std::u16string folder : {u"C:\\", u"C:\\Program Files", u"c:/users/surveyor/desktop/", u"C:\\Users",
                                        u"C:\\Dero"}) {
        SCOPED_TRACE(platform::text::Utf16ToUtf8(folder));
        Setup::CADVer d = LayOutInstall();
        fs::remove(C("Dero/system/setup.xml"));
        WriteFile(C("Program Files/Other/keep.exe"), "other");
        WriteFile(C("Users/Surveyor/Desktop/notes.txt"), "notes");
        WriteFile(C("Elsewhere/data.txt"), "data");
        fs::create_directory_symlink(C("Elsewhere"), C("Dero/linked"));
        HKEY record;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\quorvane\\install\\Dero Pelgar", 0, KEY_WRITE, &record),
                  ERROR_SUCCESS);
        RegSetValueExW(record, u"installfolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * 2));
        RegCloseKey(record);

        Setup::InstallInfo info = Chosen(d);
        Setup::g_progressWindow = g_window;
        g_lines.clear();
        Run([&] { info.UninstallProduct(); });
        EXPECT_EQ(g_lines.back(), (Line{1694, 1, u"卸载完成"}));
        EXPECT_EQ(ReadFile(C("Program Files/Other/keep.exe")), "other");
        EXPECT_EQ(ReadFile(C("Program Files/AutoCAD 2010/acad.exe")), "host");
        EXPECT_EQ(ReadFile(C("Users/Surveyor/Desktop/notes.txt")), "notes");
        EXPECT_EQ(ReadFile(C("Elsewhere/data.txt")), "data");
        EXPECT_TRUE(fs::exists(C("Windows/system32")));
        EXPECT_TRUE(fs::exists(C("Setup")));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, u"software\\quorvane"));
        if (folder == u"C:\\Dero") {
            // The product's own folder goes, all but the link (and so the folder holding it).
            EXPECT_FALSE(fs::exists(C("Dero/Bin")));
            EXPECT_FALSE(fs::exists(C("Dero/user.dwg")));
            EXPECT_TRUE(fs::is_symlink(C("Dero/linked")));
        } else {
            EXPECT_EQ(ReadFile(C("Dero/Bin/a.arx")), "arx");
            const bool told = std::any_of(g_lines.begin(), g_lines.end(), [](const Line& l) {
                return l.text.find(u"是系统文件夹，未删除") != std::u16string::npos;
            });
            EXPECT_TRUE(told);
        }
    }
}

}  // namespace
