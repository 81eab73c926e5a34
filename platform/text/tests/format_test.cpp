#include "platform/text/format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "platform/text/fixed_text.h"

namespace platform::text {
namespace {

TEST(FormatNarrow, ConversionsWidthsAndPrecision) {
    EXPECT_EQ(Format("%d/%i/%u", -3, 7, 8u), "-3/7/8");
    EXPECT_EQ(Format("[%02d][%2d][%-3d]", 5, 5, 5), "[05][ 5][5  ]");
    EXPECT_EQ(Format("%.3f %.0f %e", 1.23456, 2.5, 1000.0), "1.235 2 1.000000e+03");
    EXPECT_EQ(Format("%x %X %#o", 255, 255, 8), "ff FF 010");
    EXPECT_EQ(Format("%*d|%-*d|%.*f", 4, 1, 3, 2, 1, 0.25), "   1|2  |0.2");
    EXPECT_EQ(Format("%c%c", 'a', u'B'), "aB");
    EXPECT_EQ(Format("100%%"), "100%");
    EXPECT_EQ(Format("%ld %lld %I64d", 1L, 2LL, 3LL), "1 2 3");
    EXPECT_EQ(Format("%lf", 0.5), "0.500000");
}

TEST(FormatNarrow, TextArguments) {
    const std::string name = "宗地";
    EXPECT_EQ(Format("共有%d个%s", 3, name), "共有3个宗地");
    EXPECT_EQ(Format("[%6s][%-6s]", "ab", "ab"), "[    ab][ab    ]");
    EXPECT_EQ(Format("%.2s", "a房屋"), "a");          // precision never splits a character
    EXPECT_EQ(Format("%.3s", "a房屋"), "a房");
    EXPECT_EQ(Format("%s", u"房屋"), "房屋");          // wide argument converted to GBK
    EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "(null)");
    // A text that contains conversions is printed, not interpreted.
    EXPECT_EQ(Format("%s", "50%d %s"), "50%d %s");
}

TEST(FormatNarrow, MismatchesAndMissingArgumentsAreSafe) {
    EXPECT_EQ(Format("%d %d", 1), "1 0");
    EXPECT_EQ(Format("%s|%s", 12, 1.5), "12|1.5");
    EXPECT_EQ(Format("%d", 2.9), "2");
    EXPECT_EQ(Format("%f", 2), "2.000000");
    EXPECT_EQ(Format("50%"), "50%");
    EXPECT_EQ(Format("%y%d", 4), "%y4");
    EXPECT_EQ(Format("%5000d", 1).size(), 5000u);
}

// Plain "%d" and "%.Nf" are written without the C library: the digits must be the ones it gives,
// ties, huge and tiny values, negative zero and non-numbers included.
TEST(FormatNarrow, PlainNumbersMatchTheCLibrary) {
    auto c = [](const char* format, auto value) {
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, format, value);
        return std::string(buffer);
    };
    std::vector<double> values = {0.0, -0.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.0625, 1.005, 2.675, 0.045, 1e-7,
                                  123456.7890125, 1e15 + 0.3, 1e22, -1e300, DBL_MAX, DBL_MIN, 4.9e-324,
                                  std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                                  std::nan(""), -std::nan("")};
    for (std::uint64_t bits = 0x3F50624DD2F1A9FCull, i = 0; i < 4000; ++i) {  // spread over many magnitudes
        bits = bits * 6364136223846793005ull + 1442695040888963407ull;
        double value = 0;
        std::uint64_t pattern = (bits >> 12) | (static_cast<std::uint64_t>(0x3C0 + i % 0x0C0) << 52);
        std::memcpy(&value, &pattern, sizeof value);
        values.push_back(i % 2 ? -value : value);
    }
    for (double v : values) {
        for (const char* format : {"%f", "%.f", "%.0f", "%0.0f", "%.1f", "%.2f", "%.3f", "%.4f", "%.6f", "%.9f",
                                   "%9.2f", "%3.3f", "[%12f]"})
            ASSERT_EQ(Format(format, v), c(format, v)) << format << " " << v;
        for (int decimals : {0, 1, 2, 3, 4, 6, 9, 400})
            ASSERT_EQ(FixedText(v, decimals), Format("%.*f", decimals, v)) << decimals << " " << v;
        ASSERT_EQ(FixedText(v, 0), c("%0.0f", v)) << v;
    }
    for (long long n : {0LL, 7LL, -7LL, 2147483647LL, -2147483648LL, std::numeric_limits<long long>::min()}) {
        EXPECT_EQ(Format("%d|%ld|%i|%6d", n, n, n, n), c("%lld|", n) + c("%lld|", n) + c("%lld|", n) + c("%6lld", n));
        EXPECT_EQ(Format("%.3d", n), c("%.3lld", n));
    }
}

TEST(FormatWide, InstallerForms) {
    EXPECT_EQ(Format(u"%s %d", u"安装", 2), u"安装 2");
    EXPECT_EQ(Format(u"%02d:%02d:%02d", 9, 5, 0), u"09:05:00");
    EXPECT_EQ(Format(u"%2d%%", 7), u" 7%");
    EXPECT_EQ(Format(u"%.3f MB", 12.5), u"12.500 MB");
    EXPECT_EQ(Format(u"%s", "房屋"), u"房屋");  // narrow argument taken as GBK
    EXPECT_EQ(Format(u"[%-4s]", u"ab"), u"[ab  ]");
    EXPECT_EQ(Format(u"%.1s", u"\U0001F600"), u"");
    EXPECT_EQ(Format(u"%c", u'中'), u"中");
}

}  // namespace
}  // namespace platform::text
