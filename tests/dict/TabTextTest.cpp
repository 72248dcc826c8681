#include <gtest/gtest.h>

#include "tools/pvdict/TabText.h"

TEST(TabText, EscapesControlBytesAndRoundTrips)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    all += '\0';
    std::string escaped;
    AppendEscaped(all, escaped);
    EXPECT_EQ(escaped.find('\t'), std::string::npos);
    EXPECT_EQ(escaped.find('\n'), std::string::npos);
    EXPECT_EQ(escaped.find('\r'), std::string::npos);
    EXPECT_NE(escaped.find("\\x7F"), std::string::npos);
    EXPECT_NE(escaped.find("\\x00"), std::string::npos);

    std::string back, error;
    ASSERT_TRUE(Unescape(escaped, back, error)) << error;
    EXPECT_EQ(back, all);

    std::string text;
    AppendEscaped("a\\b\tc\r\nd\x01\xE9", text);
    EXPECT_EQ(text, "a\\\\b\\tc\\r\\nd\\x01\xE9");
}

TEST(TabText, RefusesBadEscapes)
{
    std::string out, error;
    EXPECT_FALSE(Unescape("abc\\", out, error));
    EXPECT_FALSE(Unescape("\\q", out, error));
    EXPECT_FALSE(Unescape("\\x4", out, error));
    EXPECT_FALSE(Unescape("\\xZZ", out, error));
    EXPECT_FALSE(Unescape("\\x4a\\X", out, error));
    EXPECT_TRUE(Unescape("\\x4a", out, error));
    EXPECT_EQ(out, "J");
}
