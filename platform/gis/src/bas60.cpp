#include "platform/gis/bas60.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "attribute_values.h"
#include "platform/gis/gis_document.h"
#include "platform/text/gbk.h"

namespace platform::gis {
namespace {

struct Slot {
    short workspace = 0;
    short kind = 0;
    bool hasFile = false;
    std::string name;
    GisDocument document;
    // What the read calls hand out.
    std::string pointText;
    std::vector<D_DOT> linePoints;
    AttributeScratch attributes;
    AttributeScratch tableRow;
};

struct Workspace {
    std::vector<short> slots;
    LONG cursor = 0;
};

struct State {
    std::mutex mutex;
    std::map<short, Workspace> workspaces;
    std::map<short, std::unique_ptr<Slot>> slots;
    short next = 0;

    // Workspaces and slots share one numbering, so every handle names one thing.
    short NewHandle()
    {
        for (int tries = 0; tries < 32767; ++tries) {
            next = next == 32767 ? 1 : static_cast<short>(next + 1);
            if (!workspaces.contains(next) && !slots.contains(next)) return next;
        }
        return 0;
    }
    Slot* FindSlot(short handle)
    {
        auto it = slots.find(handle);
        return it == slots.end() ? nullptr : it->second.get();
    }
    Workspace* FindWorkspace(short handle)
    {
        auto it = workspaces.find(handle);
        return it == workspaces.end() ? nullptr : &it->second;
    }
    // The file a workspace's calls act on: its latest slot.
    Slot* CurrentSlot(short workspace)
    {
        Workspace* found = FindWorkspace(workspace);
        return found == nullptr || found->slots.empty() ? nullptr : FindSlot(found->slots.back());
    }
    void FreeSlot(short handle)
    {
        Slot* slot = FindSlot(handle);
        if (slot == nullptr) return;
        if (Workspace* owner = FindWorkspace(slot->workspace)) std::erase(owner->slots, handle);
        slots.erase(handle);
    }
    void FreeWorkspace(short handle)
    {
        Workspace* workspace = FindWorkspace(handle);
        if (workspace == nullptr) return;
        for (short slot : std::vector<short>(workspace->slots)) FreeSlot(slot);
        workspaces.erase(handle);
    }
};

State& state()
{
    static State instance;
    return instance;
}

LONG CountOfKind(const GisDocument& document, short kind)
{
    switch (kind) {
    case GIS_KIND_POINT: return static_cast<LONG>(document.points.size());
    case GIS_KIND_LINE: return static_cast<LONG>(document.lines.size());
    case GIS_KIND_AREA: return static_cast<LONG>(document.areas.size());
    case GIS_KIND_TABLE: return static_cast<LONG>(document.rows.size());
    default: return 0;
    }
}

// The values of object `number` (from 1) of the kind; null when there is none.
GisValues* ValuesOf(GisDocument& document, short kind, LONG number)
{
    if (number < 1 || number > CountOfKind(document, kind)) return nullptr;
    const auto index = static_cast<std::size_t>(number - 1);
    switch (kind) {
    case GIS_KIND_POINT: return &document.points[index].values;
    case GIS_KIND_LINE: return &document.lines[index].values;
    case GIS_KIND_AREA: return &document.areas[index].values;
    default: return &document.rows[index];
    }
}

GisValues BlankValues(const std::vector<GisField>& fields)
{
    GisValues values;
    for (const auto& field : fields) values.push_back(DefaultFieldValue(field));
    return values;
}

Slot* FileOf(State& s, short file)
{
    Slot* slot = s.FindSlot(file);
    return slot != nullptr && slot->hasFile ? slot : nullptr;
}

// The structure must describe this file's fields: a record from another file cannot be stored.
bool Matches(const Slot& slot, const CATT_STRU* structure, const ATT_VALUES* values)
{
    const AttributeScratch* owner = AttributeScratch::Owner(structure);
    if (owner == nullptr || values == nullptr || values->values.size() != slot.document.fields.size()) return false;
    if (owner->fields.size() != slot.document.fields.size()) return false;
    for (std::size_t i = 0; i < owner->fields.size(); ++i)
        if (owner->fields[i].name != slot.document.fields[i].name || owner->fields[i].type != slot.document.fields[i].type)
            return false;
    return true;
}

}  // namespace

void AttributeScratch::Fill(const std::vector<GisField>& from, const GisValues& record)
{
    fields = from;
    heads.assign(from.size(), CFIELD_HEAD{});
    for (std::size_t i = 0; i < from.size(); ++i) {
        std::memcpy(heads[i].name, from[i].name.data(), std::min<std::size_t>(from[i].name.size(), 19));
        heads[i].type = from[i].type;
        heads[i].width = from[i].width;
        heads[i].decimals = from[i].decimals;
        heads[i].flag = from[i].flag;
    }
    structure.fieldCount = static_cast<short>(heads.size());
    structure.fields = heads.data();
    // Each value is copied into the string already there, so that filling one record after another
    // reuses their room.
    values.values.resize(record.size());
    const std::string_view packed = record.Packed();
    for (std::size_t i = 0, at = 0; i < record.size(); ++i) {
        std::uint16_t size = 0;
        std::memcpy(&size, packed.data() + at, sizeof size);
        values.values[i].assign(packed.substr(at + sizeof size, size));
        at += sizeof size + size;
    }
}

const AttributeScratch* AttributeScratch::Owner(const CATT_STRU* structure)
{
    if (structure == nullptr) return nullptr;
    // The structure is always the member of a scratch record this library handed out.
    auto& s = state();
    for (auto& [handle, slot] : s.slots) {
        if (&slot->attributes.structure == structure) return &slot->attributes;
        if (&slot->tableRow.structure == structure) return &slot->tableRow;
    }
    return nullptr;
}

}  // namespace platform::gis

