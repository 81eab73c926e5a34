// The cabinet extractor over FDI. FDI's callbacks carry no context, so they find the extractor of
// the calling thread in one thread-local slot.
#include "setup/cabinet/extract.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "platform/text/encoding.h"
#include "platform/ui/window_api.h"
#include "platform/win/crt_files.h"
#include "platform/win/file_handles.h"
#include "platform/win/file_times.h"
#include "platform/win/files.h"
#include "platform/win/modules.h"
#include "platform/win/thread_slots.h"

namespace Cabinet {
namespace {

const DWORD g_slot = TlsAlloc();

constexpr std::size_t kScratchSize = 65536;
constexpr unsigned kLargestDecipheringRead = kScratchSize - 8;
constexpr std::int32_t kFirstPseudoHandle = static_cast<std::int32_t>(0xFF000000u);
constexpr int kOpenCabinet = 0x8020;  // binary, sequential, read-only
constexpr int kOpenOutput = 0x8321;   // binary, truncate, create, sequential, write-only
constexpr int kReadPermission = 0x100;
constexpr int kWritePermission = 0x80;
constexpr int kFirstEncipheredOffset = 56;
constexpr std::size_t kFolderLimit = 1000;

CExtract* Current() { return g_slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<CExtract*>(TlsGetValue(g_slot)); }

void* FdiAlloc(ULONG size) { return ::operator new(size, std::nothrow); }
void FdiFree(void* block) { ::operator delete(block); }

INT_PTR FdiOpen(char* path, int flags, int) {
    CExtract* extract = Current();
    if (!extract) return -1;
    return extract->TrackedOpen(platform::text::Utf8ToUtf16(path), flags, kReadPermission);
}
UINT FdiRead(INT_PTR handle, void* buffer, UINT count) {
    CExtract* extract = Current();
    const int got = extract ? extract->TrackedRead(static_cast<std::int32_t>(handle), buffer, count) : -1;
    return got < 0 ? UINT_MAX : static_cast<UINT>(got);
}
UINT FdiWrite(INT_PTR handle, void* buffer, UINT count) {
    CExtract* extract = Current();
    const int done = extract ? extract->TrackedWrite(static_cast<std::int32_t>(handle), buffer, count) : -1;
    return done < 0 ? UINT_MAX : static_cast<UINT>(done);
}
int FdiClose(INT_PTR handle) {
    CExtract* extract = Current();
    return extract ? extract->TrackedClose(static_cast<std::int32_t>(handle)) : -1;
}
long FdiSeek(INT_PTR handle, long distance, int origin) {
    CExtract* extract = Current();
    return extract ? extract->TrackedSeek(static_cast<std::int32_t>(handle), distance, origin) : -1;
}
INT_PTR FdiNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
    CExtract* extract = Current();
    return extract ? extract->Notify(type, note) : -1;
}

bool EqualNoCase(const std::u16string& a, const std::u16string& b) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
               return lower(x) == lower(y);
           });
}

// A member name as a path below the destination: either separator, no leading one, and no
// component that climbs out, names a drive or holds a character Windows refuses.
bool MakeRelative(std::u16string* name) {
    std::replace(name->begin(), name->end(), u'/', u'\\');
    name->erase(0, name->find_first_not_of(u'\\'));
    if (name->empty() || name->back() == u'\\') return false;
    std::size_t start = 0;
    while (start <= name->size()) {
        std::size_t end = name->find(u'\\', start);
        if (end == std::u16string::npos) end = name->size();
        const std::u16string_view part(name->data() + start, end - start);
        if (part.empty() || part == u"." || part == u"..") return false;
        for (char16_t c : part)
            if (c < 32 || c == 0xFFFD || std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos)
                return false;
        start = end + 1;
    }
    return true;
}

// The stored DOS date and time as a UTC file time; attribute 0x100 marks a time stored as UTC, any
// other is local.
bool StoredTime(WORD date, WORD time, WORD attributes, FILETIME* utc) {
    FILETIME stored{};
    if (!DosDateTimeToFileTime(date, time, &stored)) return false;
    if (attributes & 0x100) {
        *utc = stored;
        return true;
    }
    return LocalFileTimeToFileTime(&stored, utc) != FALSE;
}

