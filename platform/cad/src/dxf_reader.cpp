#include "platform/cad/dxf_reader.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

#include "dxf_audit.h"
#include "dxf_header_variables.h"
#include "dxf_layout.h"
#include "dxf_object_factory.h"
#include "dxf_values.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_kept_symbol_records.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_text.h"
#include "platform/cad/db_unknown.h"
#include "platform/cad/db_vertex.h"
#include "platform/cad/db_view_record.h"
#include "platform/cad/dxf_groups.h"
#include "platform/cad/dxf_text_codec.h"
#include "platform/cad/xdata_rules.h"
#include "platform/text/gbk.h"

namespace platform::cad {

namespace {

using Record = DxfRecord;
using RecordKind = DxfRecordKind;
// Values of groups as the file wrote them.
using NamesSeen = std::unordered_set<std::string_view>;

// Write access to an object for one step: opened here unless the reader holds it open already.
class Writable {
public:
    explicit Writable(AcDbObject* object) : object_(object) {
        AcDbObject* opened = nullptr;
        if (!object->isWriteEnabled() &&
            acdbOpenAcDbObject(opened, object->objectId(), AcDb::kForWrite) == Acad::eOk)
            opened_ = true;
    }
    ~Writable() {
        if (opened_)
            object_->close();
    }
    Writable(const Writable&) = delete;
    Writable& operator=(const Writable&) = delete;

private:
    AcDbObject* object_;
    bool opened_ = false;
};

class Reader {
public:
    Reader(AcDbDatabase& db, std::vector<DxfGroup> groups, std::vector<std::string>& notes)
        : db_(db), g_(std::move(groups)), notes_(notes) {}

    void Run() {
        ParseDxfLayout(g_, layout_);
        if (!layout_.sawEof)
            Fail(g_.empty() ? 0 : DxfLineOf(g_, g_.back()), "the file ends before its EOF marker (cut short?)");
        SetUpText();
        CreateObjects();
        EnsureRoots();
        FillTables();
        FillBlocks();
        EnsureDefaults();
        CloseTables();
        FillEntities();
        GiveEveryEntityALayer();
        FillObjects();
        LeaveOutLayoutsWithoutRecords();
        ApplyCommonParts();
        ApplyHeader();
        for (auto& r : records_)
            if (r.object != nullptr && r.object->isWriteEnabled())
                r.object->close();
        for (AcDbObject* o : extraOpen_)
            if (o->isWriteEnabled())
                o->close();
        db_.setRootIds(blockTable_, layerTable_, linetypeTable_, styleTable_, appTable_, nod_);
        db_.setKeptTableIds(viewportTable_, dimStyleTable_, viewTable_, ucsTable_);
        ApplyCurrentSettings();
    }

    // On failure the objects made so far are closed, so that the database can be dropped.
    void CloseAll() {
        for (auto& r : records_)
            if (r.object != nullptr && r.object->isWriteEnabled() && r.object->isDatabaseResident())
                r.object->close();
        for (AcDbObject* o : extraOpen_)
            if (o->isWriteEnabled())
                o->close();
        records_.clear();
        extraOpen_.clear();
    }

private:
    [[noreturn]] static void Fail(int line, const std::string& what) { DxfFail(line, what); }

    // A record mended as it was read, as a host's audit mends it: one line each.
    void Note(int line, const std::string& what) {
        notes_.push_back("line " + std::to_string(line) + ": " + what);
    }

    // ---- values ----------------------------------------------------------------------------

    const DxfGroup* HeaderValue(const char* name, int code) const {
        auto it = layout_.header.find(name);
        if (it == layout_.header.end())
            return nullptr;
        for (std::size_t k = it->second + 1; k < g_.size() && g_[k].code != 9 && g_[k].code != 0; ++k)
            if (g_[k].code == code)
                return &g_[k];
        return nullptr;
    }

    void SetUpText() {
        const DxfGroup* ver = HeaderValue("$ACADVER", 1);
        const DxfGroup* page = HeaderValue("$DWGCODEPAGE", 3);
        std::string_view version = ver != nullptr ? TrimDxfValue(ver->value()) : std::string_view("AC1009");
        std::string_view codePage = page != nullptr ? TrimDxfValue(page->value()) : std::string_view();
        DxfUtf8 utf8 = IsUtf8DxfVersion(version)         ? DxfUtf8::All
                       : IsSingleByteCodePage(codePage) ? FindUtf8Text(g_)
                                                        : DxfUtf8::None;
        values_ = std::make_unique<DxfValues>(g_, db_, std::make_unique<DxfTextDecoder>(utf8, codePage));
    }

    const DxfGroup* Find(const Record& r, int code) const {
        for (std::size_t k = r.begin + 1; k < r.end; ++k)
            if (g_[k].code == code)
                return &g_[k];
        return nullptr;
    }

    long Flags(const Record& r) const {
        const DxfGroup* f = Find(r, 70);
        return f != nullptr ? static_cast<long>(values_->Integer(*f)) : 0;
    }

    std::string_view TypeOf(std::size_t i) const { return TrimDxfValue(g_[i].value()); }
    std::string Type(const Record& r) const { return std::string(TypeOf(r.begin)); }

    // ---- objects ---------------------------------------------------------------------------

