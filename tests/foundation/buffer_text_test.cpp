// Buffer text operations: search, replace, compare, lines, formatting and conversions.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "foundation/exact_buffer.h"

namespace {

std::string Content(const HBaseBuffer3& b) {
    if (!b.GetData()) {
        return "<no block>";
    }
    if (b.GetData()[b.GetLength()] != 0) {
        return "<unterminated>";
    }
    return std::string(b.GetData(), static_cast<std::size_t>(b.GetLength()));
}

using namespace std::string_literals;

TEST(BufferText, FindAndFindCharHonourStartAndBounds) {
    HExactBuffer b("abcbc");
    EXPECT_EQ(b.Find("bc"), 1);
    EXPECT_EQ(b.Find("bc", 2), 3);
    EXPECT_EQ(b.Find("bc", 5), -1);
    EXPECT_EQ(b.Find("bc", -1), -1);
    EXPECT_EQ(b.Find("zz"), -1);
    EXPECT_EQ(b.Find(""), -1);
    EXPECT_EQ(b.Find(nullptr), -1);
    EXPECT_EQ(b.FindChar('c', 3), 4);
    EXPECT_EQ(b.FindChar('a', 1), -1);
    EXPECT_EQ(b.FindChar('\0'), -1);
    EXPECT_EQ(b.ReverseFindChar('b'), 3);
    EXPECT_EQ(b.ReverseFindChar('z'), -1);
    HExactBuffer none;
    EXPECT_EQ(none.FindChar('a'), -1);
    EXPECT_EQ(none.Find("a"), -1);
}

TEST(BufferText, FindSearchesPastZeroBytes) {
    HExactBuffer b;
    b.Append("a\0bc", 4);
    EXPECT_EQ(b.Find("bc"), 2);
    EXPECT_EQ(b.FindChar('c'), 3);
}

TEST(BufferText, FindNoCaseLeavesDoubleByteCharactersAlone) {
    HExactBuffer b("xxHeLLo");
    EXPECT_EQ(b.FindNoCase("hello"), 2);
    EXPECT_EQ(Content(b), "xxHeLLo");
    EXPECT_EQ(b.FindNoCase(nullptr), -1);
    // 0xA4 0x61 is one character; its trail byte must not match an upper-case letter.
    HExactBuffer big5("\xA4\x61");
    EXPECT_EQ(big5.FindNoCase("A"), -1);
}

TEST(BufferText, ReplaceFromAndReplaceFirst) {
    HExactBuffer b("abcabc");
    EXPECT_EQ(b.ReplaceFrom(1, "abc", "X"), 3);
    EXPECT_EQ(Content(b), "abcX");
    EXPECT_EQ(b.ReplaceFrom(0, "zz", "X"), -1);
    EXPECT_EQ(b.ReplaceFrom(0, "abc", nullptr), -1);
    HExactBuffer first("one two two");
    EXPECT_TRUE(first.ReplaceFirst("two", "2"));
    EXPECT_EQ(Content(first), "one 2 two");
    EXPECT_FALSE(first.ReplaceFirst("three", "3"));
}

TEST(BufferText, ReplaceFirstNoCaseResults) {
    HExactBuffer b("Hello World");
    EXPECT_EQ(b.ReplaceFirstNoCase("WORLD", "There"), 1);
    EXPECT_EQ(Content(b), "Hello There");
    EXPECT_EQ(b.ReplaceFirstNoCase("moon", "x"), 0);
    EXPECT_EQ(b.ReplaceFirstNoCase(nullptr, "x"), -1);
    HExactBuffer none;
    EXPECT_EQ(none.ReplaceFirstNoCase("a", "b"), -1);
}

TEST(BufferText, ReplaceAllEndsWhenNewContainsOld) {
    HExactBuffer b("a.b.c");
    EXPECT_TRUE(b.ReplaceAll(".", ".."));
    EXPECT_EQ(Content(b), "a..b..c");
    HExactBuffer gone("a-b-c");
    EXPECT_TRUE(gone.ReplaceAll("-", ""));
    EXPECT_EQ(Content(gone), "abc");
    EXPECT_FALSE(gone.ReplaceAll("", "x"));
    EXPECT_FALSE(gone.ReplaceAll(nullptr, "x"));
    EXPECT_EQ(Content(gone), "abc");
}

TEST(BufferText, ReplaceAllReachesTheLastByte) {
    HExactBuffer pair("aa");
    EXPECT_TRUE(pair.ReplaceAll("a", "b"));
    EXPECT_EQ(Content(pair), "bb");
    HExactBuffer one("a");
    EXPECT_TRUE(one.ReplaceAll("a", "xy"));
    EXPECT_EQ(Content(one), "xy");
}

TEST(BufferText, ReplaceWithTextTakenFromTheBuffer) {
    // The text must be the one before the first replacement changed (and moved) the block.
    HExactBuffer b("a-b-c");
    EXPECT_TRUE(b.ReplaceAll("-", b.GetData()));
    EXPECT_EQ(Content(b), "aa-b-cba-b-cc");
    HExactBuffer first("x-y");
    EXPECT_EQ(first.ReplaceFrom(0, "-", first.GetData()), 1);
    EXPECT_EQ(Content(first), "xx-yy");
}

TEST(BufferText, DeleteAndRemove) {
    HExactBuffer b("a--bcd");
    EXPECT_EQ(b.Remove("--"), 1);
    EXPECT_EQ(b.Remove("zz"), -1);
    EXPECT_EQ(b.Delete(2, 100), 2);
    EXPECT_EQ(Content(b), "ab");
    EXPECT_EQ(b.Delete(2, 1), -1);
    EXPECT_EQ(b.Delete(-1, 1), -1);
    EXPECT_EQ(b.Delete(0, 0), -1);
    EXPECT_EQ(Content(b), "ab");
}

TEST(BufferText, CompareAndCompareNoCase) {
    HExactBuffer b("abc");
    EXPECT_EQ(b.Compare("abc"), 0);
    EXPECT_LT(b.Compare("abd"), 0);
    EXPECT_GT(b.Compare("ab"), 0);
    EXPECT_NE(b.Compare("ABC"), 0);
    EXPECT_EQ(b.CompareNoCase("ABC"), 0);
    EXPECT_LT(b.CompareNoCase("ABD"), 0);
    HExactBuffer none;
    EXPECT_EQ(none.CompareNoCase(""), 0);
    EXPECT_LT(HExactBuffer().Compare("a"), 0);
}

TEST(BufferText, EndsWithAndStartsWith) {
    HExactBuffer b("xabc");
    EXPECT_EQ(b.EndsWithNoCase("ABC"), 0);
    EXPECT_NE(b.EndsWith("ABC"), 0);
    EXPECT_EQ(b.EndsWith("abc"), 0);
    EXPECT_EQ(b.EndsWith("bc", true), 0);
    EXPECT_NE(b.EndsWith("zxabc"), 0);  // longer than the content
    EXPECT_EQ(b.StartsWith("xa"), 0);
    EXPECT_NE(b.StartsWith("xb"), 0);
    EXPECT_NE(b.StartsWith("xabcd"), 0);
}

TEST(BufferText, MakeUpperKeepsCodePage950Characters) {
    HExactBuffer b("ab\xA4\x61z");
    b.MakeUpper();
    EXPECT_EQ(Content(b), "AB\xA4\x61Z");
}

TEST(BufferText, TrimOnlySpaces) {
    HExactBuffer b("  a b\t  ");
    b.TrimLeft();
    EXPECT_EQ(Content(b), "a b\t  ");
    b.TrimRight();
    EXPECT_EQ(Content(b), "a b\t");
    HExactBuffer blanks("   ");
    blanks.TrimRight();
    EXPECT_EQ(Content(blanks), "");
}

TEST(BufferText, FromIntAndHexValue) {
    HExactBuffer b("previous content");
    b.FromInt(INT32_MIN);
    EXPECT_EQ(Content(b), "-2147483648");
    HExactBuffer fresh;
    fresh.FromInt(0);
    EXPECT_EQ(Content(fresh), "0");
    EXPECT_EQ(fresh.GetCapacity(), 35);

    EXPECT_EQ(HExactBuffer("1A2B").HexValue(), 0x1A2Bu);
    EXPECT_EQ(HExactBuffer("0x10").HexValue(), 0x10u);
    EXPECT_EQ(HExactBuffer("ffffffff9").HexValue(), 0xFFFFFFFFu);
    EXPECT_EQ(HExactBuffer().HexValue(), 0u);
    EXPECT_EQ(HExactBuffer("").HexValue(), 0u);
}

void FormatThrough(HBaseBuffer& b, const char* format, ...) {
    va_list args;
    va_start(args, format);
    b.FormatV(format, args);
    va_end(args);
}

TEST(BufferText, FormatReplacesContentAndSizesForTheText) {
    HExactBuffer b;
    b.Format("%s-%d", "ab", 42);
    EXPECT_EQ(Content(b), "ab-42");
    EXPECT_EQ(b.GetCapacity(), 8);
    b.Format("%d", 7);
    EXPECT_EQ(Content(b), "7");
    FormatThrough(b, "%03d|%s", 5, "x");
    EXPECT_EQ(Content(b), "005|x");
}

TEST(BufferText, FormatWithArgumentsFromTheBuffer) {
    HExactBuffer b("xyz");
    b.Format("%s%s", b.GetData(), b.GetData());
    EXPECT_EQ(Content(b), "xyzxyz");
}

TEST(BufferText, ReadLineIntoBuffer) {
    HExactBuffer b("one\r\ntwo\n\nrest");
    HExactBuffer line("stale");
    EXPECT_TRUE(b.ReadLine(line));
    EXPECT_EQ(Content(line), "one");
    EXPECT_TRUE(b.ReadLine(line));
    EXPECT_EQ(Content(line), "two");
    EXPECT_TRUE(b.ReadLine(line));  // an empty line stays empty
    EXPECT_EQ(Content(line), "");
    EXPECT_FALSE(b.ReadLine(line));
    EXPECT_EQ(line.GetLength(), 0);
    EXPECT_EQ(Content(b), "rest");
    b.Append("\n");
    EXPECT_FALSE(b.ReadLine(b));
    EXPECT_EQ(Content(b), "rest\n");
}

TEST(BufferText, ReadLineIntoArray) {
    char out[16];
    HExactBuffer b("ab\r\ncd");
    EXPECT_EQ(b.ReadLine(out, sizeof out), 2);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(Content(b), "cd");
    EXPECT_EQ(b.ReadLine(out, 0), -1);

    HExactBuffer longer("abcd");
    EXPECT_EQ(longer.ReadLine(out, 3), -2);
    EXPECT_EQ(Content(longer), "abcd");
    EXPECT_EQ(HExactBuffer().ReadLine(out, 0), -1);

    // CR LF is looked for first, so a lone LF before it stays inside the line.
    HExactBuffer mixed("a\nb\r\nc\n");
    EXPECT_EQ(mixed.ReadLine(out, 0), 3);
    EXPECT_STREQ(out, "a\nb");
    EXPECT_EQ(mixed.ReadLine(out, 0), 1);
    EXPECT_STREQ(out, "c");
}

TEST(BufferText, ReadLineNeverWritesPastTheGivenSize) {
    char* out = new char[4];
    HExactBuffer b("abcd\n");
    EXPECT_EQ(b.ReadLine(out, 4), -2);
    HExactBuffer fits("ab\r\n");
    EXPECT_EQ(fits.ReadLine(out, 4), -1);  // the CR LF reaches past the 3 bytes scanned
    HExactBuffer lf("ab\nx");
    EXPECT_EQ(lf.ReadLine(out, 4), 2);
    EXPECT_STREQ(out, "ab");
    delete[] out;
}

TEST(BufferText, EqualsNeedsNonEmptyIdenticalBytes) {
    HExactBuffer none;
    EXPECT_FALSE(none.Equals(""));
    EXPECT_TRUE(none.NotEquals(""));
    HExactBuffer b("abc");
    EXPECT_FALSE(b.Equals(""));
    EXPECT_TRUE(b.Equals("abc"));
    EXPECT_FALSE(b.Equals("abcd"));
    EXPECT_FALSE(b.Equals("abd"));
    EXPECT_FALSE(b.Equals(nullptr));
}

TEST(BufferText, RightConcatAndAssign) {
    HExactBuffer b("hello");
    EXPECT_EQ(Content(HExactBuffer::Right(b, 3)), "llo");
    EXPECT_EQ(Content(HExactBuffer::Right(b, 10)), "hello");
    EXPECT_EQ(HExactBuffer::Right(b, 0).GetLength(), 0);
    EXPECT_EQ(HExactBuffer::Right(HExactBuffer(), 2).GetLength(), 0);
    EXPECT_EQ(Content(HExactBuffer::Concat(b, " you")), "hello you");
    EXPECT_EQ(Content(b), "hello");

    HExactBuffer a("zzz");
    a.Assign(b);
    EXPECT_EQ(Content(a), "hello");
    a.Assign(a);
    EXPECT_EQ(Content(a), "hello");
    a.Assign(a.GetData());
    EXPECT_EQ(Content(a), "hello");
    a.Assign(a.GetData() + 2);
    EXPECT_EQ(Content(a), "llo");
    a.Assign("new");
    EXPECT_EQ(Content(a), "new");
}

}  // namespace
