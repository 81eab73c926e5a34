// The cabinet decompressor interface (FDI) of Cabinet.dll: a context made once with the caller's
// memory and file callbacks, then cabinet tests and extractions that call those callbacks for every
// byte they read or write and report each member through a notification.
//
// Member names reach the notification as stored in the cabinet (attribute 0x80 says they are
// UTF-8). A member whose data continues from the previous cabinet is reported as a partial file
// and not extracted again; one that continues into the next cabinet is finished after a
// fdintNEXT_CABINET notification, from the cabinet named there in the same folder (psz3).
#pragma once
#include <cstdint>
#include "platform/win/win_types.h"

using USHORT = std::uint16_t;
using HFDI = void*;

// Error record filled by every FDI call: erfOper holds an FDIERROR, fError says one happened.
struct ERF {
    int erfOper;
    int erfType;
    BOOL fError;
};
using PERF = ERF*;

enum FDIERROR {
    FDIERROR_NONE = 0,
    FDIERROR_CABINET_NOT_FOUND = 1,
    FDIERROR_NOT_A_CABINET = 2,
    FDIERROR_UNKNOWN_CABINET_VERSION = 3,
    FDIERROR_CORRUPT_CABINET = 4,
    FDIERROR_ALLOC_FAIL = 5,
    FDIERROR_BAD_COMPR_TYPE = 6,
    FDIERROR_MDI_FAIL = 7,
    FDIERROR_TARGET_FILE = 8,
    FDIERROR_RESERVE_MISMATCH = 9,
    FDIERROR_WRONG_CABINET = 10,
    FDIERROR_USER_ABORT = 11,
    FDIERROR_EOF = 12,
};

struct FDICABINETINFO {
    long cbCabinet;
    USHORT cFolders;
    USHORT cFiles;
    USHORT setID;
    USHORT iCabinet;
    BOOL fReserve;
    BOOL hasprev;
    BOOL hasnext;
};
using PFDICABINETINFO = FDICABINETINFO*;

enum FDINOTIFICATIONTYPE {
    fdintCABINET_INFO = 0,
    fdintPARTIAL_FILE = 1,
    fdintCOPY_FILE = 2,
    fdintCLOSE_FILE_INFO = 3,
    fdintNEXT_CABINET = 4,
    fdintENUMERATE = 5,
};

struct FDINOTIFICATION {
    long cb;
    char* psz1;
    char* psz2;
    char* psz3;
    void* pv;
    INT_PTR hf;
    USHORT date;
    USHORT time;
    USHORT attribs;
    USHORT setID;
    USHORT iCabinet;
    USHORT iFolder;
    FDIERROR fdie;
};
using PFDINOTIFICATION = FDINOTIFICATION*;

// Member attribute: the stored name is UTF-8.
constexpr USHORT _A_NAME_IS_UTF = 0x80;
// Member attribute: run the file after extraction (carried only).
constexpr USHORT _A_EXEC = 0x40;

constexpr int cpuUNKNOWN = -1;
constexpr int cpu80286 = 0;
constexpr int cpu80386 = 1;

using PFNALLOC = void* (*)(ULONG cb);
using PFNFREE = void (*)(void* pv);
using PFNOPEN = INT_PTR (*)(char* pszFile, int oflag, int pmode);
using PFNREAD = UINT (*)(INT_PTR hf, void* pv, UINT cb);
using PFNWRITE = UINT (*)(INT_PTR hf, void* pv, UINT cb);
using PFNCLOSE = int (*)(INT_PTR hf);
using PFNSEEK = long (*)(INT_PTR hf, long dist, int seektype);
// Returns the handle of the output file for fdintCOPY_FILE (0 skips the member, -1 aborts), TRUE
// from fdintCLOSE_FILE_INFO, and 0 otherwise; -1 from any notification ends the copy.
using PFNFDINOTIFY = INT_PTR (*)(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification);
using PFNFDIDECRYPT = int (*)(void* decrypt);

HFDI FDICreate(PFNALLOC alloc, PFNFREE free, PFNOPEN open, PFNREAD read, PFNWRITE write, PFNCLOSE close,
               PFNSEEK seek, int cpuType, PERF erf);
// Tests the open file hf from its current position; fills info for a cabinet.
BOOL FDIIsCabinet(HFDI context, INT_PTR hf, PFDICABINETINFO info);
// Extracts the cabinet pszCabPath + pszCabinet (both UTF-8 here) through notify.
BOOL FDICopy(HFDI context, char* pszCabinet, char* pszCabPath, int flags, PFNFDINOTIFY notify,
             PFNFDIDECRYPT decrypt, void* pvUser);
BOOL FDIDestroy(HFDI context);
