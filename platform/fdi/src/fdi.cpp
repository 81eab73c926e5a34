// FDI on libmspack. libmspack reads and writes through an mspack_system whose calls go to the
// caller's callbacks; output files are handles the caller opened, handed to libmspack as names of
// a form no path can take.
#include "platform/fdi/fdi.h"

#include <mspack.h>

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <list>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cabinet_header.h"
#include "read_ahead.h"
#include "platform/win/safe_points.h"

namespace {

constexpr char kHandleName[] = "\x01handle:";
constexpr USHORT kFromPrevious = 0xFFFD;
constexpr USHORT kToNext = 0xFFFE;
constexpr USHORT kPreviousAndNext = 0xFFFF;

struct Context {
    mspack_system system;
    PFNALLOC alloc;
    PFNFREE free;
    PFNOPEN open;
    PFNREAD read;
    PFNWRITE write;
    PFNCLOSE close;
    PFNSEEK seek;
    PERF erf;
    mscab_decompressor* cabd;
};

struct OpenCab {
    Context* context;
    INT_PTR hf;
    bool owned;  // opened here, so closed here; a caller's handle stays open
    std::unique_ptr<ReadAhead> input;  // for a cabinet read, when its file can seek
};

// libmspack's free has no context, so every block remembers the one that allocated it.
struct alignas(std::max_align_t) BlockHeader {
    Context* context;
};

// libmspack hands copies of the mspack_system to its parts, so the context of a call is the one
// whose FDI entry point runs on this thread.
thread_local Context* t_current = nullptr;

class CurrentContext {
public:
    explicit CurrentContext(Context* context) : saved_(t_current) { t_current = context; }
    ~CurrentContext() { t_current = saved_; }
    CurrentContext(const CurrentContext&) = delete;
    CurrentContext& operator=(const CurrentContext&) = delete;

private:
    Context* saved_;
};

Context* Of(mspack_system*) { return t_current; }
OpenCab* Of(mspack_file* file) { return reinterpret_cast<OpenCab*>(file); }

std::string HandleName(INT_PTR hf) { return kHandleName + std::to_string(static_cast<long long>(hf)); }

// Reads go through a block of the file from now on; a file that cannot seek is read as it comes.
void ReadAheadOn(OpenCab* file) {
    Context* context = file->context;
    file->input.reset(new (std::nothrow) ReadAhead(context->read, context->seek, file->hf));
    if (file->input && !file->input->Start()) file->input.reset();
}

mspack_file* SysOpen(mspack_system* system, const char* name, int mode) {
    Context* context = Of(system);
    auto* file = new (std::nothrow) OpenCab{context, -1, true, nullptr};
    if (!file) return nullptr;
    const std::size_t prefix = sizeof kHandleName - 1;
    if (std::strncmp(name, kHandleName, prefix) == 0) {
        file->hf = static_cast<INT_PTR>(std::strtoll(name + prefix, nullptr, 10));
        file->owned = false;
        if (mode == MSPACK_SYS_OPEN_READ) ReadAheadOn(file);
        return reinterpret_cast<mspack_file*>(file);
    }
    // Binary, and for output created and truncated, as FDI asks its caller.
    const int flags = mode == MSPACK_SYS_OPEN_READ ? 0x8000 : 0x8000 | 0x0001 | 0x0100 | 0x0200;
    std::string copy(name);
    file->hf = context->open(copy.data(), flags, 0x0100 | 0x0080);
    if (file->hf == -1) {
        delete file;
        return nullptr;
    }
    if (mode == MSPACK_SYS_OPEN_READ) ReadAheadOn(file);
    return reinterpret_cast<mspack_file*>(file);
}

void SysClose(mspack_file* handle) {
    OpenCab* file = Of(handle);
    if (file->owned)
        file->context->close(file->hf);
    else if (file->input)
        file->input->Settle();
    delete file;
}

int SysRead(mspack_file* handle, void* buffer, int bytes) {
    OpenCab* file = Of(handle);
    if (bytes < 0) return -1;
    if (file->input) return file->input->Read(buffer, bytes);
    const UINT got = file->context->read(file->hf, buffer, static_cast<UINT>(bytes));
    return got == UINT_MAX || got > static_cast<UINT>(bytes) ? -1 : static_cast<int>(got);
}

int SysWrite(mspack_file* handle, void* buffer, int bytes) {
    OpenCab* file = Of(handle);
    if (bytes < 0) return -1;
    const UINT done = file->context->write(file->hf, buffer, static_cast<UINT>(bytes));
    return done == UINT_MAX || done > static_cast<UINT>(bytes) ? -1 : static_cast<int>(done);
}

int SysSeek(mspack_file* handle, off_t offset, int mode) {
    OpenCab* file = Of(handle);
    if (offset < LONG_MIN || offset > LONG_MAX) return -1;
    if (file->input) return file->input->Seek(static_cast<long>(offset), mode) ? 0 : -1;
    return file->context->seek(file->hf, static_cast<long>(offset), mode) == -1 ? -1 : 0;
}

off_t SysTell(mspack_file* handle) {
    OpenCab* file = Of(handle);
    if (file->input) return file->input->Tell();
    return file->context->seek(file->hf, 0, SEEK_CUR);
}

void SysMessage(mspack_file*, const char*, ...) {}

void* SysAlloc(mspack_system* system, size_t bytes) {
    Context* context = Of(system);
    if (bytes > ULONG_MAX - sizeof(BlockHeader)) return nullptr;
    void* block = context->alloc(static_cast<ULONG>(bytes + sizeof(BlockHeader)));
    if (!block) return nullptr;
    auto* header = static_cast<BlockHeader*>(block);
    header->context = context;
    return header + 1;
}

void SysFree(void* pointer) {
    if (!pointer) return;
    auto* header = static_cast<BlockHeader*>(pointer) - 1;
    header->context->free(header);
}

void SysCopy(void* source, void* target, size_t bytes) { std::memmove(target, source, bytes); }

void SetError(Context* context, int code) {
    if (!context->erf) return;
    context->erf->erfOper = code;
    context->erf->erfType = 0;
    context->erf->fError = code != FDIERROR_NONE;
}

int FdiErrorOf(int mspackError) {
    switch (mspackError) {
        case MSPACK_ERR_OK: return FDIERROR_NONE;
        case MSPACK_ERR_OPEN: return FDIERROR_CABINET_NOT_FOUND;
        case MSPACK_ERR_SIGNATURE: return FDIERROR_NOT_A_CABINET;
        case MSPACK_ERR_NOMEMORY: return FDIERROR_ALLOC_FAIL;
        case MSPACK_ERR_WRITE: return FDIERROR_TARGET_FILE;
        case MSPACK_ERR_READ: return FDIERROR_EOF;
        default: return FDIERROR_CORRUPT_CABINET;
    }
}

// The cabinets of one copy. libmspack frees a merged set when any one of it is closed, and
// keeps the name pointers it was given, so the names live here too.
class CabinetSet {
public:
    explicit CabinetSet(Context* context) : context_(context) {}
    CabinetSet(const CabinetSet&) = delete;
    CabinetSet& operator=(const CabinetSet&) = delete;
    ~CabinetSet() {
        if (first_) context_->cabd->close(context_->cabd, first_);
        for (mscabd_cabinet* cab : loose_) context_->cabd->close(context_->cabd, cab);
    }

