#include "platform/text/gbk.h"

#include <gtest/gtest.h>

namespace platform::text {
namespace {

// 昇 = 95 4E (trail byte 'N'), 乗 = 81 5C (trail byte '\\'), 房 = B7 BF.
const std::string kSheng = "\x95\x4E";
const std::string kCheng = "\x81\x5C";

TEST(GbkLiterals, CompileToGbkBytes) {
    const std::string title = "房屋闭合检查";
    EXPECT_EQ(title, "\xB7\xBF\xCE\xDD\xB1\xD5\xBA\xCF\xBC\xEC\xB2\xE9");
}

TEST(GbkCharacters, LengthsAndBoundaries) {
    const std::string text = "a" + kSheng + "b";
    EXPECT_EQ(GbkCharLength(text, 0), 1u);
    EXPECT_EQ(GbkCharLength(text, 1), 2u);
    EXPECT_EQ(GbkCharCount(text), 3u);
    EXPECT_TRUE(IsGbkCharBoundary(text, 1));
    EXPECT_FALSE(IsGbkCharBoundary(text, 2));
    EXPECT_TRUE(IsGbkCharBoundary(text, 4));
    EXPECT_FALSE(IsGbkCharBoundary(text, 5));
    // A lead byte at the end or before an invalid trail byte stands alone.
    EXPECT_EQ(GbkCharLength("\x81", 0), 1u);
    EXPECT_EQ(GbkCharLength("\x81\x7F", 0), 1u);
    EXPECT_EQ(GbkCharLength("\x81\x30", 0), 1u);
}

TEST(GbkTruncate, NeverSplitsACharacter) {
    const std::string text = "a房屋";
    EXPECT_EQ(TruncateGbk(text, 0), "");
    EXPECT_EQ(TruncateGbk(text, 1), "a");
    EXPECT_EQ(TruncateGbk(text, 2), "a");
    EXPECT_EQ(TruncateGbk(text, 3), "a房");
    EXPECT_EQ(TruncateGbk(text, 4), "a房");
    EXPECT_EQ(TruncateGbk(text, 5), "a房屋");
    EXPECT_EQ(TruncateGbk(text, 99), "a房屋");
    // 255-byte limit of a drawing string: a double-byte character at 254/255 is dropped whole.
    std::string long_text(254, 'x');
    long_text += "房";
    EXPECT_EQ(TruncateGbk(long_text, 255).size(), 254u);
}

TEST(GbkCase, MapsOnlySingleByteLetters) {
    const std::string text = "ab" + kSheng + "cd";
    EXPECT_EQ(GbkToUpper(text), "AB" + kSheng + "CD");
    EXPECT_EQ(GbkToLower("AB\x95\x4E" "CD"), "ab" + kSheng + "cd");
    // The trail 'N' of 昇 and the 'n' of "\x95n" are different characters.
    EXPECT_TRUE(GbkEqualNoCase("jzd" + kSheng, "JZD" + kSheng));
    EXPECT_FALSE(GbkEqualNoCase(kSheng, "\x95\x6E"));
    EXPECT_LT(GbkCompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(GbkCompareNoCase("abcd", "ABC"), 0);
    EXPECT_EQ(GbkCompareNoCase("Miret", "MIRET"), 0);
}

TEST(GbkSearch, SkipsTrailBytes) {
    const std::string path = "C:\\dir\\" + kCheng;
    EXPECT_EQ(GbkFindLastSeparator(path), 6u);
    EXPECT_EQ(GbkFindLastSeparator(kCheng), std::string::npos);
    EXPECT_EQ(GbkFindLastSeparator("a/b\\c"), 3u);
    EXPECT_EQ(GbkFindLast(path, '\\'), 6u);
    // A trail byte 0x40 '@' is not the character '@'.
    const std::string fields = "\x81\x40@x";
    EXPECT_EQ(GbkFind(fields, '@'), 2u);
    EXPECT_EQ(GbkFind("a,b,c", ',', 2), 3u);
    EXPECT_EQ(GbkFind("abc", ','), std::string::npos);
}

}  // namespace
}  // namespace platform::text