// Sets the stored time as the open file's creation and last-write times.
bool StampStoredTime(HANDLE file, WORD date, WORD time, WORD attributes) {
    FILETIME utc{};
    return StoredTime(date, time, attributes, &utc) && SetFileTime(file, &utc, nullptr, &utc) != FALSE;
}

// Of the stored attributes the file keeps read-only, hidden, system and archive.
DWORD KeptAttributes(WORD attributes) {
    const DWORD kept = attributes & 0x27;
    return kept ? kept : FILE_ATTRIBUTE_NORMAL;
}

// Sets the stored time and the kept attributes through the open file at once, as closing it and
// setting them by its path would leave it.
bool StampOpenFile(HANDLE file, WORD date, WORD time, WORD attributes) {
    FILETIME utc{};
    if (!StoredTime(date, time, attributes, &utc)) return false;
    FILE_BASIC_INFO info{};
    info.CreationTime.QuadPart = static_cast<LONGLONG>((ULONGLONG(utc.dwHighDateTime) << 32) | utc.dwLowDateTime);
    info.LastWriteTime = info.CreationTime;
    info.FileAttributes = KeptAttributes(attributes);
    return SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != FALSE;
}

// What the walk from the destination to a member found: whether a folder on the member's way
// below the destination, or the member's own file, is a link (writing the member would then write
// where the link points); whether the member's own folder was seen to be a folder; and whether its
// file was seen missing. Each part of the way is asked of once.
struct MemberWay {
    bool link = false;
    bool folderThere = false;
    bool fileMissing = false;
};

MemberWay WalkToMember(const std::u16string& destination, const std::u16string& relative) {
    MemberWay way;
    for (std::size_t end = relative.find(u'\\');; end = relative.find(u'\\', end + 1)) {
        const std::u16string path = destination + relative.substr(0, end);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        // Nothing there: nothing below it either.
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            way.fileMissing = true;
            return way;
        }
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            way.link = true;
            return way;
        }
        if (end == std::u16string::npos) return way;
        // Only the member's own folder counts: the next part is its file.
        way.folderThere =
            (attributes & FILE_ATTRIBUTE_DIRECTORY) && relative.find(u'\\', end + 1) == std::u16string::npos;
    }
}

// The output path OnCopyFile opens while its walk has found nothing there: FileOpen then has no
// read-only file to make writable. Held only around that one open, on the extracting thread (the
// open's signature is the derived classes' and carries no more).
thread_local const std::u16string* t_missingOutput = nullptr;

class MissingOutput {
public:
    MissingOutput(const std::u16string& path, bool missing) {
        if (missing) t_missingOutput = &path;
    }
    ~MissingOutput() { t_missingOutput = nullptr; }
    MissingOutput(const MissingOutput&) = delete;
    MissingOutput& operator=(const MissingOutput&) = delete;
};

// A cabinet named by another is looked for beside it: a plain file name only.
bool IsPlainFileName(const std::u16string& name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    for (char16_t c : name)
        if (c < 32 || c == 0xFFFD || std::u16string_view(u"\\/<>:\"|?*").find(c) != std::u16string_view::npos)
            return false;
    return true;
}

std::u16string StoredNameToWide(const char* stored, std::uint16_t attributes, bool* valid) {
    const std::string_view bytes(stored ? stored : "");
    *valid = true;
    if (attributes & _A_NAME_IS_UTF) {
        std::u16string wide = platform::text::Utf8ToUtf16(bytes);
        // Undecodable or overlong forms would come back different; such a name is refused.
        if (platform::text::Utf16ToUtf8(wide) != bytes) *valid = false;
        return wide;
    }
    std::u16string wide;
    wide.reserve(bytes.size());
    for (unsigned char c : bytes) wide.push_back(c);
    return wide;
}

}  // namespace

HandlePositionMap::HandlePositionMap() : keys_(4), values_(4) {}

bool HandlePositionMap::Find(std::int32_t handle, std::int32_t* position) const {
    for (std::size_t i = 0; i < count_; ++i)
        if (keys_[i] == handle) {
            *position = values_[i];
            return true;
        }
    return false;
}

bool HandlePositionMap::Contains(std::int32_t handle) const {
    std::int32_t ignored = 0;
    return Find(handle, &ignored);
}

