// Extraction of cabinet archives, plain ("MSCF") or enciphered ("CRYP"), into a folder or into
// memory, through the system's cabinet decompressor. It never talks to the user: each operation
// records a code in the error record and returns false, 0 or -1.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fdi/fdi.h"
#include "platform/win/win_types.h"
#include "setup/cabinet/blowfish.h"

namespace Cabinet {

// Own error codes besides FDI's and the system's.
constexpr int kErrorNoDecompressor = 1000;  // "Cabinet.dll" or one of its entry points is missing
constexpr int kErrorBadArguments = 1002;
constexpr int kErrorPlainWithKey = 1007;
constexpr int kErrorEncipheredWithoutKey = 1008;
constexpr int kErrorMemoryTargetFull = 1009;
constexpr int kErrorWrongThread = 1011;
constexpr int kErrorThreadBusy = 1012;
// A member or next-cabinet name that would leave the destination or the cabinet's folder, or a
// member whose path below the destination meets a link.
constexpr int kErrorBadName = 8;
constexpr DWORD kErrorInvalidName = 123;       // ERROR_INVALID_NAME
constexpr DWORD kErrorStoppedOnLink = 681;     // ERROR_STOPPED_ON_SYMLINK
constexpr DWORD kErrorPathTooLong = 206;       // ERROR_FILENAME_EXCED_RANGE
constexpr DWORD kErrorReadTooLarge = 87;       // ERROR_INVALID_PARAMETER

// What a before-copy notification learns of a member (valid during the call only).
struct CabFileInfo {
    std::u16string fileName;
    std::u16string relativeFolder;  // empty or ending with a backslash
    std::u16string storedName;
    std::u16string targetFolder;
    std::u16string targetPath;
    std::int32_t size = 0;
    FILETIME time{};  // the stored DOS date and time, in no time zone
    std::uint16_t attributes = 0;
};

struct CabInfo {
    std::string nextCabinet;  // as FDI gives them
    std::string nextDisk;
    std::u16string cabinetPath;
    std::uint16_t setId = 0;
    std::uint16_t cabinetIndex = 0;
};

// Each extracted file in memory mode, ending with room for two more bytes.
struct MemoryTarget {
    unsigned char* data = nullptr;
    std::uint32_t capacity = 0;
    std::uint32_t used = 0;
};

using BeforeCopyCallback = int (*)(CabFileInfo* file, void* user);
using AfterCopyCallback = int (*)(const WCHAR* targetPath, MemoryTarget* memory, void* user);
using CabinetInfoCallback = int (*)(CabInfo* cabinet, void* user);
using NextCabinetCallback = int (*)(CabInfo* cabinet, int fdiError, void* user);

struct ExtractCallbacks {
    BeforeCopyCallback beforeCopy = nullptr;
    AfterCopyCallback afterCopy = nullptr;
    CabinetInfoCallback cabinetInfo = nullptr;
    NextCabinetCallback nextCabinet = nullptr;
    void* reserved4 = nullptr;  // carried, never called
    void* reserved5 = nullptr;
};

struct ExtractError {
    ERF fdi{};
    int ownCode = 0;
    DWORD systemCode = 0;
};

// Current read position of each open cabinet handle.
class HandlePositionMap {
public:
    HandlePositionMap();
    void Clear() { count_ = 0; }
    bool Find(std::int32_t handle, std::int32_t* position) const;
    void Set(std::int32_t handle, std::int32_t position);
    void Remove(std::int32_t handle);
    bool Contains(std::int32_t handle) const;

private:
    std::vector<std::int32_t> keys_;
    std::vector<std::int32_t> values_;
    std::size_t count_ = 0;
};

// Belongs to the thread that constructs it; a thread runs one extraction at a time.
class CExtract {
public:
    CExtract();
    virtual ~CExtract();
    CExtract(const CExtract&) = delete;
    CExtract& operator=(const CExtract&) = delete;

    void SetCallbacks(const ExtractCallbacks& callbacks) { callbacks_ = callbacks; }
    // Throws "Fatal error: Out of memory!" when the read buffer cannot be had.
    void SetExtractorKey(const char* key, std::size_t length);
    bool OpenFdiContext();
    int IsCabinetFile(const std::u16string& path, FDICABINETINFO* info);
    // True when the whole set was extracted with no error recorded. A destination of "MEMORY\"
    // delivers each member to the after-copy notification in a MemoryTarget and writes nothing.
    bool ExtractCabinet(const std::u16string& cabinetPath, const std::u16string& destination, void* user);
    bool CleanUp();
    virtual void Abort() { abort_ = true; }

    const ExtractError& Error() const { return error_; }

    // The file operations, so that a derived class can use other media.
    virtual int FileRead(std::int32_t handle, void* buffer, unsigned count);
    virtual int FileWrite(std::int32_t handle, const void* buffer, unsigned count);
    virtual int FileClose(std::int32_t handle);
    virtual long FileSeek(std::int32_t handle, long distance, int origin);
    virtual std::int32_t FileOpen(const std::u16string& path, int flags, int permission);

    // Used by the decompressor's callbacks.
    std::int32_t TrackedOpen(const std::u16string& path, int flags, int permission);
    int TrackedRead(std::int32_t handle, void* buffer, unsigned count);
    int TrackedWrite(std::int32_t handle, const void* buffer, unsigned count);
    int TrackedClose(std::int32_t handle);
    long TrackedSeek(std::int32_t handle, long distance, int origin);
    INT_PTR Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note);

private:
    bool OnOwnerThread();
    bool LoadDecompressor();
    void ClearError();
    void Record(int ownCode, DWORD systemCode);
    int DecipheringRead(std::int32_t handle, std::int32_t position, void* buffer, unsigned count);
    INT_PTR OnCopyFile(PFDINOTIFICATION note);
    INT_PTR OnCloseFile(PFDINOTIFICATION note);
    INT_PTR OnNextCabinet(PFDINOTIFICATION note);

    ExtractCallbacks callbacks_;
    HandlePositionMap positions_;
    std::u16string destination_;
    std::u16string nextCabinet_;
    std::u16string cabinetFolder_;
    std::vector<std::u16string> processed_;
    BlowfishState blowfish_;
    MemoryTarget memory_;
    ExtractError error_;
    HFDI context_ = nullptr;
    // The decompressor module, loaded by name on first use, and its four entry points.
    HMODULE cabinetModule_ = nullptr;
    decltype(&FDICreate) fdiCreate_ = nullptr;
    decltype(&FDICopy) fdiCopy_ = nullptr;
    decltype(&FDIIsCabinet) fdiIsCabinet_ = nullptr;
    decltype(&FDIDestroy) fdiDestroy_ = nullptr;
    bool abort_ = false;
    bool memoryMode_ = false;
    std::int32_t outputHandle_ = 0;
    std::u16string outputPath_;
    std::u16string memberPath_;
    unsigned char* scratch_ = nullptr;
    void* user_ = nullptr;
    DWORD owner_;
};

// 0 or a Windows error code; folders of 1000 characters or more are refused.
DWORD CreateFolderChain(const std::u16string& path);
// Stamps the stored date, time (local unless attribute 0x100) and attributes on a file.
bool StampExtractedFile(const std::u16string& path, WORD date, WORD time, WORD attributes);

}  // namespace Cabinet