using namespace platform::gis;

short GisNewWorkspace(short)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const short handle = s.NewHandle();
    if (handle > 0) s.workspaces[handle] = Workspace{};
    return handle;
}

short GisGetFileSlot(short workspace, short kind)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Workspace* found = s.FindWorkspace(workspace);
    if (found == nullptr || !IsGisKind(kind)) return 0;
    const short handle = s.NewHandle();
    if (handle <= 0) return 0;
    auto slot = std::make_unique<Slot>();
    slot->workspace = workspace;
    slot->kind = kind;
    s.slots[handle] = std::move(slot);
    found->slots.push_back(handle);
    found->cursor = 0;
    return handle;
}

LONG GisLoadFile(const char* path, short slot, LONG, LONG, LONG)
{
    if (path == nullptr) return 0;
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    const int read = ReadFileBytes(path, &bytes, &size);
    if (read <= 0) return read;
    GisDocument document;
    std::string error;
    if (!ParseGisDocument(std::string_view(bytes.get(), size), &document, &error)) return -1;
    bytes.reset();
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* target = s.FindSlot(slot);
    if (target == nullptr) return 0;
    if (document.kind != target->kind) return -1;
    target->document = std::move(document);
    target->name = path;
    target->hasFile = true;
    if (Workspace* owner = s.FindWorkspace(target->workspace)) owner->cursor = 0;
    return 1;
}

LONG GisNewFile(const char* name, short slot, LONG, LONG, LONG)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* target = s.FindSlot(slot);
    if (target == nullptr || name == nullptr) return 0;
    target->document = NewGisDocument(target->kind);
    target->name = name;
    target->hasFile = true;
    return 1;
}

short GisGetFileHandle(short workspace)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Workspace* found = s.FindWorkspace(workspace);
    if (found == nullptr || found->slots.empty()) return 0;
    found->cursor = 0;
    return found->slots.back();
}

LONG GisGetObjectCount(short workspace)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = s.CurrentSlot(workspace);
    return slot == nullptr || !slot->hasFile ? 0 : CountOfKind(slot->document, slot->kind);
}

short GisNextObject(short workspace)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Workspace* found = s.FindWorkspace(workspace);
    if (found == nullptr || found->slots.empty()) return 0;
    ++found->cursor;
    return found->slots.back();
}

namespace {

LONG CurrentOfKind(short file, short kind)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr) return 0;
    Workspace* owner = s.FindWorkspace(slot->workspace);
    if (owner == nullptr) return 0;
    const LONG number = owner->cursor + 1;
    return number <= CountOfKind(slot->document, kind) ? number : 0;
}

}  // namespace

LONG GisCurrentPoint(short file) { return CurrentOfKind(file, GIS_KIND_POINT); }
LONG GisCurrentLine(short file) { return CurrentOfKind(file, GIS_KIND_LINE); }
LONG GisCurrentArea(short file) { return CurrentOfKind(file, GIS_KIND_AREA); }

LONG GisGetPoint(short file, LONG number, D_DOT* position, const char** text, BYTE* params)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || number < 1 || number > CountOfKind(slot->document, GIS_KIND_POINT)) return 0;
    const GisPoint& point = slot->document.points[static_cast<std::size_t>(number - 1)];
    if (position) *position = point.position;
    slot->pointText = point.text;
    if (text) *text = slot->pointText.c_str();
    if (params) std::memcpy(params, point.params.data(), point.params.size());
    return 1;
}