void HandlePositionMap::Set(std::int32_t handle, std::int32_t position) {
    for (std::size_t i = 0; i < count_; ++i)
        if (keys_[i] == handle) {
            values_[i] = position;
            return;
        }
    if (count_ == keys_.size()) {
        keys_.resize(keys_.size() * 2);
        values_.resize(values_.size() * 2);
    }
    keys_[count_] = handle;
    values_[count_] = position;
    ++count_;
}

void HandlePositionMap::Remove(std::int32_t handle) {
    for (std::size_t i = 0; i < count_; ++i)
        if (keys_[i] == handle) {
            --count_;
            keys_[i] = keys_[count_];
            values_[i] = values_[count_];
            return;
        }
}

CExtract::CExtract() : owner_(GetCurrentThreadId()) {}

CExtract::~CExtract() {
    CleanUp();
    if (cabinetModule_) FreeLibrary(cabinetModule_);
    delete[] memory_.data;
    delete[] scratch_;
}

bool CExtract::OnOwnerThread() {
    if (GetCurrentThreadId() == owner_) return true;
    Record(kErrorWrongThread, 0);
    return false;
}

void CExtract::ClearError() { error_ = ExtractError{}; }

void CExtract::Record(int ownCode, DWORD systemCode) {
    error_.ownCode = ownCode;
    error_.systemCode = systemCode;
}

void CExtract::SetExtractorKey(const char* key, std::size_t length) {
    BlowfishSetKey(&blowfish_, reinterpret_cast<const unsigned char*>(key), key ? length : 0);
    if (!scratch_) {
        scratch_ = new (std::nothrow) unsigned char[kScratchSize];
        if (!scratch_) throw "Fatal error: Out of memory!";
    }
}

bool CExtract::OpenFdiContext() {
    if (!OnOwnerThread()) return false;
    if (g_slot == TLS_OUT_OF_INDEXES) {
        Record(0, 14);
        return false;
    }
    CExtract* holder = Current();
    if (holder && holder != this) {
        Record(kErrorThreadBusy, 0);
        return false;
    }
    if (!TlsSetValue(g_slot, this)) {
        Record(0, 14);
        return false;
    }
    ClearError();
    if (context_) return false;
    if (!cabinetModule_ && !LoadDecompressor()) return false;
    context_ = fdiCreate_(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek, cpu80386, &error_.fdi);
    return context_ != nullptr;
}

bool CExtract::LoadDecompressor() {
    cabinetModule_ = LoadLibraryW(u"Cabinet.dll");
    if (cabinetModule_) {
        fdiCreate_ = reinterpret_cast<decltype(fdiCreate_)>(GetProcAddress(cabinetModule_, "FDICreate"));
        fdiCopy_ = reinterpret_cast<decltype(fdiCopy_)>(GetProcAddress(cabinetModule_, "FDICopy"));
        fdiIsCabinet_ = reinterpret_cast<decltype(fdiIsCabinet_)>(GetProcAddress(cabinetModule_, "FDIIsCabinet"));
        fdiDestroy_ = reinterpret_cast<decltype(fdiDestroy_)>(GetProcAddress(cabinetModule_, "FDIDestroy"));
        if (fdiCreate_ && fdiCopy_ && fdiIsCabinet_ && fdiDestroy_) return true;
        FreeLibrary(cabinetModule_);
    }
    cabinetModule_ = nullptr;
    Record(kErrorNoDecompressor, 0);
    return false;
}

bool CExtract::CleanUp() {
    if (!OnOwnerThread()) return false;
    if (!context_) {
        if (g_slot != TLS_OUT_OF_INDEXES && Current() == this) TlsSetValue(g_slot, nullptr);
        return true;
    }
    const BOOL destroyed = fdiDestroy_(context_);
    context_ = nullptr;
    delete[] memory_.data;
    memory_ = MemoryTarget{};
    if (destroyed && g_slot != TLS_OUT_OF_INDEXES) TlsSetValue(g_slot, nullptr);
    return destroyed != FALSE;
}

int CExtract::IsCabinetFile(const std::u16string& path, FDICABINETINFO* info) {
    if (!OnOwnerThread()) return 0;
    if (!context_) return 0;
    ClearError();
    positions_.Clear();
    memoryMode_ = false;
    const std::int32_t handle = TrackedOpen(path, kOpenCabinet, kReadPermission);
    if (handle <= 0) return 0;
    FDICABINETINFO local{};
    const BOOL result = fdiIsCabinet_(context_, handle, info ? info : &local);
    FdiClose(handle);
    return result;
}

