#include "platform/cad/dxf_reader.h"

#include <charconv>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "dxf_object_factory.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/dxf_groups.h"
#include "platform/cad/dxf_text_codec.h"
#include "platform/cad/xdata_rules.h"
#include "platform/text/gbk.h"

namespace platform::cad {

namespace {

enum class RecordKind { Table, TableEntry, BlockBegin, BlockEnd, Entity, Object };

// One object of the file: the groups from its 0 group up to the next.
struct Record {
    Record(RecordKind k, std::size_t b, std::size_t e, std::string_view t) : kind(k), begin(b), end(e), table(t) {}
    RecordKind kind;
    std::size_t begin;  // the 0 group
    std::size_t end;
    std::string_view table;  // for tables and their entries: the table's name
    AcDbObjectId id;
    AcDbObject* object = nullptr;  // open for write while the file is read
    AcDbObjectId owner;            // the block or complex entity it belongs to
    bool subEntity = false;
};

struct Failure {
    std::string message;
};

std::string LineText(int line) { return "line " + std::to_string(line); }

bool IsXCode(int code)
{
    return (code >= 10 && code <= 18) || (code >= 110 && code <= 112) || code == 210 ||
           (code >= 1010 && code <= 1013);
}

class Reader {
public:
    Reader(AcDbDatabase& db, std::vector<DxfGroup> groups) : db_(db), g_(std::move(groups)) {}

    void Run()
    {
        ParseSections();
        if (!sawEof_)
            Fail(g_.empty() ? 0 : g_.back().line, "the file ends before its EOF marker (cut short?)");
        SetUpText();
        CreateObjects();
        EnsureRoots();
        FillTables();
        FillBlocks();
        FillEntities();
        FillObjects();
        ApplyCommonParts();
        ApplyHeader();
        for (auto& r : records_)
            if (r.object != nullptr)
                r.object->close();
        for (AcDbObject* o : extraOpen_)
            o->close();
        db_.setRootIds(blockTable_, layerTable_, linetypeTable_, styleTable_, appTable_, nod_);
        ApplyCurrentSettings();
    }

    // On failure the objects made so far are closed, so that the database can be dropped.
    void CloseAll()
    {
        for (auto& r : records_)
            if (r.object != nullptr && r.object->isWriteEnabled() && r.object->isDatabaseResident())
                r.object->close();
        for (AcDbObject* o : extraOpen_)
            o->close();
        records_.clear();
        extraOpen_.clear();
    }

private:
    [[noreturn]] static void Fail(int line, const std::string& what)
    {
        throw Failure{line > 0 ? LineText(line) + ": " + what : what};
    }

    // ---- structure -------------------------------------------------------------------------

    void ParseSections()
    {
        std::size_t i = 0;
        if (!g_.empty() && g_[0].code == 0 && g_[0].value.substr(0, 18) == "AutoCAD Binary DXF")
            Fail(1, "binary DXF files are not read; save the drawing as ASCII DXF");
        while (i < g_.size()) {
            const DxfGroup& gr = g_[i];
            if (gr.code == 999) {
                ++i;
                continue;
            }
            if (gr.code != 0)
                Fail(gr.line, "a section was expected, found group code " + std::to_string(gr.code));
            std::string_view v = TrimDxfValue(gr.value);
            if (v == "EOF") {
                sawEof_ = true;
                return;
            }
            if (v != "SECTION")
                Fail(gr.line, "a section was expected, found \"" + std::string(v.substr(0, 40)) + "\"");
            if (i + 1 >= g_.size() || g_[i + 1].code != 2)
                Fail(gr.line, "the section has no name");
            std::string_view name = TrimDxfValue(g_[i + 1].value);
            std::size_t end = i + 2;
            while (end < g_.size() && !(g_[end].code == 0 && TrimDxfValue(g_[end].value) == "ENDSEC"))
                ++end;
            if (end >= g_.size())
                Fail(gr.line, "the section " + std::string(name) + " has no end (cut short?)");
            if (name == "HEADER")
                ParseHeader(i + 2, end);
            else if (name == "TABLES")
                ParseTables(i + 2, end);
            else if (name == "BLOCKS")
                ParseRecords(i + 2, end, true);
            else if (name == "ENTITIES")
                ParseRecords(i + 2, end, false);
            else if (name == "OBJECTS")
                ParseObjects(i + 2, end);
            i = end + 1;
        }
    }

