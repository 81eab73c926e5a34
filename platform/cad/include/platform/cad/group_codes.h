// What kind of value a DXF group code (or a result-buffer type) carries.
#pragma once

namespace platform::cad {

enum class GroupValueKind {
    None,     // markers and list brackets: no value
    String,   // text (also handles written as hexadecimal text)
    Real,     // double
    Point,    // three doubles
    Int16,    // 16-bit integer
    Int32,    // 32-bit integer
    Int64,    // 64-bit integer
    Name,     // entity name / object reference
    Binary,   // chunk of raw bytes
    Bool,     // stored as a 16-bit integer
};

// The value kind of a group code or of one of the host's RT* types; None for codes that carry no
// value and for unknown codes (check IsKnownGroupCode).
GroupValueKind GroupKindOf(int code);
bool IsKnownGroupCode(int code);
// The y or z group of a point (20-37, 120-139, 220-239, 1020-1039): part of the point that its x
// group starts, a real of its own only where it stands alone.
bool IsPointFollowerCode(int code);

}  // namespace platform::cad