bool CExtract::ExtractCabinet(const std::u16string& cabinetPath, const std::u16string& destination, void* user) {
    if (!OnOwnerThread()) return false;
    if (!context_) return false;
    user_ = user;
    abort_ = false;
    outputHandle_ = 0;
    outputPath_.clear();
    ClearError();
    positions_.Clear();
    processed_.clear();

    destination_ = destination;
    if (destination_.size() > 1 && destination_.back() != u'\\') destination_ += u'\\';
    memoryMode_ = EqualNoCase(destination_, u"MEMORY\\");
    const std::size_t cut = cabinetPath.rfind(u'\\');
    cabinetFolder_ = cut == std::u16string::npos ? u"" : cabinetPath.substr(0, cut + 1);
    std::u16string name = cut == std::u16string::npos ? cabinetPath : cabinetPath.substr(cut + 1);
    if (destination_.size() <= 2 || cabinetFolder_.size() <= 1 || name.size() <= 1) {
        Record(kErrorBadArguments, 0);
        return false;
    }

    std::string folder = platform::text::Utf16ToUtf8(cabinetFolder_);
    nextCabinet_ = name;
    for (;;) {
        processed_.push_back(name);
        std::string narrowName = platform::text::Utf16ToUtf8(name);
        if (!fdiCopy_(context_, narrowName.data(), folder.data(), 0, FdiNotify, nullptr, user_)) break;
        if (EqualNoCase(nextCabinet_, name)) break;
        // A set that names a cabinet outside its folder, or one already done, ends here.
        if (!IsPlainFileName(nextCabinet_)) {
            Record(kErrorBadName, kErrorInvalidName);
            break;
        }
        if (std::any_of(processed_.begin(), processed_.end(),
                        [&](const std::u16string& done) { return EqualNoCase(done, nextCabinet_); })) {
            Record(FDIERROR_WRONG_CABINET, 0);
            break;
        }
        name = nextCabinet_;
    }

    if (outputHandle_ != 0) TrackedClose(outputHandle_);
    if (abort_ && !outputPath_.empty()) DeleteFileW(outputPath_.c_str());
    return !error_.fdi.fError && error_.ownCode == 0 && error_.systemCode == 0;
}

int CExtract::FileRead(std::int32_t handle, void* buffer, unsigned count) {
    return platform::win::_read(handle, buffer, count);
}
int CExtract::FileWrite(std::int32_t handle, const void* buffer, unsigned count) {
    return platform::win::_write(handle, buffer, count);
}
int CExtract::FileClose(std::int32_t handle) { return platform::win::_close(handle); }
long CExtract::FileSeek(std::int32_t handle, long distance, int origin) {
    return platform::win::_lseek(handle, distance, origin);
}
std::int32_t CExtract::FileOpen(const std::u16string& path, int flags, int permission) {
    // An earlier extraction may have left the file read-only.
    const bool known = t_missingOutput && *t_missingOutput == path;
    if ((flags & 0x100) && !known) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return platform::win::_wopen(path.c_str(), flags, permission);
}

std::int32_t CExtract::TrackedOpen(const std::u16string& path, int flags, int permission) {
    const std::int32_t handle = FileOpen(path, flags, permission);
    if (permission & kWritePermission) {
        outputHandle_ = handle > 0 ? handle : 0;
        outputPath_ = path;
    } else if (handle != 0 && handle != -1) {
        positions_.Set(handle, 0);
    }
    return handle;
}

int CExtract::DecipheringRead(std::int32_t handle, std::int32_t position, void* buffer, unsigned count) {
    if (count == 0) return 0;
    if (count > kLargestDecipheringRead || position < 0) {
        Record(0, kErrorReadTooLarge);
        return -1;
    }
    const std::int64_t start = position / 8 * 8;
    const std::int64_t last = (std::int64_t(position) + count - 1) / 8 * 8;
    const std::int64_t length = last - start + 8;
    const std::int64_t offset = position % 8;
    if (offset != 0 && FileSeek(handle, static_cast<long>(start), SEEK_SET) == -1) return -1;
    if (FileRead(handle, scratch_, static_cast<unsigned>(length)) != length) return -1;
    const std::int64_t plain = std::clamp<std::int64_t>(kFirstEncipheredOffset - start, 0, length);
    DecipherBlocks(&blowfish_, 0, scratch_ + plain, static_cast<std::size_t>((length - plain) / 8));
    std::memcpy(buffer, scratch_ + offset, count);
    if (FileSeek(handle, static_cast<long>(position + std::int64_t(count)), SEEK_SET) == -1) return -1;
    return static_cast<int>(count);
}