    void Add(Record& r, AcDbObject* object) {
        std::uint64_t handle = 0;
        if (const DxfGroup* h = Find(r, r.kind == RecordKind::TableEntry && r.table == "DIMSTYLE" ? 105 : 5)) {
            if (DxfValues::HandleOutOfRange(*h)) {
                delete object;
                Fail(DxfLineOf(g_, *h), "handle " + std::string(TrimDxfValue(h->value()).substr(0, 40)) +
                                  " is out of range (the largest is " +
                                  AcDbHandle(ObjectTable::kLargestHandle).text() + ")");
            }
            handle = DxfValues::HandleValue(*h);
        }
        // A second object of one handle takes a new one; references go to the first.
        bool twice = handle != 0 && db_.objects().FindHandle(handle) != nullptr;
        AcDbObjectId id;
        Acad::ErrorStatus es = db_.addAcDbObject(id, object, AcDbHandle(twice ? 0 : handle));
        if (es != Acad::eOk) {
            delete object;
            Fail(DxfLineOf(g_, g_[r.begin]),
                 std::string("the ") + Type(r) + " cannot be added: " + Acad::ErrorStatusName(es));
        }
        r.id = id;
        r.object = object;
        if (twice)
            Note(DxfLineOf(g_, g_[r.begin]), "handle " + AcDbHandle(handle).text() + " is used twice; the " + Type(r) +
                                       " takes handle " + id.handle().text());
    }

    AcDbObjectId* TableSlot(std::string_view name) {
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
        if (name == "VPORT")
            return &viewportTable_;
        if (name == "DIMSTYLE")
            return &dimStyleTable_;
        if (name == "VIEW")
            return &viewTable_;
        if (name == "UCS")
            return &ucsTable_;
        return nullptr;
    }

    static AcDbObject* NewTable(std::string_view name) {
        if (name == "BLOCK_RECORD")
            return new AcDbBlockTable;
        if (name == "LAYER")
            return new AcDbLayerTable;
        if (name == "LTYPE")
            return new AcDbLinetypeTable;
        if (name == "STYLE")
            return new AcDbTextStyleTable;
        if (name == "VPORT")
            return new AcDbViewportTable;
        if (name == "DIMSTYLE")
            return new AcDbDimStyleTable;
        if (name == "VIEW")
            return new AcDbViewTable;
        if (name == "UCS")
            return new AcDbUCSTable;
        return new AcDbRegAppTable;
    }

    static AcDbObject* NewRecord(std::string_view name) {
        if (name == "BLOCK_RECORD")
            return new AcDbBlockTableRecord;
        if (name == "LAYER")
            return new AcDbLayerTableRecord;
        if (name == "LTYPE")
            return new AcDbLinetypeTableRecord;
        if (name == "STYLE")
            return new AcDbTextStyleTableRecord;
        if (name == "VPORT")
            return new AcDbViewportTableRecord;
        if (name == "DIMSTYLE")
            return new AcDbDimStyleTableRecord;
        if (name == "VIEW")
            return new AcDbViewTableRecord;
        if (name == "UCS")
            return new AcDbUCSTableRecord;
        return new AcDbRegAppTableRecord;
    }