LONG GisGetLine(short file, LONG number, const D_DOT** points, LONG* count, BYTE* params)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || number < 1 || number > CountOfKind(slot->document, GIS_KIND_LINE)) return 0;
    const GisLine& line = slot->document.lines[static_cast<std::size_t>(number - 1)];
    slot->linePoints = line.points;
    if (points) *points = slot->linePoints.data();
    if (count) *count = static_cast<LONG>(line.points.size());
    if (params) std::memcpy(params, line.params.data(), line.params.size());
    return 1;
}

LONG GisGetArea(short file, LONG number, const LONG** lineList, LONG* length, BYTE* params)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || number < 1 || number > CountOfKind(slot->document, GIS_KIND_AREA)) return 0;
    const GisArea& area = slot->document.areas[static_cast<std::size_t>(number - 1)];
    if (lineList) *lineList = area.lines.data();
    if (length) *length = static_cast<LONG>(area.lines.size());
    if (params) std::memcpy(params, area.params.data(), area.params.size());
    return 1;
}

LONG GisWritePoint(short file, const D_DOT* position, const char* text, short textLength, const BYTE* params, short)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || position == nullptr || !IsFinite(*position) || textLength < 0 ||
        (textLength > 0 && text == nullptr))
        return 0;
    GisPoint point;
    point.position = *position;
    if (textLength > 0) point.text.assign(text, static_cast<std::size_t>(textLength));
    if (params) std::memcpy(point.params.data(), params, point.params.size());
    point.values = BlankValues(slot->document.fields);
    slot->document.points.push_back(std::move(point));
    return static_cast<LONG>(slot->document.points.size());
}

LONG GisWriteLine(short file, const D_DOT* points, LONG count, const BYTE* params, short)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || points == nullptr || count < 2 || !std::all_of(points, points + count, IsFinite)) return 0;
    GisLine line;
    line.points.assign(points, points + count);
    if (params) std::memcpy(line.params.data(), params, line.params.size());
    line.values = BlankValues(slot->document.fields);
    slot->document.lines.push_back(std::move(line));
    return static_cast<LONG>(slot->document.lines.size());
}

LONG GisBuildArea(short file, const LONG* lineList, LONG length, const BYTE* params)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || lineList == nullptr || length < 2) return 0;
    GisArea area;
    area.lines.assign(lineList, lineList + length);
    if (!IsValidLineList(area.lines, slot->document.lines.size())) return 0;
    if (params) std::memcpy(area.params.data(), params, area.params.size());
    area.values = BlankValues(slot->document.fields);
    slot->document.areas.push_back(std::move(area));
    return static_cast<LONG>(slot->document.areas.size());
}

LONG GisSaveFile(short file, const char* path, LONG, LONG, LONG, LONG)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || path == nullptr) return 0;
    // The bytes go to the file as they are made, so that a large file is never held whole.
    const GisDocument& document = slot->document;
    return WriteFileAtomically(path, [&document](const ByteSink& sink) { return SerializeGisDocument(document, sink); }) ? 1
                                                                                                                        : 0;
}

LONG GisIsEmpty(short file)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr) return 0;
    const GisDocument& d = slot->document;
    return d.points.empty() && d.lines.empty() && d.areas.empty() && d.rows.empty() ? 1 : 0;
}

LONG GisGetAttribute(short file, short kind, LONG number, CATT_STRU** structure, ATT_VALUES** values)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr) return 0;
    GisValues blank;
    const GisValues* record = nullptr;
    if (kind == GIS_KIND_TABLE && number == 0 && slot->kind == GIS_KIND_TABLE) {
        // Record 0 of a table is its blank record.
        blank = BlankValues(slot->document.fields);
        record = &blank;
    } else {
        record = ValuesOf(slot->document, kind, number);
    }
    if (record == nullptr) return 0;
    slot->attributes.Fill(slot->document.fields, *record);
    if (structure) *structure = &slot->attributes.structure;
    if (values) *values = &slot->attributes.values;
    return 1;
}

namespace {

LONG SetField(const AttributeScratch* owner, ATT_VALUES* values, std::size_t position, std::string_view text)
{
    if (owner == nullptr || values == nullptr || position >= owner->fields.size() ||
        values->values.size() != owner->fields.size())
        return 0;
    // Written into the value already there (left alone when the text is refused), reusing its room.
    return NormalizeFieldValue(owner->fields[position], text, &values->values[position]) ? 1 : 0;
}

}  // namespace

