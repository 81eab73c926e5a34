// The variant the framework's data-access classes hand field values in, with the engine's types.
//
// In a narrow build the framework's DAO classes give texts as narrow strings in the host's code page
// (GBK) inside the variant's string slot; V_BSTRT reads them. Binary (OLE object) fields come as a
// one-dimensional array of bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win/win_types.h"

using VARTYPE = unsigned short;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using FLOAT = float;
using DOUBLE = double;
using DATE = double;  // days since 30 December 1899, the fraction is the time of day
using VARIANT_BOOL = std::int16_t;

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// Currency: a 64-bit integer in units of 1/10000.
union CY {
    LONGLONG int64;
};

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_BOOL = 11,
    VT_UI1 = 17,
    VT_ARRAY = 0x2000,
};

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

class COleVariant {
public:
    COleVariant() { Clear(); }
    COleVariant(SHORT value, VARTYPE type = VT_I2);
    COleVariant(LONG value, VARTYPE type = VT_I4);
    COleVariant(float value);
    COleVariant(double value);
    COleVariant(const char* text);  // GBK
    COleVariant(const COleVariant& other);
    COleVariant& operator=(const COleVariant& other);
    ~COleVariant() = default;

    void Clear();

    // Constructors of the other engine types, which the framework builds from the engine's values.
    static COleVariant Null();
    static COleVariant Currency(LONGLONG units);
    static COleVariant Date(DATE value);
    static COleVariant Bool(bool value);
    static COleVariant Byte(BYTE value);
    static COleVariant Text(std::string_view gbk);
    static COleVariant Bytes(std::string_view bytes);

    VARTYPE vt;
    union {
        SHORT iVal;
        LONG lVal;
        FLOAT fltVal;
        DOUBLE dblVal;
        DATE date;
        CY cyVal;
        VARIANT_BOOL boolVal;
        BYTE bVal;
    };
    // VT_BSTR: the text, zero-terminated (it may hold zeros of its own; see TextLength).
    const char* bstrVal;
    // VT_ARRAY | VT_UI1: the bytes.
    SAFEARRAY* parray;

    std::size_t TextLength() const { return text_.size(); }

private:
    void Repoint();

    std::string text_;  // the text or the bytes behind bstrVal and parray
    SAFEARRAY array_{};
};

#define V_VT(v) ((v)->vt)
#define V_BSTRT(v) ((v)->bstrVal)
