#include "setup/wizard/globals.h"

#include <array>

#include "platform/win/folders.h"

namespace Setup {

std::u16string g_programPath;
std::u16string g_picturePath = u"setup.bmp";
std::u16string g_agreementPath;
std::u16string g_watermarkPath;
std::u16string g_headerPath;
std::u16string g_productFolder;
int g_restartWizard = 0;
int g_deleteWorkFolder = 1;
int g_workerMode = 0;
int g_workerDone = 0;
CADVer g_chosenDescription;

void InitProgramPath() {
    std::array<char16_t, 260> buffer{};
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    g_programPath.assign(buffer.data(), n < buffer.size() ? n : 0);
}

void InitSetupGlobals() {
    g_workerMode = 0;
    g_workerDone = 0;
    g_productFolder.clear();
    g_wizardTitle = u"安装向导";
    g_picturePath = u"setup.bmp";
    g_agreementPath.clear();
    g_totalSize = 0;
    auto slash = g_programPath.rfind(u'\\');
    if (slash != std::u16string::npos) {
        g_programFolder = g_programPath.substr(0, slash);
    }
}

}  // namespace Setup
