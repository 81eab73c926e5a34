// Writes one dBASE III table (".dbf") of the exchange package: a fixed list of fields, then record
// after record. Nothing is ever read back; the writer only creates files.
//
// Use: Create, then for each record SetField / SetFieldByName / SetFieldReal and WriteRecord(true),
// then Close. A failure anywhere (the file cannot be created, a write fails, the count cannot be
// patched or the file cannot be closed) is kept in ErrorState and makes Close return false, so a
// caller that checks Close learns of every table that is not complete; such a table's file is
// removed, so that none is left on disk looking complete.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/win_types.h"

namespace cadastral {

// A field as the exporters declare it. The last decimal digit of kind is the value type (0 text,
// 1 and 2 whole number, 3 decimal number, 4 date); the digits above it belong to the exporter.
struct DbfFieldDef {
    char name[16];
    std::int32_t kind;
    std::int32_t width;
    std::int32_t decimals;
};

// The first 18 bytes of a dBASE III field descriptor, exactly as they stand in the file.
struct DbfFieldDescriptor {
    char name[11];               // zero-terminated, zero-filled
    char type;                   // 'C', 'N', 'F' or 'D'
    std::uint8_t offset[2];      // position in the record, little-endian; set by Create
    std::uint8_t reserved[2];
    std::uint8_t width;
    std::uint8_t decimals;
};
static_assert(sizeof(DbfFieldDescriptor) == 18);

// Fills count zero-filled descriptors from the definitions, in order. Widths above 254 become 254;
// a date is always 8 wide. Returns false, leaving the refused descriptor zero, when a definition
// cannot become a field a reader accepts: a name of more than 10 bytes, an unknown value type, a
// width below 1, or decimals outside 0..width-1.
bool BuildFieldDescriptors(DbfFieldDescriptor* descriptors, const DbfFieldDef* definitions, int count);

// What went wrong, kept until the next Create.
enum class DbfError : int {
    None = 0,
    CannotOpen = 2,    // the file cannot be created
    NoFields = 3,      // no field descriptors were given
    BadFields = 4,     // a descriptor is unusable, or the header or a record would outgrow 65535 bytes
    HeaderWrite = 5,   // writing the header, the descriptors or the terminator failed
    NoMemory = 6,      // the record buffer or the name index cannot be allocated
    RecordWrite = 7,   // writing a record failed; later records are not written
    CloseFailed = 8,   // patching the record count or closing the file failed
};

// FindField's answer for a name the table lacks; SetField ignores it.
inline constexpr int kDbfNoField = 32767;

class DbfTableWriter {
public:
    DbfTableWriter() = default;
    DbfTableWriter(const DbfTableWriter&) = delete;
    DbfTableWriter& operator=(const DbfTableWriter&) = delete;
    ~DbfTableWriter();

    // Creates or truncates the file at path (the host's code page, Windows or POSIX form) and writes
    // the header and the field list; until Close others may read the file but not write it. An open table is closed first; close it yourself to learn
    // whether it was complete. The writer keeps its own copies of the descriptors. Returns whether
    // the table is open.
    bool Create(std::string_view path, const DbfFieldDescriptor* descriptors, int count);

    // The number of the field of that name (names compare byte by byte), or kDbfNoField. Numbers
    // follow the fields sorted by name, not their order in the file. Of two fields of one name only
    // the first has a number; the other stays blank.
    int FindField(std::string_view name) const;

    // Puts text into the field: right-aligned in 'N' and 'F' fields, left-aligned otherwise, padded
    // with spaces and cut to the field width without splitting a double-byte character. An unknown
    // number changes nothing.
    void SetField(int number, std::string_view text);
    void SetFieldByName(std::string_view name, std::string_view text);
    // The value with three decimals ("%.3f"), whatever the field's decimals.
    void SetFieldReal(int number, double value);

    // Appends the record buffer as the next record (keep false: a blank record instead) and returns
    // the record count. The buffer keeps its values, so fields not set again repeat in the next
    // record. Records reach the file a block of them at a time, the last block at Close, so a
    // failed write shows in ErrorState when its block is written; after it nothing more is written
    // and the count stays.
    std::uint32_t WriteRecord(bool keep);

    // Patches the record count and closes the file. Returns true when the table is complete on disk
    // (ErrorState is None). Safe to call twice.
    bool Close();

    DbfError ErrorState() const { return m_error; }
    bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    struct IndexEntry {
        std::string name;
        int fileIndex;
    };

    void Fail(DbfError error);
    // Writes the gathered records after those already in the file; false once anything failed.
    bool WriteBlock();

    HANDLE m_file = INVALID_HANDLE_VALUE;
    std::string m_path;  // as given, for removing a table that failed
    DbfError m_error = DbfError::None;
    std::uint16_t m_headerLength = 0;
    std::uint16_t m_recordLength = 0;
    std::uint32_t m_recordCount = 0;
    std::uint32_t m_writtenCount = 0;
    std::vector<DbfFieldDescriptor> m_fields;  // in file order, with their offsets
    std::vector<IndexEntry> m_index;           // sorted by name
    std::vector<char> m_record;                // deletion flag, the fields, then the end-of-file byte
    std::vector<char> m_block;                 // records not yet written, in order
};

}  // namespace cadastral
