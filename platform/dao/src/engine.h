// The engines behind the data-access classes: tables read whole into memory when a recordset
// opens them, from a Jet file or from the text form.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dao/ole_variant.h"

namespace platform::dao {

struct Table {
    std::string name;                 // GBK
    std::vector<std::string> fields;  // GBK, in table order
    std::vector<std::vector<COleVariant>> rows;

    // Index of the field (names compare without case), -1 when absent.
    int FieldIndex(std::string_view name) const;
};

class Database {
public:
    virtual ~Database() = default;
    // The table named (without case), or raises 3078.
    virtual std::shared_ptr<const Table> ReadTable(const std::string& name) = 0;
};

// Opens by content: a Jet file through libmdb, anything else as the text form. windowsPath is for
// messages. Raises 3343 when the content is not a database.
std::shared_ptr<Database> OpenDatabase(std::string bytes, const std::string& windowsPath);

std::shared_ptr<Database> OpenTextDatabase(std::string_view utf8, const std::string& windowsPath);
std::shared_ptr<Database> OpenJetDatabase(std::string bytes, const std::string& windowsPath);

bool IsJetFile(std::string_view bytes);

[[noreturn]] void ThrowUnrecognized(const std::string& windowsPath, const std::string& detail);
[[noreturn]] void ThrowTableNotFound(const std::string& name);

}  // namespace platform::dao
