#include "setup/program/setup_app.h"

#include <memory>

#include "platform/text/encoding.h"
#include "platform/text/format.h"
#include "platform/ui/resources.h"
#include "platform/ui/window_api.h"
#include "platform/win/code_pages.h"
#include "platform/win/com.h"
#include "platform/win/crt_files.h"
#include "platform/win/files.h"
#include "platform/win/folders.h"
#include "platform/win/processes.h"
#include "platform/win/security.h"
#include "platform/win/system_info.h"
#include "platform/win/threads.h"
#include "setup/engine/disk_space.h"
#include "setup/engine/file_backup.h"
#include "setup/engine/install_state.h"
#include "setup/engine/setup_xml.h"
#include "setup/engine/work_folder.h"
#include "setup/program/patch_sheet.h"
#include "setup/program/payload_directory.h"
#include "setup/wizard/backdrop.h"
#include "setup/wizard/busy_window.h"
#include "setup/wizard/globals.h"
#include "setup/wizard/restart_state.h"
#include "setup/wizard/setup_sheet.h"
#include "program_shell.h"

namespace Setup {
namespace {

namespace crt = platform::win;

constexpr std::uint64_t kBusyWindowMegabytes = 10;

std::string Ansi(const std::u16string& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.pop_back();
    return out;
}

std::u16string FolderOf(const std::u16string& path) {
    const auto slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::u16string TempPath() {
    char16_t buffer[260] = {};
    const DWORD n = GetTempPathW(260, buffer);
    return std::u16string(buffer, n < 260 ? n : 0);
}

// The program file's size in whole megabytes, plus one; false when it cannot be found.
bool ProgramMegabytes(std::uint64_t* megabytes) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(g_programPath.c_str(), GetFileExInfoStandard, &data)) return false;
    const std::uint64_t bytes = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    *megabytes = bytes / 1048576 + 1;
    return true;
}

bool IsPicture(const std::u16string& path) {
    return path.find(kWatermarkPictureName) != std::u16string::npos ||
           path.find(kHeaderPictureName) != std::u16string::npos;
}

// The backdrop lives as long as the process: it is made once and ended after the last wizard.
CDialogBackGround& Backdrop() {
    static CDialogBackGround backdrop;
    return backdrop;
}

}  // namespace

CDero安装向导App::CDero安装向导App() : CWinApp("setup") {}

bool QueryTokenElevation(DWORD* elevationType) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    DWORD type = 0;
    DWORD length = 0;
    const bool read = GetTokenInformation(token, TokenElevationType, &type, sizeof type, &length) != FALSE;
    CloseHandle(token);
    if (read) *elevationType = type;
    return read;
}

std::u16string WorkFolderPath() {
    std::u16string folder = TempPath();
    if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
    return folder + u"derosetup";
}

