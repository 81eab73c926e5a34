#include "cadastral/dbf_table_writer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/text/format.h"
#include "platform/text/gbk.h"
#include "platform/win/file_handles.h"

namespace cadastral {
namespace {

constexpr int kMaxBuiltWidth = 254;
constexpr std::size_t kNameBytes = sizeof(DbfFieldDescriptor::name);
constexpr std::size_t kMaxHeaderLength = 0xFFFF;
constexpr std::size_t kMaxRecordLength = 0xFFFF;
constexpr char kEndOfFields = 0x0D;
constexpr char kEndOfFile = 0x1A;
// Records are gathered into blocks of about this size and written a block at a time.
constexpr std::size_t kBlockBytes = 64 * 1024;
// The change date in every header is 26 July 1995, never today's: the exchange package is
// compared byte for byte between runs.
constexpr unsigned char kChangeDate[3] = {0x5F, 0x07, 0x1A};

// Product code names files in the host's code page and in Windows form ("C:\\out\\ZD.dbf"). Nobody
// else may write the table while it is being built.
HANDLE OpenTableFile(const std::string& gbkPath) {
    if (gbkPath.empty() || gbkPath.find('\0') != std::string::npos) return INVALID_HANDLE_VALUE;
    return CreateFileA(gbkPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool WriteHere(HANDLE file, const char* data, std::size_t size) {
    DWORD written = 0;
    return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool WriteAt(HANDLE file, const char* data, std::size_t size, std::int64_t position) {
    LARGE_INTEGER distance{};
    distance.QuadPart = position;
    return SetFilePointerEx(file, distance, nullptr, FILE_BEGIN) && WriteHere(file, data, size);
}

void PutLittleEndian(char* out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string_view DescriptorName(const DbfFieldDescriptor& field) {
    return std::string_view(field.name, strnlen(field.name, kNameBytes));
}

bool IsUsable(const DbfFieldDescriptor& field) {
    const bool knownType = field.type == 'C' || field.type == 'N' || field.type == 'F' || field.type == 'D';
    return knownType && field.width > 0 && std::memchr(field.name, 0, kNameBytes) != nullptr;
}

}  // namespace

bool BuildFieldDescriptors(DbfFieldDescriptor* descriptors, const DbfFieldDef* definitions, int count) {
    if (count < 0 || (count > 0 && (descriptors == nullptr || definitions == nullptr))) return false;
    for (int i = 0; i < count; ++i) {
        const DbfFieldDef& def = definitions[i];
        DbfFieldDescriptor& out = descriptors[i];
        const std::size_t nameLength = strnlen(def.name, sizeof(def.name));
        // A longer name would run into the type letter.
        if (nameLength >= kNameBytes) return false;
        int width = std::min(def.width, kMaxBuiltWidth);
        int decimals = 0;
        char type;
        switch (def.kind % 10) {
            case 0: type = 'C'; break;
            case 1:
            case 2: type = 'N'; break;
            case 3:
                type = 'N';
                decimals = def.decimals;
                break;
            case 4:
                type = 'D';
                width = 8;
                break;
            default: return false;  // also a negative kind
        }
        if (width < 1 || decimals < 0 || decimals >= width) return false;
        std::memcpy(out.name, def.name, nameLength);
        out.name[nameLength] = '\0';
        out.type = type;
        out.width = static_cast<std::uint8_t>(width);
        out.decimals = static_cast<std::uint8_t>(decimals);
    }
    return true;
}

DbfTableWriter::~DbfTableWriter() { Close(); }

void DbfTableWriter::Fail(DbfError error) {
    // The first cause is the one worth reporting.
    if (m_error == DbfError::None) m_error = error;
}

bool DbfTableWriter::Create(std::string_view path, const DbfFieldDescriptor* descriptors, int count) {
    // A failed Create leaves the writer closed, so whatever was open goes first.
    Close();
    m_recordCount = 0;
    m_writtenCount = 0;
    if (descriptors == nullptr || count <= 0) {
        m_error = DbfError::NoFields;
        return false;
    }
    m_error = DbfError::None;

    // The header and record lengths are 16-bit in the file; beyond that the table would be corrupt.
    const std::size_t headerLength = 32 * static_cast<std::size_t>(count) + 33;
    std::size_t recordLength = 1;
    for (int i = 0; i < count; ++i) {
        if (!IsUsable(descriptors[i])) {
            m_error = DbfError::BadFields;
            return false;
        }
        recordLength += descriptors[i].width;
    }
    if (headerLength > kMaxHeaderLength || recordLength > kMaxRecordLength) {
        m_error = DbfError::BadFields;
        return false;
    }

    // Everything is allocated before the file is touched, so a refusal leaves no file behind.
    std::vector<char> header;
    try {
        m_fields.assign(descriptors, descriptors + count);
        m_index.reserve(static_cast<std::size_t>(count));
        m_record.assign(recordLength + 1, ' ');
        m_block.clear();
        m_block.reserve(std::max(kBlockBytes, recordLength + 1));
        header.assign(headerLength, '\0');
        std::uint32_t offset = 1;
        for (int i = 0; i < count; ++i) {
            DbfFieldDescriptor& field = m_fields[static_cast<std::size_t>(i)];
            // Only the name, type, width and decimals come from the caller; the rest is ours.
            const std::string name(DescriptorName(field));
            std::memset(field.name, 0, kNameBytes);
            std::memcpy(field.name, name.data(), name.size());
            field.offset[0] = static_cast<std::uint8_t>(offset & 0xFF);
            field.offset[1] = static_cast<std::uint8_t>(offset >> 8);
            field.reserved[0] = field.reserved[1] = 0;
            offset += field.width;
            std::memcpy(&header[32 + 32 * static_cast<std::size_t>(i)], &field, sizeof(field));

            auto at = std::lower_bound(m_index.begin(), m_index.end(), name,
                                       [](const IndexEntry& e, const std::string& n) { return e.name < n; });
            if (at == m_index.end() || at->name != name) m_index.insert(at, IndexEntry{name, i});
        }
    } catch (const std::bad_alloc&) {
        m_error = DbfError::NoMemory;
        Close();
        return false;
    }
    m_record.back() = kEndOfFile;
    m_headerLength = static_cast<std::uint16_t>(headerLength);
    m_recordLength = static_cast<std::uint16_t>(recordLength);
    header[0] = 0x03;
    std::memcpy(&header[1], kChangeDate, sizeof(kChangeDate));
    PutLittleEndian(&header[8], m_headerLength, 2);
    PutLittleEndian(&header[10], m_recordLength, 2);
    header[headerLength - 1] = kEndOfFields;

    try {
        m_path.assign(path);
    } catch (const std::bad_alloc&) {
        m_error = DbfError::NoMemory;
        Close();
        return false;
    }
    m_file = OpenTableFile(m_path);
    if (m_file == INVALID_HANDLE_VALUE) {
        m_error = DbfError::CannotOpen;
        Close();
        return false;
    }
    if (!WriteAt(m_file, header.data(), header.size(), 0)) {
        m_error = DbfError::HeaderWrite;
        Close();
        return false;
    }
    return true;
}

int DbfTableWriter::FindField(std::string_view name) const {
    auto at = std::lower_bound(m_index.begin(), m_index.end(), name,
                               [](const IndexEntry& e, std::string_view n) { return e.name < n; });
    if (at == m_index.end() || at->name != name) return kDbfNoField;
    return static_cast<int>(at - m_index.begin());
}

void DbfTableWriter::SetField(int number, std::string_view text) {
    if (number < 0 || static_cast<std::size_t>(number) >= m_index.size()) return;
    const DbfFieldDescriptor& field = m_fields[static_cast<std::size_t>(m_index[number].fileIndex)];
    const std::size_t width = field.width;
    const std::size_t offset = field.offset[0] | (field.offset[1] << 8);
    // Cut before the field's end rather than run into the next field, and never half a character.
    const std::size_t length = platform::text::GbkFitLength(text, width);
    const bool rightAligned = field.type == 'N' || field.type == 'F';
    char* place = &m_record[offset];
    std::memset(place, ' ', width);
    if (length > 0) std::memcpy(place + (rightAligned ? width - length : 0), text.data(), length);
}

void DbfTableWriter::SetFieldByName(std::string_view name, std::string_view text) {
    SetField(FindField(name), text);
}

void DbfTableWriter::SetFieldReal(int number, double value) {
    SetField(number, platform::text::Format("%.3f", value));
}

std::uint32_t DbfTableWriter::WriteRecord(bool keep) {
    if (m_file == INVALID_HANDLE_VALUE || m_error != DbfError::None) return m_recordCount;
    if (!keep) std::fill(m_record.begin(), m_record.end() - 1, ' ');
    m_record[0] = ' ';
    // The block never grows past what Create reserved, one byte kept for the end-of-file byte, so
    // appending cannot fail.
    if (m_block.size() + m_recordLength + 1 > m_block.capacity() && !WriteBlock()) return m_recordCount;
    m_block.insert(m_block.end(), m_record.begin(), m_record.begin() + m_recordLength);
    return ++m_recordCount;
}

bool DbfTableWriter::WriteBlock() {
    // Blocks follow each other from the end of the header, each where the one before it stopped.
    if (!m_block.empty() && !WriteHere(m_file, m_block.data(), m_block.size())) Fail(DbfError::RecordWrite);
    m_block.clear();
    return m_error == DbfError::None;
}

bool DbfTableWriter::Close() {
    if (m_file != INVALID_HANDLE_VALUE) {
        // A table with records ends with the end-of-file byte, one without them with its header.
        if (m_error == DbfError::None && m_recordCount != m_writtenCount) {
            m_block.push_back(kEndOfFile);
            WriteBlock();
        }
        if (m_error == DbfError::None && m_recordCount != m_writtenCount) {
            char count[4];
            PutLittleEndian(count, m_recordCount, 4);
            if (WriteAt(m_file, count, sizeof(count), 4)) {
                m_writtenCount = m_recordCount;
            } else {
                Fail(DbfError::CloseFailed);
            }
        }
        // A failing close can be the first sign of a write that never reached the disk.
        if (!CloseHandle(m_file)) Fail(DbfError::CloseFailed);
        m_file = INVALID_HANDLE_VALUE;
        // A table that is not complete must not stay behind looking like one.
        if (m_error != DbfError::None) DeleteFileA(m_path.c_str());
    }
    m_path.clear();
    m_fields.clear();
    m_index.clear();
    m_record.clear();
    m_record.shrink_to_fit();
    m_block.clear();
    m_block.shrink_to_fit();
    return m_error == DbfError::None;
}

}  // namespace cadastral
