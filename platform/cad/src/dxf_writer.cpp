#include "platform/cad/dxf_writer.h"

#include <charconv>

#include "dxf_header_variables.h"
#include "platform/cad/db_2d_polyline.h"
#include "platform/cad/db_block_reference.h"
#include "platform/cad/db_block_table_record.h"
#include "platform/cad/db_database.h"
#include "platform/cad/db_dictionary.h"
#include "platform/cad/db_kept_symbol_records.h"
#include "platform/cad/db_symbol_records.h"
#include "platform/cad/db_symbol_table.h"
#include "platform/cad/db_unknown.h"
#include "platform/cad/dxf_text_codec.h"

namespace platform::cad {

namespace {

// A little above what an object takes in a surveyed drawing (a vertex, a coded polyline, a note).
constexpr std::size_t kBytesPerObject = 256;

class Writer {
public:
    explicit Writer(const AcDbDatabase& db) : db_(db), next_(db.handseed().value()) {}

    std::string Run() {
        // Room for the whole text at once: a drawing of many objects would otherwise be copied
        // each time the text outgrows its buffer, and pages are taken only as they are written.
        out_.reserve(db_.objects().Size() * kBytesPerObject);
        Section("CLASSES");
        EndSection();
        Tables();
        Blocks();
        Entities();
        Objects();
        Group(0, "EOF");
        // The header comes last, as it names the handles given out, and goes in front of the body
        // within the body's own buffer.
        std::string body = std::move(out_);
        out_.clear();
        Header();
        body.insert(0, out_);
        return body;
    }

private:
    // ---- groups ----------------------------------------------------------------------------

    void Code(int code) {
        char buffer[16];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), code);
        std::size_t len = static_cast<std::size_t>(end - buffer);
        if (len < 3)
            out_.append(3 - len, ' ');
        out_.append(buffer, len);
        out_ += '\n';
    }