    void CreateObjects() {
        // Objects made without a handle of their own must not take one a later record brings.
        std::uint64_t highest = 0;
        // Handles out of range are refused as their objects are made; a seed out of range is
        // passed over, as the seed follows from the handles anyway.
        for (const auto& gr : g_)
            if ((gr.code == 5 || gr.code == 105) && !DxfValues::HandleOutOfRange(gr))
                highest = std::max(highest, DxfValues::HandleValue(gr));
        if (const DxfGroup* seed = HeaderValue("$HANDSEED", 5); seed != nullptr && !DxfValues::HandleOutOfRange(*seed))
            highest = std::max(highest, DxfValues::HandleValue(*seed));
        db_.objects().SetHandleSeed(highest + 1);
        // Every record but the block bounds becomes an object, and a few the reader adds.
        db_.objects().Reserve(records_.size() + 16);

        DxfPolylineKind parent = DxfPolylineKind::None;
        bool inInsert = false;
        for (std::size_t i = 0; i < records_.size(); ++i) {
            Record& r = records_[i];
            std::string_view type = TypeOf(r.begin);
            switch (r.kind) {
                case RecordKind::Table:
                    // Views and coordinate systems are kept where there are some: the tables of
                    // other drawings are written anew.
                    if ((r.table == "VIEW" || r.table == "UCS") &&
                        (i + 1 == records_.size() || records_[i + 1].kind != RecordKind::TableEntry))
                        break;
                    if (AcDbObjectId* slot = TableSlot(r.table)) {
                        if (!slot->isNull())
                            Fail(DxfLineOf(g_, g_[r.begin]), "a second " + std::string(r.table) + " table");
                        Add(r, NewTable(r.table));
                        *slot = r.id;
                    }
                    break;
                case RecordKind::TableEntry:
                    if (TableSlot(r.table) != nullptr) {
                        if (type != r.table)
                            Fail(DxfLineOf(g_, g_[r.begin]), "a " + std::string(type.substr(0, 40)) + " in the " +
                                                       std::string(r.table) + " table");
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
                        Fail(DxfLineOf(g_, g_[r.begin]), "a VERTEX outside a POLYLINE");
                    if (type == "ATTRIB" && !inInsert)
                        Fail(DxfLineOf(g_, g_[r.begin]), "an ATTRIB outside an INSERT");
                    if (type == "SEQEND" && parent == DxfPolylineKind::None && !inInsert) {
                        // An end marker another program put after the entity that follows its
                        // sequence: the sequence has its own.
                        Note(DxfLineOf(g_, g_[r.begin]), "a SEQEND without a POLYLINE or INSERT is left out");
                        break;
                    }
                    Add(r, NewDxfEntity(type, flags, parent));
                    r.subEntity = sub;
                    if (type == "POLYLINE") {
                        parent = PolylineKindOf(flags);
                        inInsert = false;
                    } else if (type == "INSERT") {
                        const DxfGroup* follow = Find(r, 66);
                        inInsert = follow != nullptr && values_->Integer(*follow) != 0;
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
    AcDbObjectId MakeRoot(AcDbObjectId& slot) {
        if (slot.isNull()) {
            auto* object = new T;
            db_.addAcDbObject(slot, object);
            extraOpen_.push_back(object);
        }
        return slot;
    }

    // Drawings of R12 and hand-made files may lack tables the host always has.
    void EnsureRoots() {
        MakeRoot<AcDbBlockTable>(blockTable_);
        MakeRoot<AcDbLayerTable>(layerTable_);
        MakeRoot<AcDbLinetypeTable>(linetypeTable_);
        MakeRoot<AcDbTextStyleTable>(styleTable_);
        MakeRoot<AcDbRegAppTable>(appTable_);
        MakeRoot<AcDbDictionary>(nod_);
        db_.setRootIds(blockTable_, layerTable_, linetypeTable_, styleTable_, appTable_, nod_);
    }

    // The filer reads the list in place and hands it back unchanged, its room kept for the next
    // record.
    void Fill(Record& r, DxfTagList& tags) {
        AcDbDxfFiler filer(std::move(tags), AcDbDxfFiler::kDegrees);
        Acad::ErrorStatus es = r.object->dxfInFields(&filer);
        tags = std::move(filer.tags());
        if (es != Acad::eOk)
            Fail(DxfLineOf(g_, g_[r.begin]), "the " + Type(r) + " cannot be read: " + Acad::ErrorStatusName(es));
    }

    AcDbSymbolTable* TableOf(std::string_view name) {
        AcDbObjectId* slot = TableSlot(name);
        return AcDbSymbolTable::cast(PeekObject(*slot));
    }

    void FillTables() {
        // Layers name linetypes, so linetypes go first whatever order the file has; the records
        // the file names without defining them are made before the layers that name them.
        for (const char* table : {"APPID", "LTYPE", "STYLE"})
            FillTable(table);
        AddNamedRecords();
        for (const char* table : {"LAYER", "BLOCK_RECORD", "VPORT", "DIMSTYLE", "VIEW", "UCS"})
            FillTable(table);
        KeepDimStyleTableHead();
    }

    // The dimension style table lists its styles in its own subclass; kept to be written as read.
    void KeepDimStyleTableHead() {
        for (auto& r : records_) {
            if (r.kind != RecordKind::Table)
                continue;
            auto* table = AcDbDimStyleTable::cast(r.object);
            if (table == nullptr)
                continue;
            DxfTagList head;
            bool own = false;
            for (auto& tag : values_->Tags(r)) {
                if (tag.code == 100)
                    own = tag.text == "AcDbDimStyleTable";
                else if (own)
                    head.push_back(std::move(tag));
            }
            table->setHeadTags(std::move(head));
        }
    }

    void FillTable(std::string_view table) {
        for (auto& r : records_) {
            if (r.kind != RecordKind::TableEntry || r.object == nullptr || r.table != table)
                continue;
            auto* symbols = TableOf(r.table);
            DxfTagList& tags = tags_;
            values_->TagsInto(r, tags);
            if (table == "BLOCK_RECORD")
                NameModelSpaceByItsTrueName(r, tags);
            MendName(r, tags);
            FollowRenames(tags);
            Fill(r, tags);
            Acad::ErrorStatus es = symbols->adoptRecord(r.id);
            if (es != Acad::eOk)
                Fail(DxfLineOf(g_, g_[r.begin]), "the " + Type(r) + " cannot be listed: " + Acad::ErrorStatusName(es));
        }
    }

    // ---- mending -----------------------------------------------------------------------------

    // A record name the host refuses (a writer lost its letters to '?', or used '<' or '*') is
    // kept as read where it goes back to a file unchanged; otherwise a layer, linetype or text
    // style takes the name with those characters replaced, and the names referring to it follow.
    void MendName(const Record& r, DxfTagList& tags) {
        auto name = std::find_if(tags.begin(), tags.end(), [](const DxfTag& t) { return t.code == 2; });
        auto* record = AcDbSymbolTableRecord::cast(r.object);
        if (name == tags.end() || record == nullptr)
            return;
        AcDbRegAppTableRecord probe;
        if (probe.setName(name->text.c_str()) != Acad::eInvalidSymbolTableName)
            return;
        std::string what =
            "the " + Type(r) + " name \"" + name->text + "\" holds characters the host refuses; ";
        if (NameSurvivesSaving(name->text)) {
            if (record->setNameAsRead(name->text.c_str()) == Acad::eOk)
                Note(DxfLineOf(g_, g_[r.begin]), what + "it is kept as read");
            return;
        }
        if (TableNameOf(*TableSlot(r.table)).empty())
            return;  // refused as it stands
        std::string mended = ReplaceRefusedCharacters(name->text);
        AcDbObjectId taken;
        for (int n = 2; TableOf(r.table)->getAt(mended.c_str(), taken, true) == Acad::eOk; ++n)
            mended = ReplaceRefusedCharacters(name->text) + "_" + std::to_string(n);
        renamed_[std::string(r.table)][platform::text::GbkToUpper(name->text)] = mended;
        Note(DxfLineOf(g_, g_[r.begin]), what + "it is renamed \"" + mended + "\"");
        name->text = mended;
    }

    // LibreDWG names the model space's block record "*U" in R2000 drawings and keeps its true
    // name in the extended data of ACDBDYNAMICBLOCKTRUENAME2. Unless the drawing has a record of
    // that name as well, the record is the model space.
    void NameModelSpaceByItsTrueName(const Record& r, DxfTagList& tags) {
        auto name = std::find_if(tags.begin(), tags.end(), [](const DxfTag& t) { return t.code == 2; });
        if (name == tags.end() || !platform::text::GbkEqualNoCase(name->text, "*U"))
            return;
        bool trueName = false;
        for (std::size_t k = r.begin + 1; k + 1 < r.end && !trueName; ++k)
            trueName = g_[k].code == 1001 && TrimDxfValue(g_[k].value()) == "ACDBDYNAMICBLOCKTRUENAME2" &&
                       g_[k + 1].code == 1000 &&
                       platform::text::GbkEqualNoCase(values_->Text(g_[k + 1].value()), ACDB_MODEL_SPACE);
        if (!trueName)
            return;
        for (const auto& other : records_) {
            const DxfGroup* otherName = other.kind == RecordKind::TableEntry && other.table == "BLOCK_RECORD"
                                            ? Find(other, 2)
                                            : nullptr;
            if (otherName != nullptr &&
                platform::text::GbkEqualNoCase(values_->Text(TrimDxfValue(otherName->value())), ACDB_MODEL_SPACE))
                return;
        }
        name->text = ACDB_MODEL_SPACE;
        Note(DxfLineOf(g_, g_[r.begin]),
             "the BLOCK_RECORD \"*U\" is named \"*MODEL_SPACE\" in its extended data; it is taken as the model space");
    }

    // The tables whose renamed records the reader follows, by the name of the table.
    std::string_view TableNameOf(AcDbObjectId table) const {
        if (table == layerTable_)
            return "LAYER";
        if (table == linetypeTable_)
            return "LTYPE";
        if (table == styleTable_)
            return "STYLE";
        return {};
    }

    std::string Renamed(std::string_view table, std::string name) const {
        if (renamed_.empty())
            return name;
        auto names = renamed_.find(std::string(table));
        if (names == renamed_.end())
            return name;
        auto it = names->second.find(platform::text::GbkToUpper(name));
        return it != names->second.end() ? it->second : name;
    }

    // Layer (8), linetype (6) and text style (7) names of a record after their records' renaming.
    void FollowRenames(DxfTagList& tags) const {
        if (renamed_.empty())
            return;
        for (auto& tag : tags) {
            if (tag.code == 8)
                tag.text = Renamed("LAYER", std::move(tag.text));
            else if (tag.code == 6)
                tag.text = Renamed("LTYPE", std::move(tag.text));
            else if (tag.code == 7)
                tag.text = Renamed("STYLE", std::move(tag.text));
        }
    }

    void MendEntity(const Record& r, DxfTagList& tags) {
        std::string_view type = TypeOf(r.begin);
        if (type == "INSERT" && MendZeroScale(tags))
            Note(DxfLineOf(g_, g_[r.begin]), "the INSERT has a zero scale factor; it is taken as 1");
        if (type == "SPLINE")
            if (int added = MendMissingWeights(tags); added > 0)
                Note(DxfLineOf(g_, g_[r.begin]), "the SPLINE lacks the weights of " + std::to_string(added) +
                                                     " control point(s); they are taken as 1");
        if (type == "ELLIPSE")
            if (double ratio = MendEllipseAxes(tags); ratio > 0) {
                char text[32];
                auto [end, ec] = std::to_chars(text, text + sizeof text, ratio);
                Note(DxfLineOf(g_, g_[r.begin]), "the ELLIPSE has an axis ratio of " + std::string(text, end) +
                                                     ", above 1; its axes are swapped");
            }
        if (type == "DIMENSION" && AcDbUnknownEntity::cast(r.object) != nullptr)
            AddDimensionSubclasses(tags, Flags(r));
        FollowRenames(tags);
    }

    // The first group of a code in a record's subclass.
    const DxfGroup* FindInSubclass(const Record& r, std::string_view subclass, int code) const {
        bool in = false;
        for (std::size_t k = r.begin + 1; k < r.end; ++k) {
            const DxfGroup& gr = g_[k];
            if (gr.code == 100)
                in = TrimDxfValue(gr.value()) == subclass;
            else if (in && gr.code == code)
                return &gr;
        }
        return nullptr;
    }

    // A layout names the block record of its space; one whose record the drawing lacks cannot
    // be written whole, and is left out with the viewports of that space, as an audit does.
    void LeaveOutLayoutsWithoutRecords() {
        for (auto& r : records_) {
            if (r.kind != RecordKind::Object || r.object == nullptr || TypeOf(r.begin) != "LAYOUT")
                continue;
            const DxfGroup* ref = FindInSubclass(r, "AcDbLayout", 330);
            std::uint64_t handle = ref != nullptr ? DxfValues::HandleValue(*ref) : 0;
            if (AcDbBlockTableRecord::cast(PeekObject(values_->Resolve(handle))) != nullptr)
                continue;
            int viewports = handle != 0 ? LeaveOutViewportsOf(handle) : 0;
            r.object->erase();
            const DxfGroup* name = FindInSubclass(r, "AcDbLayout", 1);
            std::string layout = name != nullptr ? values_->Text(name->value()) : std::string();
            Note(DxfLineOf(g_, g_[r.begin]), "the LAYOUT \"" + layout + "\" names no block record the drawing has; " +
                                       "it is left out with " + std::to_string(viewports) + " viewport(s)");
        }
    }

    // Erases the viewports of the space whose block record has the handle: those naming it as
    // their owner, and those of a block naming it as its record.
    int LeaveOutViewportsOf(std::uint64_t handle) {
        int count = 0;
        std::uint64_t block = 0;
        for (auto& r : records_) {
            if (r.kind == RecordKind::BlockBegin || r.kind == RecordKind::BlockEnd) {
                const DxfGroup* record = r.kind == RecordKind::BlockBegin ? Find(r, 330) : nullptr;
                block = record != nullptr ? DxfValues::HandleValue(*record) : 0;
                continue;
            }
            if (r.kind != RecordKind::Entity || r.object == nullptr || TypeOf(r.begin) != "VIEWPORT")
                continue;
            const DxfGroup* owner = FindOwner(r);
            if ((owner != nullptr ? DxfValues::HandleValue(*owner) : block) == handle || block == handle) {
                r.object->erase();
                ++count;
            }
        }
        return count;
    }

    // Files of simpler programs, and drawings cut down to their entities, name linetypes, text
    // styles and applications without a table record: the host makes the record, as for layers.
    void AddNamedRecords() {
        AddRecordIfMissing(linetypeTable_, new AcDbLinetypeTableRecord, "ByBlock");
        AddRecordIfMissing(linetypeTable_, new AcDbLinetypeTableRecord, "ByLayer");
        AddRecordIfMissing(linetypeTable_, new AcDbLinetypeTableRecord, "Continuous");
        // Most records name the same few: a name the table has had since, as the file wrote it, is
        // not looked up again (the tables only grow here).
        NamesSeen linetypes, styles, apps;
        for (const auto& r : records_) {
            bool entity = r.kind == RecordKind::Entity;
            if (entity && r.object == nullptr)
                continue;
            const DxfGroup* linetype = nullptr;
            const DxfGroup* style = nullptr;
            std::size_t firstApp = r.end;
            for (std::size_t k = r.begin + 1; k < r.end; ++k) {
                int code = g_[k].code;
                if (code == 6 && linetype == nullptr)
                    linetype = &g_[k];
                else if (code == 7 && style == nullptr)
                    style = &g_[k];
                else if (code == 1001 && firstApp == r.end)
                    firstApp = k;
            }
            if (linetype != nullptr && (entity || (r.kind == RecordKind::TableEntry && r.table == "LAYER")) &&
                linetypes.insert(linetype->value()).second)
                AddNamedRecord(linetypeTable_, new AcDbLinetypeTableRecord, *linetype, "linetype");
            if (style != nullptr && entity && AcDbText::cast(r.object) != nullptr && styles.insert(style->value()).second) {
                auto* record = new AcDbTextStyleTableRecord;
                record->setFileName("txt");
                AddNamedRecord(styleTable_, record, *style, "text style");
            }
            // An xrecord's data may hold any group code; its reading decides what a 1001 is there.
            if (r.object == nullptr || TypeOf(r.begin) == "XRECORD")
                continue;
            for (std::size_t k = firstApp; k < r.end; ++k)
                if (g_[k].code == 1001 && apps.insert(g_[k].value()).second)
                    AddNamedRecord(appTable_, new AcDbRegAppTableRecord, g_[k], "application");
        }
    }

    void AddNamedRecord(AcDbObjectId tableId, AcDbSymbolTableRecord* record, const DxfGroup& name,
                        const char* what) {
        std::string text = Renamed(TableNameOf(tableId), values_->Text(name.value()));
        if (AddRecordIfMissing(tableId, record, text.c_str()).isNull())
            Fail(DxfLineOf(g_, name), "the " + std::string(what) + " name \"" + text.substr(0, 80) + "\" is not valid");
    }

    AcDbBlockTableRecord* BlockFor(const Record& begin) {
        auto* table = AcDbBlockTable::cast(PeekObject(blockTable_));
        const DxfGroup* nameGroup = Find(begin, 2);
        std::string name =
            nameGroup != nullptr ? values_->Text(TrimDxfValue(nameGroup->value())) : std::string();
        // R12 names the layout blocks $MODEL_SPACE and $PAPER_SPACE; they are the host's layouts.
        if (platform::text::GbkEqualNoCase(name, "$MODEL_SPACE"))
            name = ACDB_MODEL_SPACE;
        else if (platform::text::GbkEqualNoCase(name, "$PAPER_SPACE"))
            name = ACDB_PAPER_SPACE;
        if (const DxfGroup* owner = Find(begin, 330)) {
            auto* block =
                AcDbBlockTableRecord::cast(PeekObject(values_->Resolve(DxfValues::HandleValue(*owner))));
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
            Fail(DxfLineOf(g_, g_[begin.begin]),
                 "the block \"" + name + "\" cannot be defined: " + Acad::ErrorStatusName(es));
        }
        extraOpen_.push_back(block);
        return block;
    }

    void FillBlocks() {
        AcDbBlockTableRecord* current = nullptr;
        for (auto& r : records_) {
            if (r.kind == RecordKind::BlockBegin) {
                current = BlockFor(r);
                DxfTagList origin;
                for (const auto& tag : values_->Tags(r))
                    if (tag.code == 10 || tag.code == 4)
                        origin.push_back(tag);
                AcDbDxfFiler filer(origin);
                bool wasOpen = current->isWriteEnabled();
                AcDbObject* opened = nullptr;
                if (!wasOpen && acdbOpenAcDbObject(opened, current->objectId(), AcDb::kForWrite) != Acad::eOk)
                    Fail(DxfLineOf(g_, g_[r.begin]), "the block cannot be opened");
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

    void FillEntities() {
        AcDbObjectId model = db_.modelSpaceId(), paper = db_.paperSpaceId();
        AcDbObject* parent = nullptr;
        for (auto& r : records_) {
            if (r.kind != RecordKind::Entity || r.object == nullptr)
                continue;
            DxfTagList& tags = tags_;
            values_->TagsInto(r, tags);
            MendEntity(r, tags);
            Fill(r, tags);
            if (r.subEntity && parent != nullptr) {
                Acad::ErrorStatus es = Acad::eNotApplicable;
                if (auto* p2 = AcDb2dPolyline::cast(parent))
                    es = p2->adoptSubEntity(r.id);
                else if (auto* p3 = AcDb3dPolyline::cast(parent))
                    es = p3->adoptSubEntity(r.id);
                else if (auto* ref = AcDbBlockReference::cast(parent))
                    es = ref->adoptSubEntity(r.id);
                if (es != Acad::eOk)
                    Fail(DxfLineOf(g_, g_[r.begin]),
                         "the " + Type(r) + " cannot join its owner: " + Acad::ErrorStatusName(es));
                r.owner = parent->objectId();
                if (TypeOf(r.begin) == "SEQEND")
                    parent = nullptr;
                continue;
            }
            if (r.owner.isNull()) {
                // The ENTITIES section: the owner the entity names, else the space its 67 says.
                const DxfGroup* owner = FindOwner(r);
                AcDbObjectId named =
                    owner != nullptr ? values_->Resolve(DxfValues::HandleValue(*owner)) : AcDbObjectId();
                if (AcDbBlockTableRecord::cast(PeekObject(named)) != nullptr)
                    r.owner = named;
                else {
                    const DxfGroup* space = Find(r, 67);
                    r.owner = space != nullptr && values_->Integer(*space) != 0 ? paper : model;
                }
            }
            auto* block = AcDbBlockTableRecord::cast(PeekObject(r.owner));
            if (block == nullptr)
                Fail(DxfLineOf(g_, g_[r.begin]), "the drawing has no model space for the " + Type(r));
            bool wasOpen = block->isWriteEnabled();
            AcDbObject* opened = nullptr;
            if (!wasOpen && acdbOpenAcDbObject(opened, r.owner, AcDb::kForWrite) != Acad::eOk)
                Fail(DxfLineOf(g_, g_[r.begin]), "the block of the " + Type(r) + " cannot be opened");
            Acad::ErrorStatus es = block->adoptEntity(r.id);
            if (!wasOpen)
                block->close();
            if (es != Acad::eOk)
                Fail(DxfLineOf(g_, g_[r.begin]),
                     "the " + Type(r) + " cannot join its block: " + Acad::ErrorStatusName(es));
            std::string_view type = TypeOf(r.begin);
            bool complex =
                (type == "POLYLINE" && (AcDb2dPolyline::cast(r.object) || AcDb3dPolyline::cast(r.object))) ||
                (type == "INSERT" && Find(r, 66) != nullptr && values_->Integer(*Find(r, 66)) != 0);
            parent = complex ? r.object : nullptr;
        }
    }

    // A vertex or end marker the file puts on no layer is on its owner's, as the end marker the
    // host adds to a polyline the file left without one; any other entity is on layer "0". Owners
    // come before their parts in the file.
    void GiveEveryEntityALayer() {
        AcDbObjectId zero;
        AcDbSymbolTable::cast(PeekObject(layerTable_))->getAt("0", zero);
        for (auto& r : records_) {
            if (r.kind != RecordKind::Entity)
                continue;
            auto* entity = AcDbEntity::cast(r.object);
            if (entity == nullptr)
                continue;
            if (entity->layerId().isNull())
                SetLayer(entity, zero);
            AcDbObjectIdArray subs;
            entity->subObjectIds(subs);
            for (const auto& id : subs)
                if (auto* sub = AcDbEntity::cast(PeekObject(id)); sub != nullptr && sub->layerId().isNull())
                    SetLayer(sub, entity->layerId());
        }
    }

    void SetLayer(AcDbEntity* entity, AcDbObjectId layer) {
        Writable access(entity);
        if (entity->setLayer(layer, false) != Acad::eOk)
            Fail(0, "the drawing has no layer \"0\" for an entity without a layer");
    }

    // The owner reference: the first 330 outside the 102 brackets.
    const DxfGroup* FindOwner(const Record& r) const {
        bool bracket = false;
        for (std::size_t k = r.begin + 1; k < r.end; ++k) {
            const DxfGroup& gr = g_[k];
            if (gr.code == 102) {
                bracket = !gr.value().empty() && gr.value()[0] == '{';
                continue;
            }
            if (gr.code == 100 || gr.code == 1001)
                return nullptr;
            if (gr.code == 330 && !bracket)
                return &gr;
        }
        return nullptr;
    }

    // A group naming a member the drawing lacks (or an object that is no entity) keeps its
    // other members; each one left out is said.
    void DropMissingGroupMembers(const Record& r, DxfTagList& tags) {
        for (std::size_t k = r.begin + 1; k < r.end && g_[k].code != 1001; ++k) {
            if (g_[k].code != 340)
                continue;
            std::uint64_t handle = DxfValues::HandleValue(g_[k]);
            if (AcDbEntity::cast(PeekObject(values_->Resolve(handle))) == nullptr)
                Note(DxfLineOf(g_, g_[k]), "the GROUP names the member " + AcDbHandle(handle).text() +
                                               ", which the drawing lacks; it is left out of the group");
        }
        std::erase_if(tags, [](const DxfTag& tag) {
            return tag.code == 340 && AcDbEntity::cast(PeekObject(tag.id)) == nullptr;
        });
    }

    void FillObjects() {
        for (auto& r : records_) {
            if (r.kind != RecordKind::Object)
                continue;
            DxfTagList& tags = tags_;
            values_->TagsInto(r, tags);
            if (TypeOf(r.begin) == "GROUP")
                DropMissingGroupMembers(r, tags);
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
                // Filing makes the dictionary the owner; an entity filed by reference keeps its block.
                AcDbObjectId before = value->ownerId();
                AcDbObjectId filed;
                Acad::ErrorStatus es = dict->setAt(tags[k].text.c_str(), value, filed);
                if (!before.isNull())
                    value->setOwnerId(before);
                if (es != Acad::eOk)
                    Fail(DxfLineOf(g_, g_[r.begin]), "the dictionary entry \"" + tags[k].text +
                                               "\" cannot be filed: " + Acad::ErrorStatusName(es));
            }
        }
    }

    void ApplyCommonParts() {
        for (auto& r : records_) {
            if (r.object == nullptr ||
                (r.kind == RecordKind::Entity && r.object->isWriteEnabled() && !HasCommonParts(r)))
                continue;
            Writable access(r.object);
            DxfTagList& xdata = xdata_;
            xdata.clear();
            DxfTagList& tags = tags_;
            values_->TagsInto(r, tags, &xdata, true);
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
                        Fail(DxfLineOf(g_, g_[r.begin]),
                             "the extension dictionary of the " + Type(r) + " is not a dictionary");
                }
            }
            if (r.kind == RecordKind::Object) {
                const DxfGroup* owner = FindOwner(r);
                AcDbObjectId id =
                    owner != nullptr ? values_->Resolve(DxfValues::HandleValue(*owner)) : AcDbObjectId();
                // A dictionary belongs somewhere: one that names no owner the drawing has is the
                // named-objects dictionary's.
                if (id.isNull() && AcDbDictionary::cast(r.object) != nullptr)
                    id = nod_;
                if (r.id != nod_)
                    r.object->setOwnerId(id);
            }
            if (xdata.empty())
                continue;
            std::vector<XDataApp> apps;
            Acad::ErrorStatus es = ParseXData(&db_, std::move(xdata), apps);
            if (es == Acad::eOk)
                es = r.object->setXDataApps(std::move(apps));
            if (es != Acad::eOk)
                Fail(XDataLine(r),
                     "the extended data of the " + Type(r) + " cannot be kept: " + Acad::ErrorStatusName(es));
        }
    }

    // Whether an entity has reactors, an extension dictionary or extended data to apply: most
    // have none, and their groups need not be read again.
    bool HasCommonParts(const Record& r) const {
        bool body = false;
        for (std::size_t k = r.begin + 1; k < r.end; ++k) {
            int code = g_[k].code;
            if (code == 1001 || (code == 102 && !body))
                return true;
            body = body || code == 100;
        }
        return false;
    }

    int XDataLine(const Record& r) const {
        for (std::size_t k = r.begin; k < r.end; ++k)
            if (g_[k].code == 1001)
                return DxfLineOf(g_, g_[k]);
        return DxfLineOf(g_, g_[r.begin]);
    }

    AcDbObjectId AddRecordIfMissing(AcDbObjectId tableId, AcDbSymbolTableRecord* record, const char* name) {
        auto* table = AcDbSymbolTable::cast(PeekObject(tableId));
        AcDbObjectId id;
        if (table->getAt(name, id) == Acad::eOk) {
            delete record;
            return id;
        }
        if (record->setName(name) == Acad::eOk && table->add(id, record) == Acad::eOk) {
            extraOpen_.push_back(record);
        } else {
            delete record;
            id.setNull();
        }
        return id;
    }

    // Entities may name layers the file lacks; the host adds them, which needs the tables closed.
    void CloseTables() {
        for (auto& r : records_)
            if (r.kind == RecordKind::Table && r.object != nullptr && r.object->isWriteEnabled())
                r.object->close();
        for (AcDbObject* o : extraOpen_)
            if (AcDbSymbolTable::cast(o) != nullptr && o->isWriteEnabled())
                o->close();
    }

    void EnsureDefaults() {
        // What every drawing of the host has, for files written by simpler programs.
        AddRecordIfMissing(layerTable_, new AcDbLayerTableRecord, "0");
        auto* style = new AcDbTextStyleTableRecord;
        style->setFileName("txt");
        AddRecordIfMissing(styleTable_, style, "Standard");
        AddRecordIfMissing(appTable_, new AcDbRegAppTableRecord, "ACAD");
        AddRecordIfMissing(blockTable_, new AcDbBlockTableRecord, ACDB_MODEL_SPACE);
        AddRecordIfMissing(blockTable_, new AcDbBlockTableRecord, ACDB_PAPER_SPACE);
    }

    void ApplyHeader() {
        auto* nod = AcDbDictionary::cast(PeekObject(nod_));
        if (!nod->has("ACAD_GROUP")) {
            auto* groups = new AcDbDictionary;
            AcDbObjectId id;
            if (nod->setAt("ACAD_GROUP", groups, id) == Acad::eOk)
                extraOpen_.push_back(groups);
            else
                delete groups;
        }
        for (const DxfHeaderVariable& variable : DxfHeaderVariables())
            if (const DxfGroup* v = HeaderValue(variable.name.c_str(), variable.code))
                if (auto value = HeaderVariableValue(variable, *v))
                    SetDrawingVariable(&db_, variable.definition.name, *value);
        db_.setExtmin(HeaderPoint("$EXTMIN", db_.extmin()));
        db_.setExtmax(HeaderPoint("$EXTMAX", db_.extmax()));
    }

    // None for a whole number the variable's type cannot hold; a value outside the variable's
    // range (a linetype scale not above 0) is refused by SetDrawingVariable. Either way the drawing
    // keeps the initial value.
    std::optional<VariableValue> HeaderVariableValue(const DxfHeaderVariable& variable, const DxfGroup& group) const {
        VariableValue value = variable.definition.initial;
        if (value.type == RTREAL) {
            value.real = values_->Real(group);
        } else if (value.type == RTSTR) {
            value.text = values_->Text(TrimDxfValue(group.value()));
        } else {
            value.integer = values_->Integer(group);
            const long long limit = value.type == RTSHORT ? 32767 : 2147483647;
            if (value.integer < -limit - 1 || value.integer > limit)
                return std::nullopt;
        }
        return value;
    }

    AcGePoint3d HeaderPoint(const char* name, AcGePoint3d fallback) const {
        const DxfGroup* x = HeaderValue(name, 10);
        const DxfGroup* y = HeaderValue(name, 20);
        const DxfGroup* z = HeaderValue(name, 30);
        if (x == nullptr || y == nullptr)
            return fallback;
        return AcGePoint3d(values_->Real(*x), values_->Real(*y), z != nullptr ? values_->Real(*z) : 0.0);
    }

    AcDbObjectId Named(AcDbObjectId tableId, const char* variable, int code) {
        const DxfGroup* v = HeaderValue(variable, code);
        AcDbObjectId id;
        auto* table = AcDbSymbolTable::cast(PeekObject(tableId));
        if (v != nullptr)
            table->getAt(Renamed(TableNameOf(tableId), values_->Text(TrimDxfValue(v->value()))).c_str(), id);
        return id;
    }

    void ApplyCurrentSettings() {
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
    std::vector<std::string>& notes_;
    // Records renamed on reading, by table: the upper-cased name read to the name given.
    std::map<std::string, std::map<std::string, std::string>> renamed_;
    std::vector<AcDbObject*> extraOpen_;
    // The tags and extended data of the record being read, one list each for all records.
    DxfTagList tags_, xdata_;
    DxfLayout layout_;
    std::vector<DxfRecord>& records_ = layout_.records;
    std::unique_ptr<DxfValues> values_;
    AcDbObjectId blockTable_, layerTable_, linetypeTable_, styleTable_, appTable_, nod_;
    AcDbObjectId viewportTable_, dimStyleTable_, viewTable_, ucsTable_;
};

}  // namespace

bool ReadDxf(std::string_view text, AcDbDatabase& db, std::string& error, std::vector<std::string>* notes) {
    if (text.substr(0, 18) == "AutoCAD Binary DXF") {
        error = "line 1: binary DXF files are not read; save the drawing as ASCII DXF";
        return false;
    }
    std::vector<DxfGroup> groups;
    if (!SplitDxfGroups(text, groups, error))
        return false;
    // The bare tables the database was made with give way to the file's.
    {
        ObjectTable empty(&db);
        db.objects().Absorb(empty);
    }
    std::vector<std::string> unread;
    Reader reader(db, std::move(groups), notes != nullptr ? *notes : unread);
    try {
        reader.Run();
    } catch (const DxfFailure& failure) {
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