    void ParseHeader(std::size_t i, std::size_t end)
    {
        std::string current;
        for (; i < end; ++i) {
            if (g_[i].code == 9) {
                current = std::string(TrimDxfValue(g_[i].value));
                header_[current] = i;
            }
        }
    }

    // The next record boundary (a 0 group) from i.
    std::size_t NextZero(std::size_t i, std::size_t end) const
    {
        ++i;
        while (i < end && g_[i].code != 0)
            ++i;
        return i;
    }

    std::string_view TypeOf(std::size_t i) const { return TrimDxfValue(g_[i].value); }

    void ParseTables(std::size_t i, std::size_t end)
    {
        if (i < end && g_[i].code != 0)
            Fail(g_[i].line, "a TABLE was expected");
        while (i < end) {
            std::size_t next = NextZero(i, end);
            if (TypeOf(i) != "TABLE")
                Fail(g_[i].line, "a TABLE was expected, found \"" + std::string(TypeOf(i).substr(0, 40)) + "\"");
            std::string_view name;
            for (std::size_t k = i + 1; k < next; ++k)
                if (g_[k].code == 2) {
                    name = TrimDxfValue(g_[k].value);
                    break;
                }
            records_.push_back(Record{RecordKind::Table, i, next, name});
            i = next;
            while (i < end && TypeOf(i) != "ENDTAB") {
                next = NextZero(i, end);
                records_.push_back(Record{RecordKind::TableEntry, i, next, name});
                i = next;
            }
            if (i >= end)
                Fail(g_[records_.back().begin].line, "the table " + std::string(name) + " has no ENDTAB");
            i = NextZero(i, end);
        }
    }

    void ParseRecords(std::size_t i, std::size_t end, bool blocks)
    {
        if (i < end && g_[i].code != 0)
            Fail(g_[i].line, "an entity was expected");
        bool inBlock = false;
        while (i < end) {
            std::size_t next = NextZero(i, end);
            std::string_view type = TypeOf(i);
            RecordKind kind = RecordKind::Entity;
            if (blocks && type == "BLOCK") {
                if (inBlock)
                    Fail(g_[i].line, "a BLOCK starts inside another block");
                inBlock = true;
                kind = RecordKind::BlockBegin;
            } else if (blocks && type == "ENDBLK") {
                if (!inBlock)
                    Fail(g_[i].line, "ENDBLK without its BLOCK");
                inBlock = false;
                kind = RecordKind::BlockEnd;
            } else if (blocks && !inBlock) {
                Fail(g_[i].line, "an entity outside any block");
            } else if (type.empty()) {
                Fail(g_[i].line, "an entity without a type name");
            }
            records_.push_back(Record{kind, i, next, {}});
            i = next;
        }
        if (inBlock)
            Fail(g_[end - 1].line, "the last block has no ENDBLK");
    }

    void ParseObjects(std::size_t i, std::size_t end)
    {
        if (i < end && g_[i].code != 0)
            Fail(g_[i].line, "an object was expected");
        while (i < end) {
            std::size_t next = NextZero(i, end);
            if (TypeOf(i).empty())
                Fail(g_[i].line, "an object without a type name");
            records_.push_back(Record{RecordKind::Object, i, next, {}});
            i = next;
        }
    }

    // ---- values ----------------------------------------------------------------------------

    const DxfGroup* HeaderValue(const char* name, int code) const
    {
        auto it = header_.find(name);
        if (it == header_.end())
            return nullptr;
        for (std::size_t k = it->second + 1; k < g_.size() && g_[k].code != 9 && g_[k].code != 0; ++k)
            if (g_[k].code == code)
                return &g_[k];
        return nullptr;
    }

    void SetUpText()
    {
        const DxfGroup* ver = HeaderValue("$ACADVER", 1);
        const DxfGroup* page = HeaderValue("$DWGCODEPAGE", 3);
        std::string_view version = ver != nullptr ? TrimDxfValue(ver->value) : std::string_view("AC1009");
        decoder_ = std::make_unique<DxfTextDecoder>(IsUtf8DxfVersion(version),
                                                    page != nullptr ? TrimDxfValue(page->value) : std::string_view());
    }

