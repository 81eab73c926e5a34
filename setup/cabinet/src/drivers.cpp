#include "setup/cabinet/drivers.h"

#include <cstdio>
#include <cstring>

#include "setup/cabinet/extract.h"
#include "setup/cabinet/progress_messages.h"

namespace Cabinet {
namespace {

// Trace lines for a console, when one is attached; they never stop an extraction.
std::string Printable(std::u16string_view name) {
    std::string narrow;
    for (char16_t c : name) {
        if (c > 127) return "Console cannot display Unicode filename";
        narrow.push_back(static_cast<char>(c));
    }
    return narrow;
}

int OnBeforeCopyFile(CabFileInfo* file, void*) {
    std::printf("Callback OnBeforeCopyFile: %s\n", Printable(file->fileName).c_str());
    return 1;
}

int OnAfterCopyFile(const WCHAR* targetPath, MemoryTarget* memory, void*) {
    const std::u16string_view path(targetPath);
    const std::size_t cut = path.rfind(u'\\');
    const std::string name = Printable(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
    std::printf("Callback OnAfterCopyFile:  %s\n", name.c_str());
    std::printf("Callback OnBeforeCopyFile: %s\n", name.c_str());
    // The content then ends like a wide text.
    if (memory && memory->data) {
        memory->data[memory->used] = 0;
        memory->data[memory->used + 1] = 0;
    }
    return 0;
}

int OnCabinetInfo(CabInfo* cabinet, void*) {
    std::printf("Callback OnCabinetInfo: %s\n", cabinet->nextCabinet.c_str());
    return 0;
}

int OnNextCabinet(CabInfo* cabinet, int, void*) {
    std::printf("Callback OnNextCabinet: %s\n", cabinet->nextDisk.c_str());
    return 0;
}

std::size_t KeyLength(const char* key) { return key ? std::strlen(key) : 0; }

}  // namespace

int QueryCabinetInfo(const std::u16string& cabinetPath, std::uint32_t* size, std::uint32_t* secondSize,
                     std::uint32_t* fileCount, const char* key) {
    *secondSize = 0;
    *fileCount = 0;
    CExtract extract;
    extract.SetExtractorKey(key, KeyLength(key));
    if (!extract.OpenFdiContext()) return 0;
    FDICABINETINFO info{};
    int result = 0;
    if (extract.IsCabinetFile(cabinetPath, &info)) {
        *size = static_cast<std::uint32_t>(info.cbCabinet);
        *secondSize = static_cast<std::uint32_t>(info.cbCabinet);
        *fileCount = info.cFiles;
        result = 1;
    }
    extract.CleanUp();
    return result;
}

bool ExtractCabinetFile(const std::u16string& cabinetPath, const std::u16string& destination, HWND window,
                        const char* key) {
    CExtract extract;
    extract.SetExtractorKey(key, KeyLength(key));
    ExtractCallbacks callbacks;
    callbacks.beforeCopy = OnBeforeCopyFile;
    callbacks.afterCopy = OnAfterCopyFile;
    callbacks.cabinetInfo = OnCabinetInfo;
    callbacks.nextCabinet = OnNextCabinet;
    extract.SetCallbacks(callbacks);
    Setup::SendProgressText(window, Setup::WM_CAB_INFO, 0, u"准备解压...");
    if (!extract.OpenFdiContext()) {
        Setup::SendProgressText(window, Setup::WM_CAB_ERROR, 0, u"致命错误,启动解压进程失败");
        return false;
    }
    bool whole = false;
    FDICABINETINFO info{};
    if (!extract.IsCabinetFile(cabinetPath, &info)) {
        Setup::SendProgressText(window, Setup::WM_CAB_ERROR, 0, u"致命错误,文件不是cab格式");
    } else if (extract.ExtractCabinet(cabinetPath, destination, nullptr)) {
        Setup::SendProgressText(window, Setup::WM_CAB_INFO, 0, u"成功解压所有文件");
        whole = true;
    } else {
        // Fatal: the run must not install from a partly extracted folder.
        Setup::SendProgressText(window, Setup::WM_CAB_ERROR, 0, u"错误,部分文件未解压成功,数据可能已经损坏");
    }
    extract.CleanUp();
    return whole;
}

}  // namespace Cabinet