BOOL CDero安装向导App::InitInstance() {
    CWaitCursor wait;
    OleInitialize(nullptr);
    platform::ui::SetApplicationResources(SetupResources());
    selfDelete = 0;

    // A token without a value to act on (no account control, or a failing query) is let through.
    DWORD elevation = 0;
    if (QueryTokenElevation(&elevation) && elevation == TokenElevationTypeLimited) {
        ::MessageBoxA(nullptr, "权限不足，请调整用户权限，然后重启后再尝试", "", MB_OK);
        return FALSE;
    }
    if (ReadRunOnceEntry()) {
        if (::MessageBoxA(nullptr, "需要重启，单击确认立即重启，取消稍后重启", "",
                          MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK)
            RebootSystem();
        return FALSE;
    }
    const std::u16string workFolder = WorkFolderPath();

    bool backdropMade = false;
    for (;;) {
        InitSetupGlobals();
        BusyWindow busy;
        std::uint64_t megabytes = 0;
        bool busyShown = false;
        if (ProgramMegabytes(&megabytes)) {
            std::uint64_t available = 0, total = 0, free = 0;
            GetDiskFreeMegabytes(workFolder, &available, &total, &free);
            if (2 * megabytes > available) {
                ::MessageBoxA(nullptr, "请先确保系统目录具有足够空间并可写以继续", "", MB_OK);
                return FALSE;
            }
            if (megabytes > kBusyWindowMegabytes) {
                busy.ShowBusyWindow(g_wizardTitle.c_str(), u"安装程序正在解压数据");
                busyShown = true;
            }
        }
        // What someone else left in the shared temporary folder is neither unpacked into nor run.
        if (!RenewWorkFolder(workFolder, StartUpTopFiles(g_programPath, workFolder))) {
            if (busyShown) busy.CloseBusyWindow();
            const std::u16string text = platform::text::Format(u"无法清理临时目录 %s，安装程序不能继续", workFolder);
            ::MessageBoxW(nullptr, text.c_str(), u"", MB_OK | MB_ICONERROR);
            return FALSE;
        }
        PayloadPaths paths;
        int count = 0;
        ExtractAppendedPayload(g_programPath, workFolder, &paths, &count);
        if (busyShown) busy.CloseBusyWindow();

        // The files other than the two wizard pictures, in slot order.
        std::vector<std::u16string> files;
        for (const std::u16string& path : paths)
            if (!path.empty() && !IsPicture(path)) files.push_back(path);
        if (count > 2) {
            // The payload is a whole installer of its own.
            detail::OpenProgram(workFolder + u"\\setup.exe");
            return FALSE;
        }
        if (count == 2 || count == 1) {
            if (count == 2) g_picturePath = files[0];
            g_agreementPath = files[count == 2 ? 1 : 0];
            g_watermarkPath = workFolder + u"\\" + kWatermarkPictureName;
            g_headerPath = workFolder + u"\\" + kHeaderPictureName;
        }

        LoadSetupXml();
        if (g_wizardMode != 0 && g_wizardMode != 1) break;

        CWnd* parent = nullptr;
        if (g_useBackground == 1) {
            CDialogBackGround& backdrop = Backdrop();
            if (!backdropMade) backdropMade = backdrop.Create(IDD_BACKDROP) != FALSE;
            if (backdropMade) {
                g_backdropWindow = backdrop.m_hWnd;
                ::ShowWindow(backdrop.m_hWnd, SW_SHOWNORMAL);
                ::SetForegroundWindow(backdrop.m_hWnd);
                m_pMainWnd = &backdrop;
                parent = &backdrop;
            }
        }
        g_restartWizard = 0;
        if (g_wizardMode == 0) {
            auto sheet = std::make_unique<CSetUpSheet>(u"欢迎使用Dero安装向导!", parent);
            if (!parent) m_pMainWnd = sheet.get();
            sheet->SetWizardMode();
            sheet->DoModal();
            selfDelete = sheet->selfDelete;
        } else {
            auto sheet = std::make_unique<CPatchSheet>(u"欢迎使用补丁程序!", parent);
            if (!parent) m_pMainWnd = sheet.get();
            sheet->SetWizardMode();
            sheet->DoModal();
        }
        m_pMainWnd = parent;
        if (g_restartWizard != 1) break;
    }
    if (g_deleteWorkFolder) DeletePathRecursive(workFolder);
    g_backdropWindow = nullptr;
    if (backdropMade) Backdrop().EndDialog(1);
    m_pMainWnd = nullptr;
    return FALSE;
}

int CDero安装向导App::ExitInstance() {
    if (selfDelete) WriteSelfDeleteBatch();
    return CWinApp::ExitInstance();
}

DWORD WriteSelfDeleteBatch() {
    char16_t comspec[260] = {};
    DWORD n = GetEnvironmentVariableW(u"COMSPEC", comspec, 260);
    if (n == 0 || n >= 260) return 0;
    char16_t shortPath[260] = {};
    n = GetShortPathNameW(g_programPath.c_str(), shortPath, 260);
    if (n == 0 || n >= 260) return 0;
    const std::u16string program = shortPath;

    std::u16string batch = TempPath();
    if (!batch.empty() && batch.back() != u'\\') batch += u'\\';
    batch += u"derodel.bat";
    std::u16string command;
    if (crt::FILE* file = crt::fopen(Ansi(batch).c_str(), "w")) {
        std::string text = ":repeat";
        auto line = [&](const char* verb, const std::u16string& path) { text += "\n" + std::string(verb) + Ansi(path); };
        line("del /Q ", program);
        text += "\nif exist " + Ansi(program) + " goto Repeat";
        // Without a product folder the lines would name folders of the current drive's root.
        if (!g_productFolder.empty()) {
            for (const char16_t* below : {u"\\blocks", u"\\bin", u"\\demo"}) line("rd /Q ", g_productFolder + below);
        }
        const std::u16string folder = FolderOf(program);
        line("rd /Q ", folder);
        line("rd /Q ", FolderOf(folder));
        line("del /Q ", batch);
        crt::fwrite(text.data(), 1, text.size(), file);
        crt::fclose(file);
        command = batch;
    } else {
        command = u"del " + program;
    }

    detail::StartedProcess process;
    if (!detail::StartSuspended(std::u16string(comspec) + u" /c " + command, &process)) return GetLastError();
    // This process ends first, so that the batch finds the program file unlocked.
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    SetFileAttributesW(g_programPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetPriorityClass(process.process, BELOW_NORMAL_PRIORITY_CLASS);
    ResumeThread(process.thread);
    CloseHandle(process.thread);
    CloseHandle(process.process);
    return 0;
}

}  // namespace Setup