    double Real(const DxfGroup& gr) const
    {
        std::string_view v = TrimDxfValue(gr.value);
        double d = 0;
        auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
        if (ec != std::errc() || p != v.data() + v.size() || v.empty())
            Fail(gr.line, "\"" + std::string(v.substr(0, 40)) + "\" is not a number (group " +
                                                        std::to_string(gr.code) + ")");
        return d;
    }

    std::int64_t Integer(const DxfGroup& gr) const
    {
        std::string_view v = TrimDxfValue(gr.value);
        std::int64_t n = 0;
        if (!v.empty() && v.front() == '+')
            v.remove_prefix(1);
        auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
        if (ec != std::errc() || p != v.data() + v.size() || v.empty())
            Fail(gr.line, "\"" + std::string(v.substr(0, 40)) +
                                                        "\" is not a whole number (group " + std::to_string(gr.code) + ")");
        return n;
    }

    std::uint64_t HandleValue(const DxfGroup& gr) const
    {
        std::string text(TrimDxfValue(gr.value));
        return AcDbHandle(text.c_str()).value();
    }

    AcDbObjectId Resolve(std::uint64_t handle) const
    {
        AcDbObjectId id;
        if (handle != 0)
            db_.getAcDbObjectId(id, false, AcDbHandle(handle));
        return id;
    }

    // The groups of a record as tags, points joined and references resolved. Groups from 1001 on
    // go to xdata when it is given.
    DxfTagList Tags(const Record& r, DxfTagList* xdata = nullptr) const
    {
        DxfTagList tags;
        DxfTagList* out = &tags;
        for (std::size_t k = r.begin + 1; k < r.end; ++k) {
            const DxfGroup& gr = g_[k];
            if (gr.code == 999)
                continue;
            if (gr.code == 1001) {
                if (xdata == nullptr)
                    break;
                out = xdata;
            }
            DxfTag tag;
            tag.code = gr.code;
            switch (GroupKindOf(gr.code)) {
            case GroupValueKind::String:
                tag.text = decoder_->Decode(gr.value);
                break;
            case GroupValueKind::Real:
                tag.real = Real(gr);
                break;
            case GroupValueKind::Point: {
                if (!IsXCode(gr.code))
                    Fail(gr.line, "coordinate group " + std::to_string(gr.code) +
                                                                 " without its x value");
                if (k + 1 >= r.end || g_[k + 1].code != gr.code + 10)
                    Fail(gr.line, "point group " + std::to_string(gr.code) +
                                                                 " without its y value");
                tag.point.x = Real(gr);
                tag.point.y = Real(g_[++k]);
                if (k + 1 < r.end && g_[k + 1].code == gr.code + 20)
                    tag.point.z = Real(g_[++k]);
                break;
            }
            case GroupValueKind::Int16:
            case GroupValueKind::Int32:
            case GroupValueKind::Int64:
            case GroupValueKind::Bool:
                tag.integer = Integer(gr);
                break;
            case GroupValueKind::Name: {
                std::uint64_t h = HandleValue(gr);
                tag.id = Resolve(h);
                // A reference to something the host does not keep stays as the file wrote it.
                if (tag.id.isNull() && h != 0)
                    tag.text = std::string(TrimDxfValue(gr.value));
                break;
            }
            case GroupValueKind::Binary: {
                std::string_view v = TrimDxfValue(gr.value);
                if (v.size() % 2 != 0)
                    Fail(gr.line, "binary data of odd length");
                for (std::size_t b = 0; b < v.size(); b += 2) {
                    int hi = Hex(v[b]), lo = Hex(v[b + 1]);
                    if (hi < 0 || lo < 0)
                        Fail(gr.line, "binary data that is not hexadecimal");
                    tag.bytes.push_back(static_cast<unsigned char>(hi * 16 + lo));
                }
                break;
            }
            case GroupValueKind::None:
                // Codes the host has no kind for are kept as the text they were written as.
                tag.text = std::string(gr.value);
                break;
            }
            out->push_back(std::move(tag));
        }
        return tags;
    }

    static int Hex(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    }

    const DxfGroup* Find(const Record& r, int code) const
    {
        for (std::size_t k = r.begin + 1; k < r.end; ++k)
            if (g_[k].code == code)
                return &g_[k];
        return nullptr;
    }

