#include "browser/info_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "browser/byte_stream.h"
#include "browser/index_xrecord.h"
#include "browser/info_item.h"
#include "browser/item_list.h"
#include "platform/cad/documents.h"
#include "platform/ui/afx_common_dialogs.h"
#include "platform/ui/afx_wnd.h"
#include "platform/win/path_mapping.h"

namespace {

const char* const kDefaultExtension = "*.info";
const char* const kFilter = "Tallyview(*.info)|*.info||";
const char* const kStoreDictionary = "QV_INDEX";
const char* const kStoreKey = "Tallyview";

// Creates (truncating) the file and writes the image. The message for a file that cannot be
// created is shown here; a write or close that fails is reported by the caller's "保存失败".
bool WriteWholeFile(const std::string& gbkPath, const std::vector<std::uint8_t>& image) {
    const std::string path = platform::win::MapToLinux(gbkPath);
    int fd = path.empty() ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        AfxMessageBox("无法保存!", MB_ICONERROR);
        return false;
    }
    bool ok = true;
    for (std::size_t done = 0; ok && done < image.size();) {
        ssize_t n = ::write(fd, image.data() + done, image.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && ok;
}

// The whole file; empty for a missing file; nothing (after a message) for one that exists but
// cannot be read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& gbkPath) {
    const std::string path = platform::win::MapToLinux(gbkPath);
    if (path.empty() || ::access(path.c_str(), F_OK) != 0) return std::vector<std::uint8_t>{};
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> image;
    if (in) image.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
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

// Holds the current document locked for writing for as long as it lives.
class DocumentWriteLock {
public:
    DocumentWriteLock() : m_document(acDocManager->curDocument()) {
        if (m_document != nullptr && acDocManager->lockDocument(m_document) != Acad::eOk) m_document = nullptr;
    }
    ~DocumentWriteLock() {
        if (m_document != nullptr) acDocManager->unlockDocument(m_document);
    }
    DocumentWriteLock(const DocumentWriteLock&) = delete;
    DocumentWriteLock& operator=(const DocumentWriteLock&) = delete;

private:
    AcApDocument* m_document;
};

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
    DocumentWriteLock lock;
    CByteStream stream;
    WriteInfoItems(stream, BrowserItems());
    const std::vector<std::uint8_t>& image = stream.WriteBuffer();
    EraseIndexXrecord(kStoreDictionary, kStoreKey);
    WriteIndexXrecord(kStoreDictionary, kStoreKey, image.data(), image.size());
}

bool ImportItemsFromDrawing() {
    DocumentWriteLock lock;
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