int CExtract::TrackedRead(std::int32_t handle, void* buffer, unsigned count) {
    std::int32_t position = -1;
    positions_.Find(handle, &position);
    const int got = blowfish_.keySet && scratch_ ? DecipheringRead(handle, position, buffer, count)
                                                  : FileRead(handle, buffer, count);
    if (got < 0) return -1;
    if (positions_.Contains(handle)) positions_.Set(handle, position + got);
    if (position == 0 && got >= 4) {
        auto* bytes = static_cast<unsigned char*>(buffer);
        if (std::memcmp(bytes, "MSCF", 4) == 0) {
            if (blowfish_.keySet) {
                Record(kErrorPlainWithKey, 0);
                return -1;
            }
        } else if (std::memcmp(bytes, "CRYP", 4) == 0) {
            if (!blowfish_.keySet) {
                Record(kErrorEncipheredWithoutKey, 0);
                return -1;
            }
            std::memcpy(bytes, "MSCF", 4);
        } else {
            Record(FDIERROR_NOT_A_CABINET, 0);
            return -1;
        }
    }
    return got;
}

int CExtract::TrackedWrite(std::int32_t handle, const void* buffer, unsigned count) {
    if (memoryMode_) {
        if (std::uint64_t(memory_.used) + count > memory_.capacity) {
            Record(kErrorMemoryTargetFull, 0);
            return -1;
        }
        std::memcpy(memory_.data + memory_.used, buffer, count);
        memory_.used += count;
        return static_cast<int>(count);
    }
    return FileWrite(handle, buffer, count);
}

int CExtract::TrackedClose(std::int32_t handle) {
    if (handle < 1) return 0;
    const int result = FileClose(handle);
    if (outputHandle_ == handle) outputHandle_ = 0;
    positions_.Remove(handle);
    return result;
}

long CExtract::TrackedSeek(std::int32_t handle, long distance, int origin) {
    const long result = FileSeek(handle, distance, origin);
    if (positions_.Contains(handle)) positions_.Set(handle, static_cast<std::int32_t>(result));
    return result;
}

INT_PTR CExtract::Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note) {
    if (abort_) return -1;
    switch (type) {
        case fdintCABINET_INFO:
            if (callbacks_.cabinetInfo) {
                CabInfo info{note->psz1, note->psz2, platform::text::Utf8ToUtf16(note->psz3), note->setID,
                             note->iCabinet};
                callbacks_.cabinetInfo(&info, user_);
            }
            return 0;
        case fdintCOPY_FILE: return OnCopyFile(note);
        case fdintCLOSE_FILE_INFO: return OnCloseFile(note);
        case fdintNEXT_CABINET: return OnNextCabinet(note);
        default: return 0;
    }
}

