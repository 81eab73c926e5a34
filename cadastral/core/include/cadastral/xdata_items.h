// Extended-data items one at a time: item n counts from 0 after the application name. The writer
// is a family over the value's type, which decides the kind of item written.
#pragma once

#include <cstdint>
#include <string>

#include "platform/cad/resbuf.h"

namespace cadastral {

// What ReadXDataItem copies, by the item's group: 1000 text, 1040 real, 1070 and 1071 integers.
struct XDataItemValue {
    int group = 0;
    std::string text;
    double real = 0.0;
    std::int32_t integer = 0;
};

// True when the entity has data of the application; item n (past the end, the last item) is
// copied by its group; other groups copy nothing and still give true.
bool ReadXDataItem(const ads_name entity, const char* application, XDataItemValue& value, int n);

// With `append`, or when the application has no data yet, the value becomes a new last item;
// otherwise it replaces item n, which must exist and be of the same kind (else nothing is
// written and the result is false).
bool WriteXDataItem(const ads_name entity, const char* application, std::int16_t value, bool append, int n);
bool WriteXDataItem(const ads_name entity, const char* application, std::int32_t value, bool append, int n);
bool WriteXDataItem(const ads_name entity, const char* application, long value, bool append, int n);
bool WriteXDataItem(const ads_name entity, const char* application, float value, bool append, int n);
bool WriteXDataItem(const ads_name entity, const char* application, double value, bool append, int n);
bool WriteXDataItem(const ads_name entity, const char* application, const char* value, bool append, int n);
bool WriteXDataItem(const ads_name entity, const char* application, const std::string& value, bool append,
                    int n);
// Any other type is refused.
bool RefuseXDataType();
template <typename T>
bool WriteXDataItem(const ads_name, const char*, const T&, bool, int) {
    return RefuseXDataType();
}

// The command AddZJLX: every text whose feature code is longer than 5 characters gets that code
// under "ZJLX".
void AddZJLX();

}  // namespace cadastral