    long Flags(const Record& r) const
    {
        const DxfGroup* f = Find(r, 70);
        return f != nullptr ? static_cast<long>(Integer(*f)) : 0;
    }

    std::string Type(const Record& r) const { return std::string(TypeOf(r.begin)); }

    // ---- objects ---------------------------------------------------------------------------

    void Add(Record& r, AcDbObject* object)
    {
        std::uint64_t handle = 0;
        if (const DxfGroup* h = Find(r, r.kind == RecordKind::TableEntry && r.table == "DIMSTYLE" ? 105 : 5))
            handle = HandleValue(*h);
        if (handle != 0 && db_.objects().FindHandle(handle) != nullptr) {
            delete object;
            Fail(g_[r.begin].line, "handle " + AcDbHandle(handle).text() + " is used twice");
        }
        AcDbObjectId id;
        Acad::ErrorStatus es = db_.addAcDbObject(id, object, AcDbHandle(handle));
        if (es != Acad::eOk) {
            delete object;
            Fail(g_[r.begin].line, std::string("the ") + Type(r) + " cannot be added: " + Acad::ErrorStatusName(es));
        }
        r.id = id;
        r.object = object;
    }

    AcDbObjectId* TableSlot(std::string_view name)
    {
        if (name == "BLOCK_RECORD")
            return &blockTable_;
        if (name == "LAYER")
            return &layerTable_;
        if (name == "LTYPE")
            return &linetypeTable_;
        if (name == "STYLE")
            return &styleTable_;
        if (name == "APPID")
            return &appTable_;
        return nullptr;
    }

    static AcDbObject* NewTable(std::string_view name)
    {
        if (name == "BLOCK_RECORD")
            return new AcDbBlockTable;
        if (name == "LAYER")
            return new AcDbLayerTable;
        if (name == "LTYPE")
            return new AcDbLinetypeTable;
        if (name == "STYLE")
            return new AcDbTextStyleTable;
        return new AcDbRegAppTable;
    }

    static AcDbObject* NewRecord(std::string_view name)
    {
        if (name == "BLOCK_RECORD")
            return new AcDbBlockTableRecord;
        if (name == "LAYER")
            return new AcDbLayerTableRecord;
        if (name == "LTYPE")
            return new AcDbLinetypeTableRecord;
        if (name == "STYLE")
            return new AcDbTextStyleTableRecord;
        return new AcDbRegAppTableRecord;
    }

    void CreateObjects()
    {
        // Objects made without a handle of their own must not take one a later record brings.
        std::uint64_t highest = 0;
        for (const auto& gr : g_)
            if (gr.code == 5 || gr.code == 105)
                highest = std::max(highest, HandleValue(gr));
        if (const DxfGroup* seed = HeaderValue("$HANDSEED", 5))
            highest = std::max(highest, HandleValue(*seed));
        db_.objects().SetHandleSeed(highest + 1);

        DxfPolylineKind parent = DxfPolylineKind::None;
        bool inInsert = false;
        for (auto& r : records_) {
            std::string_view type = TypeOf(r.begin);
            switch (r.kind) {
            case RecordKind::Table:
                if (AcDbObjectId* slot = TableSlot(r.table)) {
                    if (!slot->isNull())
                        Fail(g_[r.begin].line, "a second " + std::string(r.table) + " table");
                    Add(r, NewTable(r.table));
                    *slot = r.id;
                }
                break;
            case RecordKind::TableEntry:
                if (TableSlot(r.table) != nullptr) {
                    if (type != r.table)
                        Fail(g_[r.begin].line, "a " + std::string(type.substr(0, 40)) + " in the " + std::string(r.table) + " table");
                    Add(r, NewRecord(r.table));
                }
                break;
            case RecordKind::BlockBegin:
            case RecordKind::BlockEnd:
                parent = DxfPolylineKind::None;
                inInsert = false;
                break;
            case RecordKind::Entity: {
                long flags = (type == "POLYLINE" || type == "DIMENSION") ? Flags(r) : 0;
                bool sub = type == "VERTEX" || type == "SEQEND" || type == "ATTRIB";
                if (type == "VERTEX" && parent == DxfPolylineKind::None)
                    Fail(g_[r.begin].line, "a VERTEX outside a POLYLINE");
                if (type == "ATTRIB" && !inInsert)
                    Fail(g_[r.begin].line, "an ATTRIB outside an INSERT");
                if (type == "SEQEND" && parent == DxfPolylineKind::None && !inInsert)
                    Fail(g_[r.begin].line, "a SEQEND without a POLYLINE or INSERT");
                Add(r, NewDxfEntity(type, flags, parent));
                r.subEntity = sub;
                if (type == "POLYLINE") {
                    parent = PolylineKindOf(flags);
                    inInsert = false;
                } else if (type == "INSERT") {
                    const DxfGroup* follow = Find(r, 66);
                    inInsert = follow != nullptr && Integer(*follow) != 0;
                    parent = DxfPolylineKind::None;
                } else if (type == "SEQEND") {
                    parent = DxfPolylineKind::None;
                    inInsert = false;
                } else if (!sub) {
                    parent = DxfPolylineKind::None;
                    inInsert = false;
                }
                break;
            }
            case RecordKind::Object:
                Add(r, NewDxfObject(type));
                if (nod_.isNull() && type == "DICTIONARY")
                    nod_ = r.id;
                break;
            }
        }
    }

