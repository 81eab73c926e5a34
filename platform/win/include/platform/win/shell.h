// The shell: special folders, starting programs and documents, change notification and fonts.
//
// The special folders are those of a fresh machine below C: ("C:\Users\<user>\Desktop", the
// start menu under the user's application data, "C:\Windows\Fonts", "C:\Program Files", ...),
// the user being the machine facts' (machine.h). The first time a root's special folders are
// needed they are made, together with the Quick Launch folder, and their "Shell Folders" values
// are written to the registry (HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE
// "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"), as Windows keeps them.
//
// Programs are not run: a launch adds the program to the process table (processes.h) and is
// recorded in the events file with its arguments, like fonts added and change notifications.
#pragma once

#include <string>

#include "platform/win/last_error.h"
#include "platform/win/win_types.h"

constexpr int CSIDL_DESKTOP = 0x0000;
constexpr int CSIDL_PROGRAMS = 0x0002;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_STARTUP = 0x0007;
constexpr int CSIDL_STARTMENU = 0x000B;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_FONTS = 0x0014;
constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x0019;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_LOCAL_APPDATA = 0x001C;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_WINDOWS = 0x0024;
constexpr int CSIDL_SYSTEM = 0x0025;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

// Fills path (MAX_PATH characters) with the folder; false for a folder this machine lacks.
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;

constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_PNF = 3;

// A file or folder opened with a verb (null: "open"); a relative file is looked for in folder.
// A value above 32 on success, else SE_ERR_FNF or SE_ERR_PNF. An ".exe" joins the process table.
// Event: shell VERB "FILE" PARAMETERS
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, int show);

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;

struct STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
using LPSTARTUPINFOW = STARTUPINFOW*;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// The program is applicationName, else the command line's first item (quoted, or the shortest
// run of words naming an existing file, ".exe" added when it has no extension). A missing
// program fails with ERROR_FILE_NOT_FOUND. Both handles are closed with CloseHandle.
// Event: launch "PROGRAM" ARGUMENTS
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentFolder, LPSTARTUPINFOW startupInfo,
                    LPPROCESS_INFORMATION processInformation);

constexpr LONG SHCNE_ALLEVENTS = 0x7FFFFFFF;
constexpr LONG SHCNE_ASSOCCHANGED = 0x08000000;
constexpr UINT SHCNF_IDLIST = 0x0000;
constexpr UINT SHCNF_PATHA = 0x0001;
constexpr UINT SHCNF_PATHW = 0x0005;
constexpr UINT SHCNF_FLUSH = 0x1000;

// Event: notify 0xEVENT 0xFLAGS "ITEM1" "ITEM2" (the items when they are paths).
void SHChangeNotify(LONG eventId, UINT flags, LPCVOID item1, LPCVOID item2);

// The number of fonts added: 1 for an existing font file, else 0. Event: font "PATH"
int AddFontResourceW(LPCWSTR fontFile);

namespace platform::win {

// Makes the special folders of the current root's user and writes their "Shell Folders" values
// when they are not there yet (nothing is overwritten).
void PrepareUserProfile();

// The special folder in Windows form without a trailing backslash, or "" for an unknown one.
std::u16string SpecialFolderPath(int csidl);

}  // namespace platform::win