    void Group(int code, std::string_view value) {
        Code(code);
        // The file says ANSI_936: bytes that are no GBK character (text a program set, a stray byte
        // of a read file) would garble the characters after them in every reader.
        std::string valid;
        for (char c : value)
            if (static_cast<unsigned char>(c) > 0x80) {
                valid = EscapeInvalidGbk(value);
                value = valid;
                break;
            }
        // A line end inside a value would split the group: control characters go as ^X.
        std::size_t plain = 0;
        for (std::size_t i = 0; i < value.size(); ++i) {
            const char c = value[i];
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                out_.append(value.data() + plain, i - plain);
                out_ += '^';
                out_ += static_cast<char>(c + 64);
                plain = i + 1;
            }
        }
        out_.append(value.data() + plain, value.size() - plain);
        out_ += '\n';
    }

    void Real(int code, double value) {
        Code(code);
        char buffer[32];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
        std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
        out_ += text;
        if (text.find_first_of(".eEn") == std::string_view::npos)
            out_ += ".0";
        out_ += '\n';
    }

    void Int(int code, std::int64_t value) {
        Code(code);
        char buffer[24];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof(buffer), value);
        out_.append(buffer, static_cast<std::size_t>(end - buffer));
        out_ += '\n';
    }

    void Handle(int code, std::uint64_t handle) {
        Group(code, handle == 0 ? std::string("0") : AcDbHandle(handle).text());
    }

    void Point(int code, const AcGePoint3d& p, bool withZ = true) {
        Real(code, p.x);
        Real(code + 10, p.y);
        if (withZ)
            Real(code + 20, p.z);
    }

    // Handles of the records only the file has (block markers, the dimension style table): past
    // the seed, or, once the seed has reached the end of the range, in the gaps between objects.
    std::uint64_t NewHandle() {
        while (next_ == 0 || next_ > ObjectTable::kLargestHandle || db_.objects().FindHandle(next_) != nullptr)
            ++next_;
        return next_++;
    }

    void Tag(const DxfTag& tag, bool flat) {
        switch (tag.kind()) {
            case GroupValueKind::String:
                Group(tag.code, tag.text);
                break;
            case GroupValueKind::Real:
                Real(tag.code, tag.real);
                break;
            case GroupValueKind::Point:
                Point(tag.code, tag.point, !(tag.flat || (flat && tag.code == 10)));
                break;
            case GroupValueKind::Int16:
            case GroupValueKind::Int32:
            case GroupValueKind::Int64:
            case GroupValueKind::Bool:
                Int(tag.code, tag.integer);
                break;
            case GroupValueKind::Name:
                if (!tag.id.isNull())
                    Handle(tag.code, tag.id.isErased() ? 0 : tag.id.handle().value());
                else
                    Group(tag.code, tag.text.empty() ? std::string("0") : tag.text);
                break;
            case GroupValueKind::Binary: {
                static const char* hex = "0123456789ABCDEF";
                std::string text;
                text.reserve(tag.bytes.size() * 2);
                for (unsigned char b : tag.bytes) {
                    text += hex[b >> 4];
                    text += hex[b & 15];
                }
                Group(tag.code, text);
                break;
            }
            case GroupValueKind::None:
                Group(tag.code, tag.text);
                break;
        }
    }

    // A reference to an object that is not written (never read, or erased since): readers
    // refuse to load a drawing with one.
    static bool Dangles(const DxfTag& tag) {
        if (tag.kind() != GroupValueKind::Name)
            return false;
        return tag.id.isNull() ? !tag.text.empty() : tag.id.isErased();
    }

    // Leaves out references that dangle, as an audit does; a dictionary-style entry (a key in 3
    // and its object) goes whole.
    static void DropDangling(DxfTagList& tags) {
        DxfTagList kept;
        kept.reserve(tags.size());
        for (auto& tag : tags) {
            if (Dangles(tag)) {
                if ((tag.code == 350 || tag.code == 360) && !kept.empty() && kept.back().code == 3)
                    kept.pop_back();
                continue;
            }
            kept.push_back(std::move(tag));
        }
        tags = std::move(kept);
    }

    // An object: its type, its fields as the class files them, then its extended data. skip
    // leaves out codes another record carries (a block's origin goes with BLOCK).
    void Object(const AcDbObject* object, const char* type = nullptr, bool blockRecord = false) {
        Group(0, type != nullptr ? type : object->dxfTypeName());
        AcDbDxfFiler filer(AcDbDxfFiler::kDegrees);
        object->dxfOutFields(&filer);
        DropDangling(filer.tags());
        if (AcDbSymbolTableRecord::cast(object) != nullptr)
            RecordLayout(filer.tags(), type);
        // A dimension style's handle goes in 105: its 5 names an arrow block.
        if (AcDbDimStyleTableRecord::cast(object) != nullptr && !filer.tags().empty() &&
            filer.tags().front().code == 5)
            filer.tags().front().code = 105;
        bool flat = std::string_view(object->dxfTypeName()) == "LWPOLYLINE";
        bool reactors = false;
        bool subclass = false;
        for (const auto& tag : filer.tags()) {
            if (tag.code == 100)
                subclass = true;
            if (tag.code == 102 && !subclass) {
                reactors = tag.text == "{ACAD_REACTORS";
            } else if (reactors && tag.code == 330 && (tag.id.isNull() || tag.id.isErased())) {
                continue;  // a group that is gone no longer reacts
            }
            if (blockRecord && (tag.code == 10 || tag.code == 4 || tag.code == 70))
                continue;
            Tag(tag, flat);
        }
        for (const auto& app : object->xdataApps()) {
            Group(1001, app.app);
            for (const auto& tag : app.items)
                Tag(tag, false);
        }
    }

    // A table record keeps its name and flags in the record's own subclass, which follows the
    // empty AcDbSymbolTableRecord one; readers look for them there.
    static void RecordLayout(DxfTagList& tags, const char* type) {
        std::size_t common = tags.size();
        for (std::size_t i = 0; i < tags.size(); ++i)
            if (tags[i].code == 100 && tags[i].text == "AcDbSymbolTableRecord") {
                common = i;
                break;
            }
        if (common == tags.size())
            return;
        std::size_t own = common + 1;
        while (own < tags.size() && tags[own].code != 100)
            ++own;
        DxfTag subclass = own < tags.size() ? tags[own] : DxfTag::String(100, "AcDbRegAppTableRecord");
        if (own < tags.size())
            tags.erase(tags.begin() + static_cast<std::ptrdiff_t>(own));
        else if (type == nullptr || std::string_view(type) != "APPID")
            return;
        tags.insert(tags.begin() + static_cast<std::ptrdiff_t>(common) + 1, subclass);
    }

    void Section(const char* name) {
        Group(0, "SECTION");
        Group(2, name);
    }
    void EndSection() { Group(0, "ENDSEC"); }

    // ---- sections --------------------------------------------------------------------------

    std::string RecordName(AcDbObjectId id) const {
        auto* record = AcDbSymbolTableRecord::cast(PeekObject(id));
        return record != nullptr ? record->name() : std::string();
    }

    void Header() {
        Section("HEADER");
        Group(9, "$ACADVER");
        Group(1, "AC1018");
        Group(9, "$DWGCODEPAGE");
        Group(3, "ANSI_936");
        Group(9, "$INSBASE");
        Point(10, AcGePoint3d());
        Group(9, "$EXTMIN");
        Point(10, db_.extmin());
        Group(9, "$EXTMAX");
        Point(10, db_.extmax());
        HeaderVariables();
        Group(9, "$CLAYER");
        Group(8, RecordName(db_.clayer()).empty() ? std::string("0") : RecordName(db_.clayer()));
        Group(9, "$CELTYPE");
        Group(6, RecordName(db_.celtype()).empty() ? std::string("ByLayer") : RecordName(db_.celtype()));
        Group(9, "$TEXTSTYLE");
        Group(7, RecordName(db_.textstyle()).empty() ? std::string("Standard") : RecordName(db_.textstyle()));
        Group(9, "$HANDSEED");
        Handle(5, next_);
        EndSection();
    }

    // The drawing's own system variables. $LTSCALE and $USERR1 are always written; another only
    // when it differs from its initial value, which a reader takes for a missing one.
    void HeaderVariables() {
        for (const DxfHeaderVariable& variable : DxfHeaderVariables()) {
            const VariableValue& initial = variable.definition.initial;
            VariableValue value;
            GetDrawingVariable(&db_, variable.definition.name, value);
            const bool always = variable.name == "$LTSCALE" || variable.name == "$USERR1";
            if (!always && value.integer == initial.integer && value.real == initial.real && value.text == initial.text)
                continue;
            Group(9, variable.name);
            if (value.type == RTREAL)
                Real(variable.code, value.real);
            else if (value.type == RTSTR)
                Group(variable.code, value.text);
            else
                Int(variable.code, value.integer);
        }
    }

    // A table the host does not keep, written with what a reader expects to find.
    std::uint64_t TableHead(const char* name, int count) {
        std::uint64_t handle = NewHandle();
        Group(0, "TABLE");
        Group(2, name);
        Handle(5, handle);
        Handle(330, 0);
        Group(100, "AcDbSymbolTable");
        Int(70, count);
        return handle;
    }

    void Table(AcDbObjectId tableId, const char* name, const char* recordType) {
        auto* table = AcDbSymbolTable::cast(PeekObject(tableId));
        AcDbObjectIdArray ids = table->recordIds();
        Group(0, "TABLE");
        Group(2, name);
        AcDbDxfFiler filer;
        table->AcDbObject::dxfOutFields(&filer);
        DropDangling(filer.tags());
        for (const auto& tag : filer.tags())
            Tag(tag, false);
        Group(100, "AcDbSymbolTable");
        Int(70, ids.length());
        if (auto* styles = AcDbDimStyleTable::cast(table)) {
            Group(100, "AcDbDimStyleTable");
            DxfTagList head = styles->headTags();
            DropDangling(head);
            if (head.empty())
                Int(71, 0);
            for (const auto& tag : head)
                Tag(tag, false);
        }
        for (const auto& id : ids)
            Object(PeekObject(id), recordType, std::string_view(recordType) == "BLOCK_RECORD");
        Group(0, "ENDTAB");
    }

    void Tables() {
        Section("TABLES");
        if (HasRecords(db_.viewportTableId()))
            Table(db_.viewportTableId(), "VPORT", "VPORT");
        else
            DefaultViewports();
        Table(db_.linetypeTableId(), "LTYPE", "LTYPE");
        Table(db_.layerTableId(), "LAYER", "LAYER");
        Table(db_.textStyleTableId(), "STYLE", "STYLE");
        // Views and coordinate systems a file brought go back as read; other drawings have none.
        if (HasRecords(db_.viewTableId())) {
            Table(db_.viewTableId(), "VIEW", "VIEW");
        } else {
            TableHead("VIEW", 0);
            Group(0, "ENDTAB");
        }
        if (HasRecords(db_.ucsTableId())) {
            Table(db_.ucsTableId(), "UCS", "UCS");
        } else {
            TableHead("UCS", 0);
            Group(0, "ENDTAB");
        }
        Table(db_.regAppTableId(), "APPID", "APPID");
        if (HasRecords(db_.dimStyleTableId()))
            Table(db_.dimStyleTableId(), "DIMSTYLE", "DIMSTYLE");
        else
            DefaultDimStyles();
        Table(db_.blockTableId(), "BLOCK_RECORD", "BLOCK_RECORD");
        EndSection();
    }

    static bool HasRecords(AcDbObjectId tableId) {
        auto* table = AcDbSymbolTable::cast(PeekObject(tableId));
        return table != nullptr && !table->recordIds().isEmpty();
    }

    // A drawing made here, or read from a file without viewports, gets the one a reader expects.
    void DefaultViewports() {
        std::uint64_t vport = TableHead("VPORT", 1);
        Group(0, "VPORT");
        Handle(5, NewHandle());
        Handle(330, vport);
        Group(100, "AcDbSymbolTableRecord");
        Group(100, "AcDbViewportTableRecord");
        Group(2, "*Active");
        Int(70, 0);
        Point(10, AcGePoint3d(), false);
        Point(11, AcGePoint3d(1, 1, 0), false);
        Point(12, AcGePoint3d(), false);
        Real(40, 1000);
        Real(41, 1.5);
        Group(0, "ENDTAB");
    }

    void DefaultDimStyles() {
        std::uint64_t dimstyles = TableHead("DIMSTYLE", 1);
        Group(100, "AcDbDimStyleTable");
        Int(71, 0);
        Group(0, "DIMSTYLE");
        Handle(105, NewHandle());
        Handle(330, dimstyles);
        Group(100, "AcDbSymbolTableRecord");
        Group(100, "AcDbDimStyleTableRecord");
        Group(2, "Standard");
        Int(70, 0);
        Group(0, "ENDTAB");
    }

    void Entity(AcDbObjectId id) {
        const AcDbObject* object = PeekObject(id);
        if (object == nullptr || id.isErased())
            return;
        Object(object);
        if (AcDb2dPolyline::cast(object) || AcDb3dPolyline::cast(object) ||
            AcDbBlockReference::cast(object)) {
            AcDbObjectIdArray subs;
            object->subObjectIds(subs);
            for (const auto& sub : subs)
                Entity(sub);
        }
    }

    // The entities of a block in order. A polyline the host keeps as raw groups (a mesh, a
    // polyface) lists its vertices after it as entities of their own: one whose file left out its
    // end marker, or put it elsewhere, gets one, as readers take whatever follows for its vertices.
    void EntityList(const AcDbObjectIdArray& ids) {
        const AcDbEntity* open = nullptr;
        for (const auto& id : ids) {
            const AcDbObject* object = PeekObject(id);
            if (object == nullptr || id.isErased())
                continue;
            std::string_view type = object->dxfTypeName();
            if (open != nullptr && type != "VERTEX" && type != "SEQEND")
                SequenceEnd(open);
            Entity(id);
            if (AcDbUnknownEntity::cast(object) != nullptr && type == "POLYLINE")
                open = AcDbEntity::cast(object);
            else if (type != "VERTEX")
                open = nullptr;
        }
        if (open != nullptr)
            SequenceEnd(open);
    }

    void SequenceEnd(const AcDbEntity* owner) {
        Group(0, "SEQEND");
        Handle(5, NewHandle());
        Handle(330, owner->objectHandle().value());
        Group(100, "AcDbEntity");
        Group(8, owner->layerName().empty() ? std::string("0") : owner->layerName());
    }

    void BlockMarker(const char* type, const AcDbBlockTableRecord* block, bool paper, const char* subclass) {
        Group(0, type);
        Handle(5, NewHandle());
        Handle(330, block->objectHandle().value());
        Group(100, "AcDbEntity");
        if (paper)
            Int(67, 1);
        Group(8, "0");
        Group(100, subclass);
    }

    void Blocks() {
        Section("BLOCKS");
        auto* table = AcDbBlockTable::cast(PeekObject(db_.blockTableId()));
        AcDbObjectId model = db_.modelSpaceId(), paper = db_.paperSpaceId();
        for (const auto& id : table->recordIds()) {
            auto* block = AcDbBlockTableRecord::cast(PeekObject(id));
            BlockMarker("BLOCK", block, id == paper, "AcDbBlockBegin");
            Group(2, block->name());
            Int(70, block->flags());
            Point(10, block->origin());
            Group(3, block->name());
            Group(1, "");
            if (block->comments()[0] != '\0')
                Group(4, block->comments());
            // Model space and the current layout list their entities in ENTITIES; the other
            // layouts keep theirs here, as ordinary blocks do.
            if (id != model && id != paper)
                EntityList(block->entityIds());
            BlockMarker("ENDBLK", block, id == paper, "AcDbBlockEnd");
        }
        EndSection();
    }

    void Entities() {
        Section("ENTITIES");
        for (AcDbObjectId space : {db_.modelSpaceId(), db_.paperSpaceId()})
            if (auto* block = AcDbBlockTableRecord::cast(PeekObject(space)))
                EntityList(block->entityIds());
        EndSection();
    }

    void Objects() {
        Section("OBJECTS");
        // The named-objects dictionary comes first: readers take the first dictionary for it.
        AcDbObjectId nod = db_.namedObjectsDictionaryId();
        if (const AcDbObject* root = PeekObject(nod))
            Object(root);
        const ObjectTable& objects = db_.objects();
        for (std::uint64_t i = 0; i < objects.Size(); ++i) {
            ObjectStub* stub = objects.At(i);
            const AcDbObject* object = stub->object.get();
            if (object == nullptr || stub->erased || AcDbObjectId(stub) == nod)
                continue;
            if (AcDbEntity::cast(object) || AcDbSymbolTable::cast(object) ||
                AcDbSymbolTableRecord::cast(object))
                continue;
            Object(object);
        }
        EndSection();
    }

    const AcDbDatabase& db_;
    std::uint64_t next_;
    std::string out_;
};

}  // namespace

std::string WriteDxf(const AcDbDatabase& db) {
    Writer writer(db);
    return writer.Run();
}

}  // namespace platform::cad
