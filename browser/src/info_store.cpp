#include "browser/info_store.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "browser/byte_stream.h"
#include "browser/index_xrecord.h"
#include "browser/info_item.h"
#include "browser/item_list.h"
#include "drawingutil/document_lock.h"
#include "platform/cad/documents.h"
#include "platform/ui/afx_common_dialogs.h"
#include "platform/ui/afx_wnd.h"
#include "platform/win/file_handles.h"

namespace {

const char* const kDefaultExtension = "*.info";
const char* const kFilter = "Tallyview(*.info)|*.info||";
const char* const kStoreDictionary = "QV_INDEX";
const char* const kStoreKey = "Tallyview";

// Creates (truncating) the file and writes the image. The message for a file that cannot be
// created is shown here; a write or close that fails is reported by the caller's "保存失败", and
// the file it left is removed, so that no cut-off list is taken for a whole one later.
bool WriteWholeFile(const std::string& gbkPath, const std::vector<std::uint8_t>& image) {
    const HANDLE file =
        CreateFileA(gbkPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        AfxMessageBox("无法保存!", MB_ICONERROR);
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr) &&
              written == image.size();
    ok = CloseHandle(file) && ok;
    if (!ok) DeleteFileA(gbkPath.c_str());
    return ok;
}

// The whole file; empty for a missing file; nothing (after a message) for one that exists but
// cannot be read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& gbkPath) {
    const HANDLE file =
        CreateFileA(gbkPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::vector<std::uint8_t>{};
        AfxMessageBox("无法打开文件!");
        return std::nullopt;
    }
    std::vector<std::uint8_t> image;
    LARGE_INTEGER size{};
    DWORD read = 0;
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart <= 0x7FFFFFFF;
    if (ok) {
        image.resize(static_cast<std::size_t>(size.QuadPart));
        ok = ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &read, nullptr);
        image.resize(read);
    }
    CloseHandle(file);
    if (!ok) {
        AfxMessageBox("无法打开文件!");
        return std::nullopt;
    }
    return image;
}

// Reads a whole list from the stream and swaps it in; a damaged image changes nothing.
bool ReplaceItemsFrom(CByteStream& stream) {
    std::vector<CInfoItem> items;
    if (!ReadInfoItems(stream, items)) {
        AfxMessageBox("文件格式不正确");
        return false;
    }
    BrowserItems().swap(items);
    return true;
}

}  // namespace

void SaveInfoFile() {
    CFileDialog dialog(FALSE, kDefaultExtension, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kFilter);
    if (dialog.DoModal() != IDOK) return;
    CByteStream stream;
    std::uint32_t magic = kInfoFileMagic;
    stream.ReadWriteU32(magic);
    WriteInfoItems(stream, BrowserItems());
    const std::string path(static_cast<const char*>(dialog.GetPathName()));
    AfxMessageBox(WriteWholeFile(path, stream.WriteBuffer()) ? "保存成功" : "保存失败");
}

bool OpenInfoFile() {
    CFileDialog dialog(TRUE, kDefaultExtension, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kFilter);
    if (dialog.DoModal() != IDOK) return false;
    std::optional<std::vector<std::uint8_t>> image = ReadWholeFile(std::string(static_cast<const char*>(dialog.GetPathName())));
    if (!image || image->empty()) return false;
    CByteStream stream(std::move(*image));
    std::uint32_t magic = 0;
    if (!stream.ReadWriteU32(magic) || magic != kInfoFileMagic) {
        AfxMessageBox("文件格式不正确");
        return false;
    }
    if (AfxMessageBox("是否清除并将当前文件中的信息更新到信息窗中?", MB_YESNO) != IDYES) return false;
    return ReplaceItemsFrom(stream);
}

void ExportItemsToDrawing() {
    if (AfxMessageBox("将信息导出到当前图形中？", MB_OKCANCEL) != IDOK) return;
    drawingutil::DocumentLock lock;
    CByteStream stream;
    WriteInfoItems(stream, BrowserItems());
    const std::vector<std::uint8_t>& image = stream.WriteBuffer();
    EraseIndexXrecord(kStoreDictionary, kStoreKey);
    WriteIndexXrecord(kStoreDictionary, kStoreKey, image.data(), image.size());
}

bool ImportItemsFromDrawing() {
    drawingutil::DocumentLock lock;
    bool damaged = false;
    std::optional<std::vector<std::uint8_t>> image = ReadIndexXrecord(kStoreDictionary, kStoreKey, &damaged);
    if (damaged) {
        AfxMessageBox("文件格式不正确");
        return false;
    }
    if (!image || image->empty()) {
        AfxMessageBox("当前图中没有保存信息窗内容");
        return false;
    }
    if (AfxMessageBox("是否清除并将当前图形中的信息更新到信息窗中?", MB_YESNO) != IDYES) return false;
    CByteStream stream(std::move(*image));
    return ReplaceItemsFrom(stream);
}
