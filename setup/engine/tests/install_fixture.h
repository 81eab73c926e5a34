// The install and patch engines on a mapped machine: a package made with gcab in C:\Setup, a
// progress page that records what it is sent, and workers that report to it from another thread.
#pragma once
#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "engine_fixture.h"
#include "platform/text/encoding.h"
#include "platform/ui/answer_source.h"
#include "platform/ui/window_api.h"
#include "platform/win/clock.h"
#include "platform/win/folders.h"
#include "platform/win/path_mapping.h"
#include "platform/win/threads.h"
#include "progress_page.h"
#include "setup/cabinet/progress_messages.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/shortcuts.h"

namespace installtest {

namespace fs = std::filesystem;
using dero::testing::ReadFile;
using dero::testing::WriteFile;

using enginetest::Line;

inline std::vector<Line>& Lines() {
    static std::vector<Line> lines;  // written by the page's thread only
    return lines;
}

// A progress page in small: keeps each message and frees its text, as the pages do.
inline LRESULT PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const bool setup = msg >= Setup::WM_SETUP_STATUS && msg <= Setup::WM_SETUP_REGISTERING;
    const bool patch = msg >= Setup::WM_PATCH_POSITION && msg <= Setup::WM_PATCH_FINISHED;
    if (!setup && !patch && msg != Setup::WM_CAB_INFO && msg != Setup::WM_CAB_ERROR)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    enginetest::Record(Lines(), msg, wParam, lParam);
    return 0;
}

inline bool SaveLink(const Setup::ShellLinkData& link, std::u16string_view path) {
    WriteFile(platform::win::MapToLinux(path), platform::text::Utf16ToUtf8(link.target));
    return true;
}

inline std::string U8(const std::u8string& s) { return std::string(s.begin(), s.end()); }

// The package's folders (UTF-8, with the "/" MakePackage takes).
inline const std::string kCommon = U8(u8"公共文件目录/");
inline const std::string kOwn = U8(u8"安装程序目录/");
inline const std::string kFonts = U8(u8"字体文件目录/");
inline const std::string kRegistration = U8(u8"注册文件目录/");

class InstallTest : public enginetest::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        static const bool registered = enginetest::RegisterPageClass("installpage", &PageProc);
        ASSERT_TRUE(registered);
        window_ = CreateWindowExA(0, "installpage", "page", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(window_);
        Lines().clear();
        Setup::g_progressWindow = window_;
        Setup::g_progressPosition = 0;
        Setup::ShellServices services;
        services.saveLink = &SaveLink;
        services.desktopFolder = []() -> std::u16string { return u"C:\\Users\\Surveyor\\Desktop"; };
        services.appDataFolder = []() -> std::u16string { return u"C:\\Users\\Surveyor\\AppData"; };
        Setup::SetShellServices(services);
        platform::win::UseVirtualClock(true);
        platform::win::SetFreeDiskSpaceOverride(std::uint64_t{1} << 40);
        queue_ = platform::ui::UseAnswerQueue();
        for (const char* folder : {"Temp", "Windows/system32", "Windows/Fonts", "Users/Surveyor/Desktop",
                                   "Program Files/AutoCAD 2010"})
            fs::create_directories(C(folder));
    }
    void TearDown() override {
        platform::ui::SetAnswerDriver(nullptr);
        platform::win::SetFreeDiskSpaceOverride(std::nullopt);
        platform::win::UseVirtualClock(false);
        Setup::SetShellServices({});
        Setup::g_progressWindow = nullptr;
        Setup::g_progressPosition = 0;
        Setup::g_installBackups.Clear();
        Setup::g_patchBackups.Clear();
        Setup::g_installRecoveryFolder.clear();
        Setup::g_currentInstallFolder.clear();
        Setup::g_uninstallRecoveryFolder.clear();
        DestroyWindow(window_);
        Setup::g_backdropWindow = nullptr;
        if (backdropParent_) DestroyWindow(backdropParent_);
        EngineTest::TearDown();
    }

    // A backdrop in front of another window (both below one parent, whose children keep their
    // order); BackdropAtTheBottom tells whether a run moved it behind, unmoved and unsized.
    void MakeBackdrop() {
        backdropParent_ = CreateWindowExA(0, "installpage", "parent", 0, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
        other_ = CreateWindowExA(0, "installpage", "other", WS_CHILD, 1, 2, 3, 4, backdropParent_, nullptr, nullptr, nullptr);
        backdrop_ = CreateWindowExA(0, "installpage", "backdrop", WS_CHILD, 5, 6, 70, 80, backdropParent_, nullptr, nullptr,
                                    nullptr);
        SetWindowPos(backdrop_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Setup::g_backdropWindow = backdrop_;
    }
    bool BackdropAtTheBottom() const {
        RECT r{};
        GetWindowRect(backdrop_, &r);
        return GetWindow(other_, GW_HWNDNEXT) == backdrop_ && r.left == 5 && r.top == 6 && r.right == 75 && r.bottom == 86;
    }
    HWND backdropParent_ = nullptr, other_ = nullptr, backdrop_ = nullptr;

    // Writes "C:\Setup\data.cab" holding the files (UTF-8 relative paths with "/").
    void MakePackage(const std::vector<std::pair<std::string, std::string>>& files) {
        const std::string src = Root() + "/pkg";
        fs::remove_all(src);
        std::string names;
        for (const auto& [path, bytes] : files) {
            WriteFile(src + "/" + path, bytes);
            names += " '" + path + "'";
        }
        ASSERT_EQ(0, std::system(("cd " + src + " && gcab -c -z " + C("Setup/data.cab") + names + " >/dev/null 2>&1").c_str()));
        fs::remove_all(src);
    }

    // Every file below C:\ with its bytes, the work folder left out.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(C(""))) {
            const std::string name = entry.path().string().substr(C("").size());
            if (entry.is_regular_file() && name.rfind("Temp/derosetup", 0) != 0) files[name] = ReadFile(entry.path());
        }
        return files;
    }

    // A stopped worker keeps its files in the work folder open for good; the next run extracts
    // into a fresh one while the old one is moved out of the machine's way.
    void SetWorkFolderAside() {
        static unsigned moved = 0;
        fs::create_directories(Root() + "/aside");
        if (fs::exists(C("Temp/derosetup"))) fs::rename(C("Temp/derosetup"), Root() + "/aside/" + std::to_string(++moved));
    }

    // Runs work on a worker thread while this thread handles the page's messages.
    void OnWorker(const std::function<void()>& work) {
        std::atomic<bool> done{false};
        const HWND window = window_;
        std::thread worker([&] {
            work();
            done = true;
            PostMessageW(window, WM_APP + 5, 0, 0);
        });
        MSG msg;
        while (!done && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
        worker.join();
    }

    // Handles the page's messages until the worker parks (true) or ends (false).
    static bool PumpUntilParked(HANDLE thread) {
        for (;;) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            if (platform::win::WaitUntilParked(thread, 0)) return true;
            if (WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) {
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                return false;
            }
            std::this_thread::yield();
        }
    }
    static int Count(UINT msg) {
        return static_cast<int>(std::count_if(Lines().begin(), Lines().end(), [msg](const Line& l) { return l.msg == msg; }));
    }

    HWND window_ = nullptr;
    std::shared_ptr<platform::ui::AnswerQueue> queue_;
};

}  // namespace installtest