    mscabd_cabinet* Open(const std::string& path) {
        names_.push_back(path);
        mscabd_cabinet* cab = context_->cabd->open(context_->cabd, names_.back().c_str());
        if (cab && !first_) first_ = cab;
        return cab;
    }
    // Joins a cabinet opened with OpenLoose to the set, or keeps it to be closed on its own.
    mscabd_cabinet* OpenLoose(const std::string& path) {
        names_.push_back(path);
        return context_->cabd->open(context_->cabd, names_.back().c_str());
    }
    bool Append(mscabd_cabinet* next) {
        if (context_->cabd->append(context_->cabd, first_, next) == MSPACK_ERR_OK) return true;
        loose_.push_back(next);
        return false;
    }
private:
    Context* context_;
    mscabd_cabinet* first_ = nullptr;
    std::vector<mscabd_cabinet*> loose_;
    std::list<std::string> names_;
};

char* Text(const char* text) { return const_cast<char*>(text ? text : ""); }

INT_PTR Notify(PFNFDINOTIFY notify, FDINOTIFICATIONTYPE type, FDINOTIFICATION& note) {
    return notify(type, &note);
}

}  // namespace

HFDI FDICreate(PFNALLOC alloc, PFNFREE free, PFNOPEN open, PFNREAD read, PFNWRITE write, PFNCLOSE close,
               PFNSEEK seek, int, PERF erf) {
    if (erf) *erf = ERF{0, 0, FALSE};
    if (!alloc || !free || !open || !read || !write || !close || !seek) {
        if (erf) *erf = ERF{FDIERROR_ALLOC_FAIL, 0, TRUE};
        return nullptr;
    }
    auto* context = new (std::nothrow) Context{};
    if (!context) {
        if (erf) *erf = ERF{FDIERROR_ALLOC_FAIL, 0, TRUE};
        return nullptr;
    }
    context->system = mspack_system{SysOpen, SysClose, SysRead, SysWrite, SysSeek, SysTell,
                                    SysMessage, SysAlloc, SysFree, SysCopy, nullptr};
    context->alloc = alloc;
    context->free = free;
    context->open = open;
    context->read = read;
    context->write = write;
    context->close = close;
    context->seek = seek;
    context->erf = erf;
    CurrentContext current(context);
    context->cabd = mspack_create_cab_decompressor(&context->system);
    if (!context->cabd) {
        delete context;
        if (erf) *erf = ERF{FDIERROR_ALLOC_FAIL, 0, TRUE};
        return nullptr;
    }
    // Large input reads: each read of an enciphered cabinet rereads its partial end blocks.
    context->cabd->set_param(context->cabd, MSCABD_PARAM_DECOMPBUF, 32768);
    return context;
}

