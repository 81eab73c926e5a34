#include "cadastral/entity_selection.h"

#include <string>
#include <vector>

#include "cadastral/settings.h"
#include "cadastral/string_helpers.h"
#include "drawingutil/feature_codes.h"
#include "drawingutil/host_objects.h"
#include "platform/cad/selection.h"

namespace cadastral {
namespace {

using drawingutil::Chain;

// Appends a buffer to the chain's tail; false (the chain unchanged) when memory ran out.
bool Append(resbuf*& tail, int type, const std::string& text) {
    resbuf* rb = acutNewRb(type);
    if (rb == nullptr) return false;
    rb->resval.rstring = acutNewString(text.c_str());
    if (rb->resval.rstring == nullptr) {
        acutRelRb(rb);
        return false;
    }
    tail->rbnext = rb;
    tail = rb;
    return true;
}

bool MatchesAnyPattern(const std::string& patterns, const std::string& code) {
    if (patterns.find(',') == std::string::npos) return MatchWildcard(patterns, code);
    std::vector<std::string> pieces;
    SplitString(patterns, ",", pieces);
    for (const std::string& pattern : pieces)
        if (MatchWildcard(pattern, code)) return true;
    return false;
}

// Copies the members of the source that the test keeps into a new output set.
template <typename Keep>
void CopyMembers(const ads_name source, ads_name selection, Keep keep) {
    acedSSAdd(nullptr, nullptr, selection);
    Adesk::Int32 length = 0;
    acedSSLength(source, &length);
    std::string code;
    for (Adesk::Int32 i = 0; i < length; ++i) {
        ads_name entity;
        if (acedSSName(source, i, entity) != RTNORM) continue;
        GetEntityCode(entity, code);
        if (keep(code)) acedSSAdd(entity, selection, selection);
    }
}

}  // namespace

resbuf* BuildEntityFilter(std::string_view filterText) {
    std::vector<std::string> items;
    SplitString(filterText, ";", items);
    if (items.empty()) return nullptr;
    Chain head(acutNewRb(-4));
    if (!head || (head->resval.rstring = acutNewString("<or")) == nullptr) return nullptr;
    resbuf* tail = head.get();
    std::vector<std::string> parts;
    bool any = false;
    for (const std::string& item : items) {
        SplitString(item, ",", parts);
        if (parts.size() != 2) continue;
        std::string type = parts[0];
        std::string layer = parts[1];
        TrimSpaces(type);
        TrimSpaces(layer);
        bool ok = true;
        if (type.empty() && layer.empty()) continue;
        if (layer.empty()) {
            ok = Append(tail, 0, type);
        } else if (type.empty()) {
            ok = Append(tail, 8, layer);
        } else {
            ok = Append(tail, -4, "<and") && Append(tail, 0, type) && Append(tail, 8, layer) &&
                 Append(tail, -4, "and>");
        }
        if (!ok) return nullptr;
        any = true;
    }
    // An empty "<or" group would select nothing on some hosts and everything on others.
    if (!any) return nullptr;
    if (!Append(tail, -4, "or>")) return nullptr;
    return head.release();
}

void FilterSelectionByCode(const ads_name source, ads_name selection, std::string_view codePattern) {
    const std::string patterns(codePattern);
    CopyMembers(source, selection, [&](const std::string& code) { return MatchesAnyPattern(patterns, code); });
}

bool SelectWithCodePattern(const char* mode, const void* pt1, const void* pt2, const resbuf* filter,
                           std::string_view codePattern, ads_name selection) {
    std::string pattern(codePattern);
    TrimSpaces(pattern);
    if (pattern.empty()) return acedSSGet(mode, pt1, pt2, filter, selection) == RTNORM;
    ads_name all;
    if (acedSSGet(mode, pt1, pt2, filter, all) != RTNORM) return false;
    FilterSelectionByCode(all, selection, pattern);
    acedSSFree(all);
    return true;
}

bool SelectByFilter(ads_name selection, std::string_view filterText, std::string_view codePattern, bool pick) {
    Chain filter(BuildEntityFilter(filterText));
    return SelectWithCodePattern(pick ? nullptr : "X", nullptr, nullptr, filter.get(), codePattern, selection);
}

bool SelectByFilterAndCode(ads_name selection, std::string_view filterText, std::string_view code) {
    Chain filter(BuildEntityFilter(filterText));
    std::string wanted(code);
    TrimSpaces(wanted);
    if (wanted.empty()) return acedSSGet("X", nullptr, nullptr, filter.get(), selection) == RTNORM;
    ads_name all;
    if (acedSSGet("X", nullptr, nullptr, filter.get(), all) != RTNORM) return false;
    CopyMembers(all, selection, [&](const std::string& found) { return found == wanted; });
    acedSSFree(all);
    return true;
}

}  // namespace cadastral