    template <typename T>
    AcDbObjectId MakeRoot(AcDbObjectId& slot)
    {
        if (slot.isNull()) {
            auto* object = new T;
            db_.addAcDbObject(slot, object);
            extraOpen_.push_back(object);
        }
        return slot;
    }

    // Drawings of R12 and hand-made files may lack tables the host always has.
    void EnsureRoots()
    {
        MakeRoot<AcDbBlockTable>(blockTable_);
        MakeRoot<AcDbLayerTable>(layerTable_);
        MakeRoot<AcDbLinetypeTable>(linetypeTable_);
        MakeRoot<AcDbTextStyleTable>(styleTable_);
        MakeRoot<AcDbRegAppTable>(appTable_);
        MakeRoot<AcDbDictionary>(nod_);
        db_.setRootIds(blockTable_, layerTable_, linetypeTable_, styleTable_, appTable_, nod_);
    }

    void Fill(Record& r, const DxfTagList& tags)
    {
        AcDbDxfFiler filer(tags);
        Acad::ErrorStatus es = r.object->dxfInFields(&filer);
        if (es != Acad::eOk)
            Fail(g_[r.begin].line, "the " + Type(r) + " cannot be read: " + Acad::ErrorStatusName(es));
    }

    AcDbSymbolTable* TableOf(std::string_view name)
    {
        AcDbObjectId* slot = TableSlot(name);
        return AcDbSymbolTable::cast(PeekObject(*slot));
    }

    void FillTables()
    {
        // Layers name linetypes, so linetypes go first whatever order the file has.
        for (const char* table : {"APPID", "LTYPE", "LAYER", "STYLE", "BLOCK_RECORD"}) {
            for (auto& r : records_) {
                if (r.kind != RecordKind::TableEntry || r.object == nullptr || r.table != table)
                    continue;
                auto* symbols = TableOf(r.table);
                Fill(r, Tags(r));
                Acad::ErrorStatus es = symbols->adoptRecord(r.id);
                if (es != Acad::eOk)
                    Fail(g_[r.begin].line, "the " + Type(r) + " cannot be listed: " + Acad::ErrorStatusName(es));
            }
        }
    }

    AcDbBlockTableRecord* BlockFor(const Record& begin)
    {
        auto* table = AcDbBlockTable::cast(PeekObject(blockTable_));
        const DxfGroup* nameGroup = Find(begin, 2);
        std::string name = nameGroup != nullptr ? decoder_->Decode(TrimDxfValue(nameGroup->value)) : std::string();
        if (const DxfGroup* owner = Find(begin, 330)) {
            auto* block = AcDbBlockTableRecord::cast(PeekObject(Resolve(HandleValue(*owner))));
            if (block != nullptr)
                return block;
        }
        AcDbObjectId id;
        if (!name.empty() && table->getAt(name.c_str(), id, true) == Acad::eOk)
            return AcDbBlockTableRecord::cast(PeekObject(id));
        // Files without block records (R12) define blocks here only.
        auto* block = new AcDbBlockTableRecord;
        Acad::ErrorStatus es = block->setName(name.c_str());
        if (es == Acad::eOk)
            es = table->add(id, block);
        if (es != Acad::eOk) {
            delete block;
            Fail(g_[begin.begin].line, "the block \"" + name + "\" cannot be defined: " + Acad::ErrorStatusName(es));
        }
        extraOpen_.push_back(block);
        return block;
    }

