#include "platform/text/encoding.h"

#include <gtest/gtest.h>

#include <random>

namespace platform::text {
namespace {

TEST(Encoding, KnownTexts) {
    const std::string gbk = "房屋闭合检查";
    const std::string utf8 = "\xE6\x88\xBF\xE5\xB1\x8B\xE9\x97\xAD\xE5\x90\x88\xE6\xA3\x80\xE6\x9F\xA5";
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
    EXPECT_EQ(Utf8ToGbk(utf8), gbk);
    EXPECT_EQ(GbkToUtf16(gbk), u"房屋闭合检查");
    EXPECT_EQ(Utf16ToGbk(u"房屋闭合检查"), gbk);
    EXPECT_EQ(Utf16ToUtf8(u"房屋闭合检查"), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8), u"房屋闭合检查");
    EXPECT_EQ(GbkToUtf8(""), "");
    EXPECT_EQ(GbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Encoding, MalformedAndUnmappableGiveReplacements) {
    EXPECT_EQ(GbkToUtf8("a\x81"), "a\xEF\xBF\xBD");           // cut double-byte character
    EXPECT_EQ(GbkToUtf8("\xFF" "b"), "\xEF\xBF\xBD" "b");       // never a GBK byte
    EXPECT_EQ(Utf8ToGbk("x\xC3"), "x?");                        // cut UTF-8 sequence
    EXPECT_EQ(Utf8ToGbk("\xA9"), "?");                         // and the next text starts afresh
    EXPECT_EQ(Utf8ToGbk("\xF0\x9F\x98\x80!"), "?!");            // emoji: not in GBK
    EXPECT_EQ(Utf16ToGbk(u"\U0001F600!"), "?!");                // one replacement for a pair
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");  // lone surrogate
    EXPECT_EQ(GbkToUtf16("\x81"), std::u16string(1, char16_t(0xFFFD)));
    EXPECT_EQ(GbkToUtf8("\xA1\x40" "b"), "\xEF\xBF\xBD" "b");  // unassigned code: one replacement
    EXPECT_TRUE(IsRepresentableInGbk(u"宗地 JZD"));
    EXPECT_FALSE(IsRepresentableInGbk(u"\U0001F600"));
    EXPECT_EQ(GbkDefinedCharLength("a\x80", 1), 1u);  // the euro sign
    EXPECT_EQ(GbkDefinedCharLength("a\xFF", 1), 0u);
    EXPECT_EQ(GbkDefinedCharLength("a\xB0", 1), 0u);  // a lead byte at the end
    EXPECT_EQ(GbkDefinedCharLength("\xB0 ", 0), 0u);  // a lead byte before a byte that is no trail
}

TEST(Encoding, EveryDoubleByteGbkCharacterRoundTrips) {
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) continue;
            const std::string gbk{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string utf8 = GbkToUtf8(gbk);
            const bool assigned = utf8.find("\xEF\xBF\xBD") == std::string::npos;
            // The table lookup agrees with the conversion on every pair but the user-defined ones.
            const bool userDefined = (lead >= 0xAA && lead <= 0xAF && trail >= 0xA1) || (lead >= 0xF8 && trail >= 0xA1) ||
                                     (lead >= 0xA1 && lead <= 0xA7 && trail < 0xA1);
            ASSERT_EQ(GbkDefinedCharLength(gbk, 0), assigned || userDefined ? 2u : 0u)
                << std::hex << lead << ' ' << trail;
            if (!assigned) continue;
            ++mapped;
            ASSERT_EQ(Utf8ToGbk(utf8), gbk) << std::hex << lead << ' ' << trail;
            ASSERT_EQ(Utf16ToGbk(GbkToUtf16(gbk)), gbk) << std::hex << lead << ' ' << trail;
        }
    }
    EXPECT_GT(mapped, 21000);  // GBK assigns 21 886 double-byte codes
}

TEST(Encoding, RandomUtf16RoundTripsThroughUtf8) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> bmp(1, 0xFFFF);
    std::uniform_int_distribution<int> astral(0x10000, 0x10FFFF);
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        for (int i = 0; i < 16; ++i) {
            if (i % 5 == 4) {
                int cp = astral(random) - 0x10000;
                text += static_cast<char16_t>(0xD800 + (cp >> 10));
                text += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                int unit = bmp(random);
                if (unit >= 0xD800 && unit < 0xE000) unit = 0x4E2D;  // surrogates only in pairs
                text += static_cast<char16_t>(unit);
            }
        }
        ASSERT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    }
}

}  // namespace
}  // namespace platform::text
