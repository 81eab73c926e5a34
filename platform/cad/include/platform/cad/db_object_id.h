// Object ids and handles. An id names one object of one open database for the session; ids order
// by creation. A handle is the object's persistent number, saved with the drawing.
#pragma once

#include <cstdint>
#include <string>

#include "platform/cad/ac_array.h"

class AcDbDatabase;
namespace platform::cad {
struct ObjectStub;
}

class AcDbHandle {
public:
    AcDbHandle() = default;
    AcDbHandle(std::uint64_t value) : value_(value) {}
    // Parses hexadecimal text; anything else gives the null handle.
    explicit AcDbHandle(const char* hex);

    bool isNull() const { return value_ == 0; }
    // The two 32-bit halves, as the host hands a handle's number out.
    std::uint32_t low() const { return static_cast<std::uint32_t>(value_); }
    std::uint32_t high() const { return static_cast<std::uint32_t>(value_ >> 32); }
#ifdef DERO_HOST_EXTRAS
    std::uint64_t value() const { return value_; }
#endif
    // Upper-case hexadecimal without leading zeros, as the host writes handles. buffer holds 17.
    void getIntoAsciiBuffer(char* buffer, std::size_t size = 17) const;
#ifdef DERO_HOST_EXTRAS
    std::string text() const;
#endif
    bool operator==(const AcDbHandle& other) const { return value_ == other.value_; }
    bool operator!=(const AcDbHandle& other) const { return value_ != other.value_; }
    bool operator<(const AcDbHandle& other) const { return value_ < other.value_; }

private:
    std::uint64_t value_ = 0;
};

class AcDbObjectId {
public:
    AcDbObjectId() = default;
    explicit AcDbObjectId(platform::cad::ObjectStub* stub) : stub_(stub) {}
    static const AcDbObjectId kNull;

    bool isNull() const { return stub_ == nullptr; }
    void setNull() { stub_ = nullptr; }
    bool isValid() const { return stub_ != nullptr; }
    bool isErased() const;
    AcDbDatabase* database() const;
    AcDbHandle handle() const;
    platform::cad::ObjectStub* stub() const { return stub_; }

    bool operator==(const AcDbObjectId& other) const { return stub_ == other.stub_; }
    bool operator!=(const AcDbObjectId& other) const { return stub_ != other.stub_; }
    // Creation order within a database (databases by their own creation order); reversed under
    // DERO_ID_ORDER=reversed, for tests. A real host promises no order: product code never uses it.
    bool operator<(const AcDbObjectId& other) const;
    bool operator>(const AcDbObjectId& other) const { return other < *this; }

private:
    platform::cad::ObjectStub* stub_ = nullptr;
};

using AcDbObjectIdArray = AcArray<AcDbObjectId>;