    void FillBlocks()
    {
        AcDbBlockTableRecord* current = nullptr;
        for (auto& r : records_) {
            if (r.kind == RecordKind::BlockBegin) {
                current = BlockFor(r);
                DxfTagList origin;
                for (const auto& tag : Tags(r))
                    if (tag.code == 10 || tag.code == 4)
                        origin.push_back(tag);
                AcDbDxfFiler filer(origin);
                bool wasOpen = current->isWriteEnabled();
                AcDbObject* opened = nullptr;
                if (!wasOpen && acdbOpenAcDbObject(opened, current->objectId(), AcDb::kForWrite) != Acad::eOk)
                    Fail(g_[r.begin].line, "the block cannot be opened");
                current->dxfInFields(&filer);
                if (!wasOpen)
                    current->close();
            } else if (r.kind == RecordKind::BlockEnd) {
                current = nullptr;
            } else if (r.kind == RecordKind::Entity && current != nullptr) {
                r.owner = current->objectId();
            }
        }
    }

    void FillEntities()
    {
        AcDbObjectId model = db_.modelSpaceId(), paper = db_.paperSpaceId();
        AcDbObject* parent = nullptr;
        for (auto& r : records_) {
            if (r.kind != RecordKind::Entity)
                continue;
            Fill(r, Tags(r));
            if (r.subEntity && parent != nullptr) {
                Acad::ErrorStatus es = Acad::eNotApplicable;
                if (auto* p2 = AcDb2dPolyline::cast(parent))
                    es = p2->adoptSubEntity(r.id);
                else if (auto* p3 = AcDb3dPolyline::cast(parent))
                    es = p3->adoptSubEntity(r.id);
                else if (auto* ref = AcDbBlockReference::cast(parent))
                    es = ref->adoptSubEntity(r.id);
                if (es != Acad::eOk)
                    Fail(g_[r.begin].line, "the " + Type(r) + " cannot join its owner: " + Acad::ErrorStatusName(es));
                r.owner = parent->objectId();
                if (TypeOf(r.begin) == "SEQEND")
                    parent = nullptr;
                continue;
            }
            if (r.owner.isNull()) {
                // The ENTITIES section: the owner the entity names, else the space its 67 says.
                const DxfGroup* owner = FindOwner(r);
                AcDbObjectId named = owner != nullptr ? Resolve(HandleValue(*owner)) : AcDbObjectId();
                if (AcDbBlockTableRecord::cast(PeekObject(named)) != nullptr)
                    r.owner = named;
                else {
                    const DxfGroup* space = Find(r, 67);
                    r.owner = space != nullptr && Integer(*space) != 0 ? paper : model;
                }
            }
            auto* block = AcDbBlockTableRecord::cast(PeekObject(r.owner));
            if (block == nullptr)
                Fail(g_[r.begin].line, "the drawing has no model space for the " + Type(r));
            bool wasOpen = block->isWriteEnabled();
            AcDbObject* opened = nullptr;
            if (!wasOpen && acdbOpenAcDbObject(opened, r.owner, AcDb::kForWrite) != Acad::eOk)
                Fail(g_[r.begin].line, "the block of the " + Type(r) + " cannot be opened");
            Acad::ErrorStatus es = block->adoptEntity(r.id);
            if (!wasOpen)
                block->close();
            if (es != Acad::eOk)
                Fail(g_[r.begin].line, "the " + Type(r) + " cannot join its block: " + Acad::ErrorStatusName(es));
            std::string_view type = TypeOf(r.begin);
            bool complex = (type == "POLYLINE" && (AcDb2dPolyline::cast(r.object) || AcDb3dPolyline::cast(r.object))) ||
                           (type == "INSERT" && Find(r, 66) != nullptr && Integer(*Find(r, 66)) != 0);
            parent = complex ? r.object : nullptr;
        }
    }

