#include "dxf_values.h"

#include <charconv>

#include "platform/cad/db_database.h"

namespace platform::cad {

double DxfValues::Real(const DxfGroup& gr) const {
    std::string_view v = TrimDxfValue(gr.value());
    double d = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), d);
    if (ec != std::errc() || p != v.data() + v.size() || v.empty())
        DxfFail(DxfLineOf(g_, gr), "\"" + std::string(v.substr(0, 40)) + "\" is not a number (group " +
                             std::to_string(gr.code) + ")");
    return d;
}

std::int64_t DxfValues::Integer(const DxfGroup& gr) const {
    std::string_view v = TrimDxfValue(gr.value());
    std::int64_t n = 0;
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (ec != std::errc() || p != v.data() + v.size() || v.empty())
        DxfFail(DxfLineOf(g_, gr), "\"" + std::string(v.substr(0, 40)) + "\" is not a whole number (group " +
                             std::to_string(gr.code) + ")");
    return n;
}

std::uint64_t DxfValues::HandleValue(const DxfGroup& gr) {
    std::string text(TrimDxfValue(gr.value()));
    return AcDbHandle(text.c_str()).value();
}

bool DxfValues::HandleOutOfRange(const DxfGroup& gr) {
    std::string_view v = TrimDxfValue(gr.value());
    while (!v.empty() && v.front() == '0')
        v.remove_prefix(1);
    for (char c : v)
        if (Hex(c) < 0)
            return false;
    return v.size() > 16 || (v.size() == 16 && v.find_first_not_of("Ff") == std::string_view::npos);
}

AcDbObjectId DxfValues::Resolve(std::uint64_t handle) const {
    AcDbObjectId id;
    if (handle != 0)
        db_.getAcDbObjectId(id, false, AcDbHandle(handle));
    return id;
}

// The groups of a record as tags, points joined and references resolved. Groups from 1001 on
// go to xdata when it is given.
DxfTagList DxfValues::Tags(const DxfRecord& r, DxfTagList* xdata, bool commonOnly) const {
    DxfTagList tags;
    // At most a tag a group; the list is short-lived.
    if (!commonOnly)
        tags.reserve(r.end - r.begin);
    TagsInto(r, tags, xdata, commonOnly);
    return tags;
}

void DxfValues::TagsInto(const DxfRecord& r, DxfTagList& tags, DxfTagList* xdata, bool commonOnly) const {
    tags.clear();
    DxfTagList* out = &tags;
    bool body = false;
    std::vector<bool> taken;
    for (std::size_t k = r.begin + 1; k < r.end; ++k) {
        const DxfGroup& gr = g_[k];
        if (gr.code == 999 || (!taken.empty() && taken[k - r.begin]))
            continue;
        // With commonOnly the class's own fields, read already, are passed over.
        if (commonOnly && gr.code == 100)
            body = true;
        if (body && gr.code != 1001 && out == &tags)
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
                tag.text = Text(gr.value());
                break;
            case GroupValueKind::Real:
                // A y or z group whose x group is missing: kept as it stands in extended data
                // (R12 exports write points so), a fault elsewhere.
                if (out != xdata && IsPointFollowerCode(gr.code))
                    DxfFail(DxfLineOf(g_, gr), "coordinate group " + std::to_string(gr.code) + " without its x value");
                tag.real = Real(gr);
                break;
            case GroupValueKind::Point: {
                tag.point.x = Real(gr);
                if (k + 1 < r.end && g_[k + 1].code == gr.code + 10) {
                    tag.point.y = Real(g_[++k]);
                    if (k + 1 < r.end && g_[k + 1].code == gr.code + 20)
                        tag.point.z = Real(g_[++k]);
                    else
                        tag.flat = true;
                    break;
                }
                // Releases before R11 wrote all x groups of a record, then the y groups, then z.
                std::size_t y = LaterFollower(r, k, gr.code + 10, taken);
                if (y == r.end)
                    DxfFail(DxfLineOf(g_, gr), "point group " + std::to_string(gr.code) + " without its y value");
                tag.point.y = Real(g_[y]);
                std::size_t z = LaterFollower(r, k, gr.code + 20, taken);
                if (z != r.end)
                    tag.point.z = Real(g_[z]);
                else
                    tag.flat = true;
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
                    tag.text = std::string(TrimDxfValue(gr.value()));
                break;
            }
            case GroupValueKind::Binary: {
                std::string_view v = TrimDxfValue(gr.value());
                if (v.size() % 2 != 0)
                    DxfFail(DxfLineOf(g_, gr), "binary data of odd length");
                for (std::size_t b = 0; b < v.size(); b += 2) {
                    int hi = Hex(v[b]), lo = Hex(v[b + 1]);
                    if (hi < 0 || lo < 0)
                        DxfFail(DxfLineOf(g_, gr), "binary data that is not hexadecimal");
                    tag.bytes.push_back(static_cast<unsigned char>(hi * 16 + lo));
                }
                break;
            }
            case GroupValueKind::None:
                // Codes the host has no kind for are kept as the text they were written as.
                tag.text = std::string(gr.value());
                break;
        }
        out->push_back(std::move(tag));
    }
}

// The first y or z group after the x group at k that no other point took, looked for up to the
// next point of the same code or the record's extended data; r.end when there is none.
std::size_t DxfValues::LaterFollower(const DxfRecord& r, std::size_t k, int code, std::vector<bool>& taken) const {
    if (taken.empty())
        taken.resize(r.end - r.begin);
    for (std::size_t j = k + 1; j < r.end; ++j) {
        if (g_[j].code == 1001 || g_[j].code == g_[k].code)
            break;
        if (g_[j].code == code && !taken[j - r.begin]) {
            taken[j - r.begin] = true;
            return j;
        }
    }
    return r.end;
}

int DxfValues::Hex(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace platform::cad
