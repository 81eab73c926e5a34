#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cadastral/entity_selection.h"
#include "cadastral/string_helpers.h"
#include "platform/cad/resbuf.h"

namespace {

using cadastral::MatchCodePattern;
using cadastral::MatchWildcard;

TEST(SplitString, KeepsEmptyPiecesAndLongSeparators) {
    std::vector<std::string> pieces{"stale"};
    cadastral::SplitString("", ";", pieces);
    EXPECT_TRUE(pieces.empty());
    cadastral::SplitString("a;;b;", ";", pieces);
    EXPECT_EQ(pieces, (std::vector<std::string>{"a", "", "b", ""}));
    cadastral::SplitString("x<>y<>z", "<>", pieces);
    EXPECT_EQ(pieces, (std::vector<std::string>{"x", "y", "z"}));
    cadastral::SplitString("none", ",", pieces);
    EXPECT_EQ(pieces, (std::vector<std::string>{"none"}));
}

TEST(MatchWildcard, StarsQuestionMarksAndBacktracking) {
    EXPECT_TRUE(MatchWildcard("30*", "300000"));
    EXPECT_TRUE(MatchWildcard("30*", "30"));
    EXPECT_FALSE(MatchWildcard("30*", "310000"));
    EXPECT_TRUE(MatchWildcard("3?1000", "301000"));
    EXPECT_TRUE(MatchWildcard("3?1000", "3A1000"));
    EXPECT_TRUE(MatchWildcard("*", ""));
    EXPECT_TRUE(MatchWildcard("", ""));
    EXPECT_FALSE(MatchWildcard("", "3"));
    EXPECT_TRUE(MatchWildcard("*00*1", "3000011"));  // needs a restart after the first "*"
    EXPECT_FALSE(MatchWildcard("*00*2", "3000011"));
    EXPECT_TRUE(MatchWildcard("a**", "a"));
    EXPECT_FALSE(MatchWildcard("abc", "ABC"));
    // Upper-cased in the code page: a GBK text is left as it is, ASCII compared without case.
    EXPECT_TRUE(MatchCodePattern("fw*", "Fw01"));
    EXPECT_TRUE(MatchCodePattern("房*", "房屋"));
    EXPECT_TRUE(MatchCodePattern(std::string(400, '*'), std::string(400, 'a')));
}

std::vector<std::pair<int, std::string>> Entries(resbuf* rb) {
    std::vector<std::pair<int, std::string>> out;
    for (resbuf* p = rb; p != nullptr; p = p->rbnext) out.emplace_back(p->restype, p->resval.rstring);
    acutRelRb(rb);
    return out;
}

TEST(BuildEntityFilter, ItemsBecomeOrGroupsOfTypesAndLayers) {
    EXPECT_EQ(cadastral::BuildEntityFilter(""), nullptr);
    using E = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(cadastral::BuildEntityFilter(";"), nullptr);
    EXPECT_EQ(cadastral::BuildEntityFilter("a,b,c;,"), nullptr);
    EXPECT_EQ(Entries(cadastral::BuildEntityFilter("text,")), (E{{-4, "<or"}, {0, "text"}, {-4, "or>"}}));
    EXPECT_EQ(Entries(cadastral::BuildEntityFilter(" *polyline , JZD;a,b,c;,KZD;,")),
              (E{{-4, "<or"}, {-4, "<and"}, {0, "*polyline"}, {8, "JZD"}, {-4, "and>"}, {8, "KZD"}, {-4, "or>"}}));
}

}  // namespace
