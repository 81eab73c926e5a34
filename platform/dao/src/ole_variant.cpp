#include "platform/dao/ole_variant.h"

COleVariant::COleVariant(SHORT value, VARTYPE type)
{
    Clear();
    vt = type == VT_BOOL ? VT_BOOL : VT_I2;
    iVal = value;
}

COleVariant::COleVariant(LONG value, VARTYPE type)
{
    Clear();
    vt = type == VT_I2 ? VT_I2 : VT_I4;
    if (vt == VT_I2)
        iVal = static_cast<SHORT>(value);
    else
        lVal = value;
}

COleVariant::COleVariant(float value)
{
    Clear();
    vt = VT_R4;
    fltVal = value;
}

COleVariant::COleVariant(double value)
{
    Clear();
    vt = VT_R8;
    dblVal = value;
}

COleVariant::COleVariant(const char* text)
{
    Clear();
    vt = VT_BSTR;
    text_ = text ? text : "";
    Repoint();
}

COleVariant::COleVariant(const COleVariant& other) : vt(other.vt), cyVal(other.cyVal), text_(other.text_)
{
    Repoint();
}

COleVariant& COleVariant::operator=(const COleVariant& other)
{
    if (this != &other) {
        vt = other.vt;
        cyVal = other.cyVal;  // the widest member carries every value
        text_ = other.text_;
        Repoint();
    }
    return *this;
}

void COleVariant::Clear()
{
    vt = VT_EMPTY;
    cyVal.int64 = 0;
    text_.clear();
    Repoint();
}

COleVariant COleVariant::Null()
{
    COleVariant v;
    v.vt = VT_NULL;
    return v;
}

COleVariant COleVariant::Currency(LONGLONG units)
{
    COleVariant v;
    v.vt = VT_CY;
    v.cyVal.int64 = units;
    return v;
}

COleVariant COleVariant::Date(DATE value)
{
    COleVariant v;
    v.vt = VT_DATE;
    v.date = value;
    return v;
}

COleVariant COleVariant::Bool(bool value)
{
    COleVariant v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

COleVariant COleVariant::Byte(BYTE value)
{
    COleVariant v;
    v.vt = VT_UI1;
    v.bVal = value;
    return v;
}

COleVariant COleVariant::Text(std::string_view gbk)
{
    COleVariant v;
    v.vt = VT_BSTR;
    v.text_.assign(gbk);
    v.Repoint();
    return v;
}

COleVariant COleVariant::Bytes(std::string_view bytes)
{
    COleVariant v;
    v.vt = VT_ARRAY | VT_UI1;
    v.text_.assign(bytes);
    v.Repoint();
    return v;
}

void COleVariant::Repoint()
{
    bstrVal = vt == VT_BSTR ? text_.c_str() : nullptr;
    if (vt == (VT_ARRAY | VT_UI1)) {
        array_ = SAFEARRAY{};
        array_.cDims = 1;
        array_.cbElements = 1;
        array_.pvData = text_.data();
        array_.rgsabound[0].cElements = static_cast<ULONG>(text_.size());
        parray = &array_;
    } else {
        parray = nullptr;
    }
}
