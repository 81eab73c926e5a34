// The framework's string: byte positions, with searches and case changes that respect GBK.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ui/afx_string.h"

namespace {

// "\x81\x5c" is one double-byte character whose second byte is a backslash, and "\x81\x61" one
// whose second byte is a small a.
const char* const kTricky = "a\x81\x5c" "b\\c\x81\x61";

TEST(CStringTest, SearchesAndEditsNeverMisreadTrailBytes) {
    CString s(kTricky);
    EXPECT_EQ(s.GetLength(), 8);
    EXPECT_EQ(s.Find('\\'), 4);
    EXPECT_EQ(s.ReverseFind('\\'), 4);
    EXPECT_EQ(s.Find('a'), 0);
    EXPECT_EQ(s.Find('a', 1), -1);
    EXPECT_EQ(s.Find("\\c"), 4);
    CString replaced = s;
    EXPECT_EQ(replaced.Replace('\\', '/'), 1);
    EXPECT_EQ(replaced, CString("a\x81\x5c" "b/c\x81\x61"));
    CString upper = s;
    upper.MakeUpper();
    EXPECT_EQ(upper, CString("A\x81\x5c" "B\\C\x81\x61"));
    CString trimmed("x\x81\x5c");
    trimmed.TrimRight('\\');
    EXPECT_EQ(trimmed.GetLength(), 3);
    CString removed = s;
    EXPECT_EQ(removed.Remove('a'), 1);
    EXPECT_EQ(removed.GetLength(), 7);
    CString words("房屋 \\ 房屋");
    EXPECT_EQ(words.Replace("房屋", "宗地"), 2);
    EXPECT_EQ(words, CString("宗地 \\ 宗地"));
}

TEST(CStringTest, PiecesBuffersAndFormatting) {
    CString s("  宗地代码\t\r\n");
    s.Trim();
    EXPECT_EQ(s, CString("宗地代码"));
    EXPECT_EQ(s.Left(4), CString("宗地"));
    EXPECT_EQ(s.Right(4), CString("代码"));
    EXPECT_EQ(s.Mid(2, 2), CString("地"));
    EXPECT_EQ(s.Mid(50), CString(""));
    EXPECT_EQ(s.Left(-3), CString(""));
    EXPECT_EQ(CString("abc").CompareNoCase("ABC"), 0);
    EXPECT_LT(CString("abc").Compare("abd"), 0);

    CString buffer;
    char* p = buffer.GetBuffer(10);
    std::strcpy(p, "短");
    buffer.ReleaseBuffer();
    EXPECT_EQ(buffer.GetLength(), 2);
    buffer.Insert(0, "很");
    EXPECT_EQ(buffer, CString("很短"));
    buffer.Delete(0, 2);
    EXPECT_EQ(buffer, CString("短"));

    CString formatted;
    formatted.Format("%s:%d %.2f", CString("面积"), 3, 1.005);
    EXPECT_EQ(formatted, CString("面积:3 1.00"));
    formatted.AppendFormat("[%s]", u"宽");
    EXPECT_EQ(formatted, CString("面积:3 1.00[宽]"));
    EXPECT_EQ(CString(u"宗地"), CString("宗地"));
}

}  // namespace