INT_PTR CExtract::OnCopyFile(PFDINOTIFICATION note) {
    bool valid = true;
    const std::u16string stored = StoredNameToWide(note->psz1, note->attribs, &valid);
    std::u16string relative = stored;
    if (!valid || !MakeRelative(&relative)) {
        // Nothing is written outside the destination; the rest of the set goes on.
        Record(kErrorBadName, kErrorInvalidName);
        return 0;
    }
    const std::size_t cut = relative.rfind(u'\\');
    CabFileInfo info;
    info.fileName = cut == std::u16string::npos ? relative : relative.substr(cut + 1);
    info.relativeFolder = cut == std::u16string::npos ? u"" : relative.substr(0, cut + 1);
    info.storedName = stored;
    info.targetFolder = destination_ + info.relativeFolder;
    info.targetPath = info.targetFolder + info.fileName;
    info.size = note->cb;
    DosDateTimeToFileTime(note->date, note->time, &info.time);
    info.attributes = note->attribs;
    memberPath_ = destination_ + relative;
    if (callbacks_.beforeCopy && callbacks_.beforeCopy(&info, user_) == 0) return 0;

    if (memoryMode_) {
        const std::uint32_t size = note->cb < 0 ? 0 : static_cast<std::uint32_t>(note->cb);
        if (!memory_.data || memory_.capacity < size) {
            delete[] memory_.data;
            memory_ = MemoryTarget{};
            // No exception may cross the decompressor; a failed allocation ends the copy.
            memory_.data = new (std::nothrow) unsigned char[std::size_t(size) + 2];
            if (!memory_.data) {
                Record(FDIERROR_ALLOC_FAIL, 0);
                return -1;
            }
        }
        memory_.capacity = size;
        memory_.used = 0;
        std::int32_t handle = kFirstPseudoHandle;
        while (positions_.Contains(handle)) ++handle;
        return handle;
    }
    const MemberWay way = WalkToMember(destination_, relative);
    if (way.link) {
        // Not written through; the rest of the set goes on.
        Record(kErrorBadName, kErrorStoppedOnLink);
        return 0;
    }
    // A folder the walk has just seen needs no making.
    if (const DWORD error = way.folderThere ? 0 : CreateFolderChain(info.targetFolder)) {
        Record(kErrorBadName, error);
        return -1;
    }
    const MissingOutput missing(info.targetPath, way.fileMissing);
    const std::int32_t handle = TrackedOpen(info.targetPath, kOpenOutput, kReadPermission | kWritePermission);
    if (handle < 1) {
        Record(kErrorBadName, 0);
        return -1;
    }
    return handle;
}

INT_PTR CExtract::OnCloseFile(PFDINOTIFICATION note) {
    const std::u16string target = memberPath_;
    if (!memoryMode_) {
        // The file just written is stamped through its own handle before it is closed, which
        // spares asking for it again by its path; where the handle lends none, it is stamped so.
        const std::int32_t handle = static_cast<std::int32_t>(note->hf);
        const std::intptr_t file = handle == outputHandle_ ? platform::win::_get_osfhandle(handle) : -1;
        const bool stamped =
            file != -1 && StampOpenFile(reinterpret_cast<HANDLE>(file), note->date, note->time, note->attribs);
        TrackedClose(handle);
        if (!stamped) StampExtractedFile(target, note->date, note->time, note->attribs);
    }
    if (callbacks_.afterCopy) callbacks_.afterCopy(target.c_str(), memoryMode_ ? &memory_ : nullptr, user_);
    return TRUE;
}

INT_PTR CExtract::OnNextCabinet(PFDINOTIFICATION note) {
    if (note->fdie != FDIERROR_NONE) {
        Record(note->fdie, 0);
        return -1;
    }
    std::u16string next = platform::text::Utf8ToUtf16(note->psz1 ? note->psz1 : "");
    // The next cabinet is read from this cabinet's folder only, and once per set.
    if (!IsPlainFileName(next)) {
        Record(kErrorBadName, kErrorInvalidName);
        return -1;
    }
    if (std::any_of(processed_.begin(), processed_.end(),
                    [&](const std::u16string& done) { return EqualNoCase(done, next); })) {
        Record(FDIERROR_WRONG_CABINET, 0);
        return -1;
    }
    nextCabinet_ = next;
    if (callbacks_.nextCabinet) {
        CabInfo info{note->psz1 ? note->psz1 : "", note->psz2 ? note->psz2 : "",
                     platform::text::Utf8ToUtf16(note->psz3 ? note->psz3 : ""), note->setID, note->iCabinet};
        callbacks_.nextCabinet(&info, 0, user_);
    }
    return 0;
}

DWORD CreateFolderChain(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    if (path.size() >= kFolderLimit) return kErrorPathTooLong;
    std::u16string folder = path;
    if (!folder.empty() && folder.back() == u'\\') folder.pop_back();
    const std::size_t cut = folder.rfind(u'\\');
    if (cut == std::u16string::npos) return 15;  // ERROR_INVALID_DRIVE
    if (const DWORD error = CreateFolderChain(folder.substr(0, cut + 1))) return error;
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        const DWORD error = GetLastError();
        if (error != 183) return error;  // ERROR_ALREADY_EXISTS
    }
    return 0;
}

bool StampExtractedFile(const std::u16string& path, WORD date, WORD time, WORD attributes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool ok = StampStoredTime(file, date, time, attributes);
    CloseHandle(file);
    SetFileAttributesW(path.c_str(), KeptAttributes(attributes));
    return ok;
}

}  // namespace Cabinet
