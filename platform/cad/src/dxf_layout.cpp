#include "dxf_layout.h"

#include <algorithm>

namespace platform::cad {

void DxfFail(int line, const std::string& what) {
    throw DxfFailure{line > 0 ? "line " + std::to_string(line) + ": " + what : what};
}

namespace {

using Record = DxfRecord;
using RecordKind = DxfRecordKind;

class LayoutParser {
public:
    LayoutParser(const std::vector<DxfGroup>& groups, DxfLayout& layout)
        : g_(groups), records_(layout.records), header_(layout.header), sawEof_(layout.sawEof) {}

    void ParseSections() {
        // A record at most for each 0 group.
        records_.reserve(static_cast<std::size_t>(
            std::count_if(g_.begin(), g_.end(), [](const DxfGroup& gr) { return gr.code == 0; })));
        std::size_t i = 0;
        while (i < g_.size()) {
            const DxfGroup& gr = g_[i];
            if (gr.code == 999) {
                ++i;
                continue;
            }
            if (gr.code != 0)
                DxfFail(DxfLineOf(g_, gr), "a section was expected, found group code " + std::to_string(gr.code));
            std::string_view v = TrimDxfValue(gr.value());
            if (v == "EOF") {
                sawEof_ = true;
                return;
            }
            if (v != "SECTION")
                DxfFail(DxfLineOf(g_, gr), "a section was expected, found \"" + std::string(v.substr(0, 40)) + "\"");
            if (i + 1 >= g_.size() || g_[i + 1].code != 2)
                DxfFail(DxfLineOf(g_, gr), "the section has no name");
            std::string_view name = TrimDxfValue(g_[i + 1].value());
            std::size_t end = i + 2;
            while (end < g_.size() && !(g_[end].code == 0 && TrimDxfValue(g_[end].value()) == "ENDSEC"))
                ++end;
            if (end >= g_.size())
                DxfFail(DxfLineOf(g_, gr), "the section " + std::string(name) + " has no end (cut short?)");
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

    void ParseHeader(std::size_t i, std::size_t end) {
        std::string current;
        for (; i < end; ++i) {
            if (g_[i].code == 9) {
                current = std::string(TrimDxfValue(g_[i].value()));
                header_[current] = i;
            }
        }
    }

    // The next record boundary (a 0 group) from i.
    std::size_t NextZero(std::size_t i, std::size_t end) const {
        ++i;
        while (i < end && g_[i].code != 0)
            ++i;
        return i;
    }

    std::string_view TypeOf(std::size_t i) const { return TrimDxfValue(g_[i].value()); }

    void ParseTables(std::size_t i, std::size_t end) {
        if (i < end && g_[i].code != 0)
            DxfFail(DxfLineOf(g_, g_[i]), "a TABLE was expected");
        while (i < end) {
            std::size_t next = NextZero(i, end);
            if (TypeOf(i) != "TABLE")
                DxfFail(DxfLineOf(g_, g_[i]),
                        "a TABLE was expected, found \"" + std::string(TypeOf(i).substr(0, 40)) + "\"");
            std::string_view name;
            for (std::size_t k = i + 1; k < next; ++k)
                if (g_[k].code == 2) {
                    name = TrimDxfValue(g_[k].value());
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
                DxfFail(DxfLineOf(g_, g_[records_.back().begin]), "the table " + std::string(name) + " has no ENDTAB");
            i = NextZero(i, end);
        }
    }

    void ParseRecords(std::size_t i, std::size_t end, bool blocks) {
        if (i < end && g_[i].code != 0)
            DxfFail(DxfLineOf(g_, g_[i]), "an entity was expected");
        bool inBlock = false;
        while (i < end) {
            std::size_t next = NextZero(i, end);
            std::string_view type = TypeOf(i);
            RecordKind kind = RecordKind::Entity;
            if (blocks && type == "BLOCK") {
                if (inBlock)
                    DxfFail(DxfLineOf(g_, g_[i]), "a BLOCK starts inside another block");
                inBlock = true;
                kind = RecordKind::BlockBegin;
            } else if (blocks && type == "ENDBLK") {
                if (!inBlock)
                    DxfFail(DxfLineOf(g_, g_[i]), "ENDBLK without its BLOCK");
                inBlock = false;
                kind = RecordKind::BlockEnd;
            } else if (blocks && !inBlock) {
                DxfFail(DxfLineOf(g_, g_[i]), "an entity outside any block");
            } else if (type.empty()) {
                DxfFail(DxfLineOf(g_, g_[i]), "an entity without a type name");
            }
            records_.push_back(Record{kind, i, next, {}});
            i = next;
        }
        if (inBlock)
            DxfFail(DxfLineOf(g_, g_[end - 1]), "the last block has no ENDBLK");
    }

    void ParseObjects(std::size_t i, std::size_t end) {
        if (i < end && g_[i].code != 0)
            DxfFail(DxfLineOf(g_, g_[i]), "an object was expected");
        while (i < end) {
            std::size_t next = NextZero(i, end);
            if (TypeOf(i).empty())
                DxfFail(DxfLineOf(g_, g_[i]), "an object without a type name");
            records_.push_back(Record{RecordKind::Object, i, next, {}});
            i = next;
        }
    }

private:
    const std::vector<DxfGroup>& g_;
    std::vector<DxfRecord>& records_;
    std::map<std::string, std::size_t>& header_;
    bool& sawEof_;
};

}  // namespace

void ParseDxfLayout(const std::vector<DxfGroup>& groups, DxfLayout& layout) {
    LayoutParser(groups, layout).ParseSections();
}

}  // namespace platform::cad
