#include "dxf_audit.h"
#include "dxf_common_codes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "platform/cad/dxf_text_codec.h"
#include "platform/text/gbk.h"
#include "symbol_name_rules.h"

namespace platform::cad {

bool MendZeroScale(DxfTagList& tags) {
    bool mended = false;
    for (auto& tag : tags)
        if ((tag.code == 41 || tag.code == 42 || tag.code == 43) && tag.real == 0) {
            tag.real = 1;
            mended = true;
        }
    return mended;
}

int MendMissingWeights(DxfTagList& tags) {
    int points = 0, weights = 0;
    for (const auto& tag : tags) {
        points += tag.code == 10 ? 1 : 0;
        weights += tag.code == 41 ? 1 : 0;
    }
    if (weights == 0 || weights >= points)
        return 0;
    for (int i = weights; i < points; ++i)
        tags.push_back(DxfTag::Real(41, 1.0));
    return points - weights;
}

double MendEllipseAxes(DxfTagList& tags) {
    DxfTag *major = nullptr, *ratio = nullptr, *start = nullptr, *end = nullptr;
    AcGeVector3d normal(0, 0, 1);
    for (auto& tag : tags) {
        if (tag.code == 11 && major == nullptr)
            major = &tag;
        else if (tag.code == 40 && ratio == nullptr)
            ratio = &tag;
        else if (tag.code == 41 && start == nullptr)
            start = &tag;
        else if (tag.code == 42 && end == nullptr)
            end = &tag;
        else if (tag.code == 210)
            normal = AcGeVector3d(tag.point.x, tag.point.y, tag.point.z);
    }
    // Without both parameters the ellipse is whole (a turn back leaves it the same), unless one
    // of them is given alone.
    if (major == nullptr || ratio == nullptr || !(ratio->real > 1) || !std::isfinite(ratio->real) ||
        normal.isZeroLength() || (start == nullptr) != (end == nullptr))
        return 0;
    const double read = ratio->real;
    AcGeVector3d axis(major->point.x, major->point.y, major->point.z);
    AcGeVector3d minor = normal.normal().crossProduct(axis) * read;
    major->point = AcGePoint3d(minor.x, minor.y, minor.z);
    ratio->real = 1 / read;
    if (start != nullptr) {
        // A quarter turn back, kept in the range the parameters were read in.
        constexpr double kTwoPi = 2 * std::numbers::pi;
        start->real += 1.5 * std::numbers::pi;
        end->real += 1.5 * std::numbers::pi;
        if (start->real >= kTwoPi) {
            start->real -= kTwoPi;
            end->real -= kTwoPi;
        }
    }
    return read;
}

bool NameSurvivesSaving(std::string_view name) {
    // The writer writes control characters as ^X and bytes that are no GBK character as escapes.
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            return false;
    return EscapeInvalidGbk(name) == name;
}

std::string ReplaceRefusedCharacters(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        std::size_t len = SymbolNameCharLength(name, i);
        if (IsRefusedSymbolNameChar(name, i, len))
            out += '_';
        else
            out.append(name.substr(i, len));
        i += len;
    }
    return out;
}

namespace {
// The subclass of a dimension kind and the groups it holds; all others but the entity's are the
// common dimension's.
struct DimensionKind {
    const char* subclass;
    std::vector<int> codes;
};

const DimensionKind* KindOf(long kind) {
    static const DimensionKind kinds[] = {
        {"AcDb2LineAngularDimension", {13, 14, 15, 16}},
        {"AcDbDiametricDimension", {15, 40}},
        {"AcDbRadialDimension", {15, 40}},
        {"AcDb3PointAngularDimension", {13, 14, 15}},
        {"AcDbOrdinateDimension", {13, 14}},
    };
    return kind >= 2 && kind <= 6 ? &kinds[kind - 2] : nullptr;
}

// Where an old release's dimension keeps the entity's part: the lineweight goes with it.
bool IsEntityCode(int code) { return IsCommonEntityCode(code) || code == kLineweightCode; }

}  // namespace

void AddDimensionSubclasses(DxfTagList& tags, long flags) {
    for (const auto& tag : tags)
        if (tag.code == 100)
            return;  // written by a release that has them
    const DimensionKind* kind = KindOf(flags & 0x0F);
    if (kind == nullptr)
        return;
    DxfTagList entity, common, own;
    for (auto& tag : tags) {
        if (IsEntityCode(tag.code))
            entity.push_back(std::move(tag));
        else if (std::find(kind->codes.begin(), kind->codes.end(), tag.code) != kind->codes.end())
            own.push_back(std::move(tag));
        else
            common.push_back(std::move(tag));
    }
    tags = std::move(entity);
    tags.push_back(DxfTag::String(100, "AcDbDimension"));
    for (auto& tag : common)
        tags.push_back(std::move(tag));
    tags.push_back(DxfTag::String(100, kind->subclass));
    for (auto& tag : own)
        tags.push_back(std::move(tag));
}

}  // namespace platform::cad