BOOL FDIDestroy(HFDI handle) {
    if (!handle) return FALSE;
    auto* context = static_cast<Context*>(handle);
    CurrentContext current(context);
    mspack_destroy_cab_decompressor(context->cabd);
    delete context;
    return TRUE;
}

BOOL FDIIsCabinet(HFDI handle, INT_PTR hf, PFDICABINETINFO info) {
    if (!handle) return FALSE;
    auto* context = static_cast<Context*>(handle);
    CurrentContext current(context);
    CabinetSet set(context);
    mscabd_cabinet* cab = set.Open(HandleName(hf));
    if (!cab) {
        const int error = context->cabd->last_error(context->cabd);
        if (error != MSPACK_ERR_SIGNATURE && error != MSPACK_ERR_DATAFORMAT) SetError(context, FdiErrorOf(error));
        return FALSE;
    }
    if (info) {
        int folders = 0, files = 0;
        for (mscabd_folder* folder = cab->folders; folder; folder = folder->next) ++folders;
        for (mscabd_file* file = cab->files; file; file = file->next) ++files;
        info->cbCabinet = static_cast<long>(cab->length);
        info->cFolders = static_cast<USHORT>(folders);
        info->cFiles = static_cast<USHORT>(files);
        info->setID = cab->set_id;
        info->iCabinet = cab->set_index;
        info->fReserve = (cab->flags & MSCAB_HDR_RESV) != 0;
        info->hasprev = (cab->flags & MSCAB_HDR_PREVCAB) != 0;
        info->hasnext = (cab->flags & MSCAB_HDR_NEXTCAB) != 0;
    }
    return TRUE;
}

