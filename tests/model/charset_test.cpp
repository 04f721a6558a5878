#include "model/charset.h"

#include <gtest/gtest.h>

#include <set>

TEST(CharsetTest, EveryByteRoundTrips) {
    std::set<char16_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char16_t ch = cp1252ToUnicode(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(ch).second) << "two bytes map to U+" << std::hex << int(ch);
        EXPECT_EQ(unicodeToCp1252(ch), b);
    }
}

TEST(CharsetTest, KnownCharacters) {
    EXPECT_EQ(cp1252ToUnicode(0x80), u'\u20AC');
    EXPECT_EQ(cp1252ToUnicode(0x9F), u'\u0178');
    EXPECT_EQ(cp1252ToUnicode(0xE9), u'\u00E9');
    EXPECT_EQ(cp1252ToUnicode('A'), u'A');
    for (unsigned char undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(cp1252ToUnicode(undefined), char16_t(undefined));
}

TEST(CharsetTest, CharactersOutsideTheSetHaveNoByte) {
    EXPECT_EQ(unicodeToCp1252(u'\u0100'), -1);
    EXPECT_EQ(unicodeToCp1252(u'\u4E2D'), -1);
    EXPECT_EQ(unicodeToCp1252(0x80), -1); // U+0080 is not in the table: 0x80 is the euro sign
    std::string out = "kept";
    EXPECT_FALSE(utf16ToCp1252(u"ab\u4E2D", out));
    EXPECT_EQ(out, "kept");
    EXPECT_TRUE(utf16ToCp1252(u"\u20ACx", out));
    EXPECT_EQ(out, "\x80x");
    EXPECT_EQ(cp1252ToUtf16("\x80x"), u"\u20ACx");
}