    // The owner reference: the first 330 outside the 102 brackets.
    const DxfGroup* FindOwner(const Record& r) const
    {
        bool bracket = false;
        for (std::size_t k = r.begin + 1; k < r.end; ++k) {
            const DxfGroup& gr = g_[k];
            if (gr.code == 102) {
                bracket = !gr.value.empty() && gr.value[0] == '{';
                continue;
            }
            if (gr.code == 100 || gr.code == 1001)
                return nullptr;
            if (gr.code == 330 && !bracket)
                return &gr;
        }
        return nullptr;
    }

    void FillObjects()
    {
        for (auto& r : records_) {
            if (r.kind != RecordKind::Object)
                continue;
            DxfTagList tags = Tags(r);
            Fill(r, tags);
            auto* dict = AcDbDictionary::cast(r.object);
            if (dict == nullptr)
                continue;
            // Entries: a key (3) and the object filed under it (350, or 360 for owned ones).
            for (std::size_t k = 0; k + 1 < tags.size(); ++k) {
                if (tags[k].code != 3 || (tags[k + 1].code != 350 && tags[k + 1].code != 360))
                    continue;
                AcDbObjectId entry = tags[k + 1].id;
                AcDbObject* value = PeekObject(entry);
                if (value == nullptr || entry == r.id)
                    continue;
                AcDbObjectId filed;
                Acad::ErrorStatus es = dict->setAt(tags[k].text.c_str(), value, filed);
                if (es != Acad::eOk)
                    Fail(g_[r.begin].line, "the dictionary entry \"" + tags[k].text + "\" cannot be filed: " +
                                               Acad::ErrorStatusName(es));
            }
        }
    }

    void ApplyCommonParts()
    {
        for (auto& r : records_) {
            if (r.object == nullptr)
                continue;
            DxfTagList xdata;
            DxfTagList tags = Tags(r, &xdata);
            bool reactors = false, xdict = false;
            for (const auto& tag : tags) {
                if (tag.code == 100)
                    break;
                if (tag.code == 102) {
                    reactors = tag.text == "{ACAD_REACTORS";
                    xdict = tag.text == "{ACAD_XDICTIONARY";
                    continue;
                }
                if (tag.code == 330 && reactors && !tag.id.isNull())
                    r.object->addPersistentReactor(tag.id);
                if (tag.code == 360 && xdict && !tag.id.isNull()) {
                    if (r.object->setExtensionDictionary(tag.id) != Acad::eOk)
                        Fail(g_[r.begin].line, "the extension dictionary of the " + Type(r) + " is not a dictionary");
                }
            }
            if (r.kind == RecordKind::Object) {
                const DxfGroup* owner = FindOwner(r);
                AcDbObjectId id = owner != nullptr ? Resolve(HandleValue(*owner)) : AcDbObjectId();
                if (r.id != nod_)
                    r.object->setOwnerId(id);
            }
            if (xdata.empty())
                continue;
            std::vector<XDataApp> apps;
            Acad::ErrorStatus es = ParseXData(&db_, xdata, apps);
            if (es == Acad::eOk)
                es = r.object->setXDataApps(apps);
            if (es != Acad::eOk)
                Fail(XDataLine(r), "the extended data of the " + Type(r) + " cannot be kept: " + Acad::ErrorStatusName(es));
        }
    }

    int XDataLine(const Record& r) const
    {
        for (std::size_t k = r.begin; k < r.end; ++k)
            if (g_[k].code == 1001)
                return g_[k].line;
        return g_[r.begin].line;
    }

    AcDbObjectId AddRecordIfMissing(AcDbObjectId tableId, AcDbSymbolTableRecord* record, const char* name)
    {
        auto* table = AcDbSymbolTable::cast(PeekObject(tableId));
        AcDbObjectId id;
        if (table->getAt(name, id) == Acad::eOk) {
            delete record;
            return id;
        }
        record->setName(name);
        if (table->add(id, record) == Acad::eOk)
            extraOpen_.push_back(record);
        else
            delete record;
        return id;
    }

