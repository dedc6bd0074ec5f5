// Code page 950 names compared as text: ASCII letters without regard to case, two-byte characters
// byte for byte.
#include <gtest/gtest.h>

#include "common/ansi_text.h"

TEST(AnsiText, LettersFoldButTrailBytesDoNot) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"/Silent", "/SILENT", true},
        {"SystemDefaultEUDCFont", "systemdefaulteudcfont", true},
        {"\xA4\x41", "\xA4\x61", false},                  // 乙 and 兀: trail bytes 'A' and 'a'
        {"\xA4\x41" "abc", "\xA4\x41" "ABC", true},        // the letters after it still fold
        {"\xBC\xD0\xB7\xA2\xC5\xE9", "\xBC\xD0\xB7\xA2\xC5\xE9", true},
        {"abc", "abcd", false},
    };
    for (const auto& c : cases) EXPECT_EQ(eudc::EqualNoCaseAnsi(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_TRUE(eudc::StartsWithNoCaseAnsi("date:1.2", "Date:"));
    EXPECT_FALSE(eudc::StartsWithNoCaseAnsi("\xA4\x61" "x", "\xA4\x41"));
    EXPECT_FALSE(eudc::StartsWithNoCaseAnsi("Da", "Date:"));
}