BOOL FDICopy(HFDI handle, char* pszCabinet, char* pszCabPath, int, PFNFDINOTIFY notify, PFNFDIDECRYPT,
             void* pvUser) {
    if (!handle || !pszCabinet || !notify) return FALSE;
    auto* context = static_cast<Context*>(handle);
    CurrentContext current(context);
    const std::string folder = pszCabPath ? pszCabPath : "";
    const auto fail = [&](int code) {
        SetError(context, code);
        return FALSE;
    };
    const auto failMspack = [&] { return fail(FdiErrorOf(context->cabd->last_error(context->cabd))); };

    CabinetSet set(context);
    const std::string path = folder + pszCabinet;
    mscabd_cabinet* cab = set.Open(path);
    if (!cab) return failMspack();
    std::vector<MemberPlace> places;
    if (!ReadMemberPlaces(&context->system, path.c_str(), &places)) return fail(FDIERROR_CORRUPT_CABINET);
    std::vector<mscabd_file*> members;
    for (mscabd_file* file = cab->files; file; file = file->next) members.push_back(file);
    if (places.size() != members.size()) return fail(FDIERROR_CORRUPT_CABINET);

    FDINOTIFICATION note{};
    note.pv = pvUser;
    note.psz1 = Text(cab->nextname);
    note.psz2 = Text(cab->nextinfo);
    note.psz3 = const_cast<char*>(folder.c_str());
    note.setID = cab->set_id;
    note.iCabinet = cab->set_index;
    if (Notify(notify, fdintCABINET_INFO, note) == -1) return fail(FDIERROR_USER_ABORT);

    // libmspack extracts nothing from a folder whose continuation is missing, so the cabinets
    // a continued folder runs into are joined before the first member.
    bool continues = false;
    for (const MemberPlace& place : places)
        if (place.folder == kToNext || place.folder == kPreviousAndNext) continues = true;
    mscabd_cabinet* last = cab;
    for (int joined = 0; continues; ++joined) {
        char nextFolder[256] = {};
        std::snprintf(nextFolder, sizeof nextFolder, "%s", folder.c_str());
        note = FDINOTIFICATION{};
        note.pv = pvUser;
        note.psz1 = Text(last->nextname);
        note.psz2 = Text(last->nextinfo);
        note.psz3 = nextFolder;
        note.setID = cab->set_id;
        note.iCabinet = cab->set_index;
        note.fdie = FDIERROR_NONE;
        if (Notify(notify, fdintNEXT_CABINET, note) == -1) return fail(FDIERROR_USER_ABORT);
        if (!last->nextname || joined >= 64) return fail(FDIERROR_CORRUPT_CABINET);
        nextFolder[sizeof nextFolder - 1] = '\0';
        const std::string nextPath = std::string(nextFolder) + last->nextname;
        mscabd_cabinet* next = set.OpenLoose(nextPath);
        if (!next) return failMspack();
        std::vector<MemberPlace> nextPlaces;
        const bool readPlaces = ReadMemberPlaces(&context->system, nextPath.c_str(), &nextPlaces);
        if (!set.Append(next)) return fail(FDIERROR_WRONG_CABINET);
        if (!readPlaces) return fail(FDIERROR_CORRUPT_CABINET);
        last = next;
        continues = false;
        for (const MemberPlace& place : nextPlaces)
            if (place.folder == kPreviousAndNext) continues = true;
    }

    for (std::size_t i = 0; i < members.size(); ++i) {
        // Between two members the cabinet is consistent: a worker may be held or stopped here.
        if (i > 0) platform::win::SafePoint();
        mscabd_file* file = members[i];
        const USHORT where = places[i].folder;
        note = FDINOTIFICATION{};
        note.pv = pvUser;
        note.setID = cab->set_id;
        note.iCabinet = cab->set_index;
        if (where == kFromPrevious || where == kPreviousAndNext) {
            // Extracted already with the cabinet it starts in.
            note.psz1 = file->filename;
            note.psz2 = Text(cab->prevname);
            note.psz3 = Text(cab->previnfo);
            if (Notify(notify, fdintPARTIAL_FILE, note) == -1) return fail(FDIERROR_USER_ABORT);
            continue;
        }
        note.cb = static_cast<long>(file->length);
        note.psz1 = file->filename;
        note.date = static_cast<USHORT>(((file->date_y - 1980) << 9) | (file->date_m << 5) | file->date_d);
        note.time = static_cast<USHORT>((file->time_h << 11) | (file->time_m << 5) | (file->time_s / 2));
        note.attribs = static_cast<USHORT>(file->attribs);
        note.iFolder = where;
        const INT_PTR hf = Notify(notify, fdintCOPY_FILE, note);
        if (hf == -1) return fail(FDIERROR_USER_ABORT);
        if (hf == 0) continue;
        if (context->cabd->extract(context->cabd, file, HandleName(hf).c_str()) != MSPACK_ERR_OK)
            return failMspack();
        note.hf = hf;
        note.cb = 0;
        if (Notify(notify, fdintCLOSE_FILE_INFO, note) != TRUE) return fail(FDIERROR_USER_ABORT);
    }
    SetError(context, FDIERROR_NONE);
    return TRUE;
}