LONG GisSetFieldText(CATT_STRU* structure, ATT_VALUES* values, const char* fieldName, const char* text)
{
    if (fieldName == nullptr || text == nullptr) return 0;
    State& s = state();
    std::lock_guard lock(s.mutex);
    const AttributeScratch* owner = AttributeScratch::Owner(structure);
    if (owner == nullptr) return 0;
    // Lengths are compared first: most fields differ from the name in length.
    const std::string_view name(fieldName);
    for (std::size_t i = 0; i < owner->fields.size(); ++i)
        if (owner->fields[i].name == name) return SetField(owner, values, i, text);
    return 0;
}

LONG GisSetFieldValue(CATT_STRU* structure, ATT_VALUES* values, short position, const char* text)
{
    if (text == nullptr || position < 0) return 0;
    State& s = state();
    std::lock_guard lock(s.mutex);
    return SetField(AttributeScratch::Owner(structure), values, static_cast<std::size_t>(position), text);
}

LONG GisSetFieldNumber(CATT_STRU* structure, ATT_VALUES* values, short position, double number)
{
    if (position < 0) return 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", number);
    State& s = state();
    std::lock_guard lock(s.mutex);
    return SetField(AttributeScratch::Owner(structure), values, static_cast<std::size_t>(position), text);
}

LONG GisPutAttribute(short file, short kind, LONG number, CATT_STRU* structure, ATT_VALUES* values)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || !Matches(*slot, structure, values)) return 0;
    GisValues* record = ValuesOf(slot->document, kind, number);
    if (record == nullptr) return 0;
    *record = GisValues(values->values);
    return 1;
}

LONG GisAddField(short file, const CFIELD_HEAD* field)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, file);
    if (slot == nullptr || field == nullptr || field->type > GIS_FIELD_INT64) return 0;
    GisField added;
    added.name.assign(field->name, strnlen(field->name, sizeof field->name));
    added.name = platform::text::TruncateGbk(added.name, 19);
    if (added.name.empty()) return 0;
    for (const auto& existing : slot->document.fields)
        if (existing.name == added.name) return 0;
    added.type = field->type;
    added.width = field->width;
    added.decimals = field->decimals;
    added.flag = field->flag;
    // Objects already written take the new field's blank value.
    GisDocument& d = slot->document;
    const std::string blank = DefaultFieldValue(added);
    for (auto& point : d.points) point.values.push_back(blank);
    for (auto& line : d.lines) line.values.push_back(blank);
    for (auto& area : d.areas) area.values.push_back(blank);
    for (auto& row : d.rows) row.push_back(blank);
    d.fields.push_back(std::move(added));
    return static_cast<LONG>(d.fields.size() - 1);
}

LONG GisNewTableRow(short table, short kind, CATT_STRU** structure, ATT_VALUES** values)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, table);
    if (slot == nullptr || kind != GIS_KIND_TABLE || slot->kind != GIS_KIND_TABLE) return 0;
    slot->tableRow.Fill(slot->document.fields, BlankValues(slot->document.fields));
    if (structure) *structure = &slot->tableRow.structure;
    if (values) *values = &slot->tableRow.values;
    return 1;
}

LONG GisAppendTableRow(short table, CATT_STRU* structure, ATT_VALUES* values)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* slot = FileOf(s, table);
    if (slot == nullptr || slot->kind != GIS_KIND_TABLE || !Matches(*slot, structure, values)) return 0;
    slot->document.rows.emplace_back(values->values);
    return static_cast<LONG>(slot->document.rows.size());
}

LONG GisSlotHasFile(short slot)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return FileOf(s, slot) != nullptr ? 1 : 0;
}

LONG GisCloseFile(short slot, LONG)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    Slot* found = FileOf(s, slot);
    if (found == nullptr) return 0;
    found->hasFile = false;
    found->document = GisDocument{};
    found->name.clear();
    return 1;
}

LONG GisFreeSlot(short slotOrWorkspace)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.FindSlot(slotOrWorkspace) != nullptr) {
        s.FreeSlot(slotOrWorkspace);
        return 1;
    }
    Workspace* workspace = s.FindWorkspace(slotOrWorkspace);
    if (workspace == nullptr) return 0;
    for (short slot : std::vector<short>(workspace->slots)) s.FreeSlot(slot);
    return 1;
}

LONG GisFreeRecords(short workspace)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.FindWorkspace(workspace) == nullptr) return 0;
    s.FreeWorkspace(workspace);
    return 1;
}

LONG GisFreeWorkspace(short workspace) { return GisFreeRecords(workspace); }
