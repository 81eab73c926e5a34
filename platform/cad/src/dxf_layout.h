// The layout of a DXF file: its sections cut into records (one per table, table entry, block
// marker, entity and object), each spanning the groups from its 0 group to the next, and where
// the header variables are.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/cad/db_object_id.h"
#include "platform/cad/dxf_groups.h"

class AcDbObject;

namespace platform::cad {

// Why a file cannot be read; thrown and caught inside the reader only.
struct DxfFailure {
    std::string message;
};
[[noreturn]] void DxfFail(int line, const std::string& what);

enum class DxfRecordKind { Table, TableEntry, BlockBegin, BlockEnd, Entity, Object };

struct DxfRecord {
    DxfRecord(DxfRecordKind k, std::size_t b, std::size_t e, std::string_view t)
        : kind(k), begin(b), end(e), table(t) {}
    DxfRecordKind kind;
    std::size_t begin;  // the 0 group
    std::size_t end;
    std::string_view table;  // for tables and their entries: the table's name
    // Filled by the reader:
    AcDbObjectId id;
    AcDbObject* object = nullptr;  // open for write while the file is read
    AcDbObjectId owner;            // the block or complex entity it belongs to
    bool subEntity = false;
};

struct DxfLayout {
    std::vector<DxfRecord> records;
    std::map<std::string, std::size_t> header;  // variable name to the index of its 9 group
    bool sawEof = false;
};

// Cuts the groups into records. Throws DxfFailure naming the line of a group out of place.
void ParseDxfLayout(const std::vector<DxfGroup>& groups, DxfLayout& layout);

}  // namespace platform::cad
