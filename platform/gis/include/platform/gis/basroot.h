// Attribute structures of MapGIS files (basroot.dll): the field descriptions callers read and build.
#pragma once

// Field types as MapGIS numbers them; callers of the new-file field call use 0, 2, 3, 5 and 6.
constexpr unsigned char GIS_FIELD_TEXT = 0;
constexpr unsigned char GIS_FIELD_BYTE = 1;
constexpr unsigned char GIS_FIELD_SHORT = 2;
constexpr unsigned char GIS_FIELD_LONG = 3;
constexpr unsigned char GIS_FIELD_FLOAT = 4;
constexpr unsigned char GIS_FIELD_DOUBLE = 5;
constexpr unsigned char GIS_FIELD_DATE = 6;
constexpr unsigned char GIS_FIELD_TIME = 7;
constexpr unsigned char GIS_FIELD_INT64 = 8;

// One field: a GBK name of at most 19 bytes, its type, display width and decimals, and the edit
// flag (1 editable).
struct CFIELD_HEAD {
    char name[20];
    unsigned char type;
    short width;
    short decimals;
    short flag;
};

// The fields of a file, field 0 being the "ID" field every file starts with.
struct CATT_STRU {
    short fieldCount;
    CFIELD_HEAD* fields;
};

// One record's values, interpreted only by the library: pass it back to the field calls.
struct ATT_VALUES;