    void ApplyHeader()
    {
        // What every drawing of the host has, for files written by simpler programs.
        AddRecordIfMissing(linetypeTable_, new AcDbLinetypeTableRecord, "ByBlock");
        AddRecordIfMissing(linetypeTable_, new AcDbLinetypeTableRecord, "ByLayer");
        AddRecordIfMissing(linetypeTable_, new AcDbLinetypeTableRecord, "Continuous");
        AddRecordIfMissing(layerTable_, new AcDbLayerTableRecord, "0");
        auto* style = new AcDbTextStyleTableRecord;
        style->setFileName("txt");
        AddRecordIfMissing(styleTable_, style, "Standard");
        AddRecordIfMissing(appTable_, new AcDbRegAppTableRecord, "ACAD");
        AddRecordIfMissing(blockTable_, new AcDbBlockTableRecord, ACDB_MODEL_SPACE);
        AddRecordIfMissing(blockTable_, new AcDbBlockTableRecord, ACDB_PAPER_SPACE);
        auto* nod = AcDbDictionary::cast(PeekObject(nod_));
        if (!nod->has("ACAD_GROUP")) {
            auto* groups = new AcDbDictionary;
            AcDbObjectId id;
            if (nod->setAt("ACAD_GROUP", groups, id) == Acad::eOk)
                extraOpen_.push_back(groups);
            else
                delete groups;
        }
        if (const DxfGroup* v = HeaderValue("$USERR1", 40))
            db_.setUserr1(Real(*v));
        if (const DxfGroup* v = HeaderValue("$LTSCALE", 40))
            db_.setLtscale(Real(*v));
        db_.setExtmin(HeaderPoint("$EXTMIN", db_.extmin()));
        db_.setExtmax(HeaderPoint("$EXTMAX", db_.extmax()));
    }

    AcGePoint3d HeaderPoint(const char* name, AcGePoint3d fallback) const
    {
        const DxfGroup* x = HeaderValue(name, 10);
        const DxfGroup* y = HeaderValue(name, 20);
        const DxfGroup* z = HeaderValue(name, 30);
        if (x == nullptr || y == nullptr)
            return fallback;
        return AcGePoint3d(Real(*x), Real(*y), z != nullptr ? Real(*z) : 0.0);
    }

    AcDbObjectId Named(AcDbObjectId tableId, const char* variable, int code)
    {
        const DxfGroup* v = HeaderValue(variable, code);
        AcDbObjectId id;
        auto* table = AcDbSymbolTable::cast(PeekObject(tableId));
        if (v != nullptr)
            table->getAt(decoder_->Decode(TrimDxfValue(v->value)).c_str(), id);
        return id;
    }

    void ApplyCurrentSettings()
    {
        AcDbObjectId layer = Named(layerTable_, "$CLAYER", 8);
        db_.setClayer(layer);
        if (layer.isNull()) {
            AcDbObjectId zero;
            AcDbSymbolTable::cast(PeekObject(layerTable_))->getAt("0", zero);
            db_.setClayer(zero);
        }
        AcDbObjectId style = Named(styleTable_, "$TEXTSTYLE", 7);
        if (style.isNull())
            AcDbSymbolTable::cast(PeekObject(styleTable_))->getAt("Standard", style);
        db_.setTextstyle(style);
        AcDbObjectId linetype = Named(linetypeTable_, "$CELTYPE", 6);
        db_.setCeltype(linetype.isNull() ? db_.byLayerLinetype() : linetype);
    }

    AcDbDatabase& db_;
    std::vector<DxfGroup> g_;
    std::vector<Record> records_;
    std::vector<AcDbObject*> extraOpen_;
    std::map<std::string, std::size_t> header_;
    std::unique_ptr<DxfTextDecoder> decoder_;
    bool sawEof_ = false;
    AcDbObjectId blockTable_, layerTable_, linetypeTable_, styleTable_, appTable_, nod_;
};

}  // namespace

bool ReadDxf(std::string_view text, AcDbDatabase& db, std::string& error)
{
    std::vector<DxfGroup> groups;
    if (!SplitDxfGroups(text, groups, error))
        return false;
    // The bare tables the database was made with give way to the file's.
    {
        ObjectTable empty(&db);
        db.objects().Absorb(empty);
    }
    Reader reader(db, std::move(groups));
    try {
        reader.Run();
    } catch (const Failure& failure) {
        reader.CloseAll();
        error = failure.message;
        return false;
    } catch (const std::exception& e) {
        reader.CloseAll();
        error = std::string("the drawing cannot be read: ") + e.what();
        return false;
    }
    return true;
}

}  // namespace platform::cad
