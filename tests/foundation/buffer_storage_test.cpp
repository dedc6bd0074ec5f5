// Buffer storage: exact sizing, shrink slack, block hand-over, byte-level writes, bounds,
// size overflow and writes whose source lies in the buffer's own block.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/exact_buffer.h"

namespace {

// The content, checked to be followed by the terminator that every block keeps.
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

TEST(BufferStorage, NewBufferGivesEmptyTerminatedString) {
    HExactBuffer b;
    EXPECT_EQ(b.GetData(), nullptr);
    EXPECT_EQ(b.GetEnd(), nullptr);
    const char* p = b.GetBuffer(0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[0], 0);
    EXPECT_EQ(b.GetCapacity(), 2);
    EXPECT_EQ(b.GetLength(), 0);
}

TEST(BufferStorage, AppendSizesExactlyAndGrowsOnEveryAppend) {
    HExactBuffer b;
    EXPECT_EQ(b.Append("abc", 3), 0);
    EXPECT_EQ(b.GetCapacity(), 4);
    EXPECT_EQ(Content(b), "abc");
    EXPECT_EQ(b.Append("de"), 3);
    EXPECT_EQ(b.GetCapacity(), 6);
    EXPECT_EQ(b.AppendChar('f'), 5);
    EXPECT_EQ(b.GetCapacity(), 7);
    EXPECT_EQ(b.GetFreeSpace(), 1);
    EXPECT_EQ(b.GetEnd(), b.GetData() + 6);
}

TEST(BufferStorage, ResetGivesMemoryBackOnlyBeyondSlack) {
    HExactBuffer big;
    big.SetLength(300);
    big.Reset();
    EXPECT_EQ(big.GetCapacity(), 2);
    EXPECT_EQ(Content(big), "");

    HExactBuffer small;
    small.SetLength(100);
    small.Reset();
    EXPECT_EQ(small.GetCapacity(), 101);
    EXPECT_EQ(Content(small), "");
}

TEST(BufferStorage, ReserveShrinksToExactSizeBeyondSlackAndKeepsTenBytesOfTolerance) {
    HExactBuffer b;
    b.SetLength(300);
    b.SetLength(3);  // the shrink is refused while the old length is still set
    EXPECT_EQ(b.GetCapacity(), 301);
    b.Reserve(3);
    EXPECT_EQ(b.GetCapacity(), 4);
    EXPECT_EQ(b.GetLength(), 3);

    HExactBuffer slack;
    slack.SetSlack(0, 0);
    slack.SetLength(13);
    slack.SetLength(3);
    slack.Reserve(3);
    EXPECT_EQ(slack.GetCapacity(), 14);  // 10 bytes above the need: kept
    slack.SetLength(14);
    slack.SetLength(3);
    slack.Reserve(3);
    EXPECT_EQ(slack.GetCapacity(), 4);
}

TEST(BufferStorage, SecondSettingIsStoredAndDoesNotChangeThePolicy) {
    HExactBuffer plain;
    EXPECT_EQ(plain.GetSlack(), 128);
    EXPECT_EQ(plain.GetSecondSetting(), 0);
    HExactBuffer marked;
    plain.SetSlack(20, 0);
    marked.SetSlack(20, 5000);
    EXPECT_EQ(marked.GetSecondSetting(), 5000);
    for (HExactBuffer* b : {&plain, &marked}) {
        b->Append("abc");
        b->SetLength(60);
        b->SetLength(2);
        b->Reserve(2);
    }
    EXPECT_EQ(marked.GetCapacity(), plain.GetCapacity());
    EXPECT_EQ(marked.GetCapacity(), 3);
}

TEST(BufferStorage, ReallocateRefusesToCutContent) {
    HExactBuffer b;
    b.SetLength(100);
    b.SetLength(5);
    EXPECT_FALSE(b.Reallocate(3));
    // One byte short: the content would fit but not its terminator.
    EXPECT_FALSE(b.Reallocate(4));
    EXPECT_EQ(b.GetCapacity(), 101);
    EXPECT_TRUE(b.Reallocate(5));
    EXPECT_EQ(b.GetCapacity(), 6);
    EXPECT_EQ(Content(b), std::string(5, '\0'));
}

TEST(BufferStorage, TerminateReservesOneByteBeyondTheContent) {
    HExactBuffer b("abc");
    b.Terminate();
    EXPECT_EQ(b.GetCapacity(), 5);
    EXPECT_EQ(Content(b), "abc");
    HExactBuffer none;
    none.Terminate();
    EXPECT_EQ(Content(none), "");
}

TEST(BufferStorage, SetLengthIgnoresNegativeAndZeroFillsGrowth) {
    HExactBuffer b("ab");
    b.SetLength(-1);
    EXPECT_EQ(Content(b), "ab");
    b.SetLength(5);
    EXPECT_EQ(Content(b), "ab\0\0\0"s);

    // Bytes left in a kept block from earlier content must not come back.
    HExactBuffer stale("abcdef");
    stale.SetLength(2);
    stale.SetLength(5);
    EXPECT_EQ(Content(stale), "ab\0\0\0"s);
    ASSERT_NE(stale.GetBufferSetLength(8), nullptr);
    EXPECT_EQ(stale.GetLength(), 8);
    EXPECT_EQ(stale.GetBufferSetLength(-1), nullptr);
}

TEST(BufferStorage, SizesBeyondInt32AreRefusedWithoutTouchingContent) {
    HExactBuffer b("x");
    const char src[4] = "abc";
    EXPECT_EQ(b.Append(src, INT32_MAX), -1);
    EXPECT_EQ(b.PutAt(INT32_MAX, src, 1), -1);
    EXPECT_EQ(b.WriteAt(INT32_MAX - 1, src, 2), -1);
    EXPECT_EQ(b.Insert(0, src, INT32_MAX), 0);
    EXPECT_FALSE(b.Reallocate(INT32_MAX));
    b.SetLength(INT32_MAX);
    b.Reserve(INT32_MAX);
    EXPECT_EQ(b.GetBuffer(INT32_MAX), nullptr);
    EXPECT_EQ(b.GetBufferSetLength(INT32_MAX), nullptr);
    EXPECT_EQ(Content(b), "x");
    EXPECT_EQ(b.GetCapacity(), 2);
}

TEST(BufferStorage, AttachAddsRoomForTheTerminatorAndTakesOwnership) {
    HExactBuffer b("old");
    char* block = static_cast<char*>(std::malloc(3));
    std::memcpy(block, "abc", 3);
    b.Attach(block, 3, 0);  // the block has no room for a terminator
    EXPECT_EQ(Content(b), "abc");
    EXPECT_EQ(b.GetAt(3), 0);
    EXPECT_EQ(b.GetCapacity(), 4);

    char* roomy = static_cast<char*>(std::malloc(10));
    std::memcpy(roomy, "xyzzzzzzzz", 10);
    b.Attach(roomy, 3, 10);
    EXPECT_EQ(Content(b), "xyz");
    EXPECT_EQ(b.GetCapacity(), 10);

    // Attaching its own block must not free it.
    b.Attach(b.GetBuffer(0), 2, b.GetCapacity());
    EXPECT_EQ(Content(b), "xy");
    b.Attach(nullptr, 0, 0);
    EXPECT_EQ(b.GetData(), nullptr);
}

TEST(BufferStorage, DetachHandsOverTheBlock) {
    HExactBuffer b("abc");
    char* held = b.GetBuffer(0);
    b.Detach();
    EXPECT_EQ(b.GetData(), nullptr);
    EXPECT_EQ(b.GetLength(), 0);
    EXPECT_EQ(b.GetCapacity(), 0);
    EXPECT_STREQ(held, "abc");
    std::free(held);

    b.Append("def");
    char* given = nullptr;
    b.Detach(&given);
    ASSERT_NE(given, nullptr);
    EXPECT_STREQ(given, "def");
    EXPECT_EQ(b.GetData(), nullptr);
    std::free(given);
}

TEST(BufferStorage, CopiesOwnTheirBlocks) {
    HExactBuffer a("hello");
    a.SetLength(200);
    a.SetLength(5);
    HExactBuffer copy(a);
    EXPECT_EQ(copy.GetCapacity(), 6);
    copy.SetAt(0, 'J');
    EXPECT_EQ(Content(a), "hello");
    HExactBuffer assigned;
    assigned = copy;
    const HExactBuffer& self = assigned;
    assigned = self;  // assignment to itself keeps the content
    EXPECT_EQ(Content(assigned), "Jello");
    HExactBuffer moved(std::move(copy));
    EXPECT_EQ(Content(moved), "Jello");
    EXPECT_EQ(copy.GetData(), nullptr);
}

TEST(BufferBytes, AppendsIntegersLittleEndian) {
    HExactBuffer b("x");
    EXPECT_EQ(b.AppendDword(0x11223344u), 1);
    EXPECT_EQ(b.AppendWord(std::uint16_t{0xA1B2}), 5);
    b.AppendWord(std::int16_t{-2});
    EXPECT_EQ(Content(b), "x\x44\x33\x22\x11\xB2\xA1\xFE\xFF"s);
}

TEST(BufferBytes, AppendNullAndStrlenCount) {
    HExactBuffer b("ab");
    EXPECT_EQ(b.Append(nullptr, 3), -1);
    EXPECT_EQ(b.Append(static_cast<const char*>(nullptr)), 2);
    EXPECT_EQ(b.Append("cd", 0), 2);
    EXPECT_EQ(Content(b), "abcd");
}

TEST(BufferBytes, AppendOfOwnBytesSurvivesReallocation) {
    HExactBuffer b("abc");
    EXPECT_EQ(b.Append(b.GetData(), 3), 3);
    EXPECT_EQ(Content(b), "abcabc");
    EXPECT_EQ(b.AppendBuffer(b), 6);
    EXPECT_EQ(Content(b), "abcabcabcabc");
}

TEST(BufferBytes, WriteAtExtendsWithZerosAndRejectsNegatives) {
    HExactBuffer b("ab");
    EXPECT_EQ(b.WriteAt(4, "xy", 2), 4);
    EXPECT_EQ(Content(b), "ab\0\0xy"s);
    EXPECT_EQ(b.WriteAt(0, "Z", 1), 0);
    EXPECT_EQ(b.WriteAt(-1, "Z", 1), -1);
    EXPECT_EQ(b.WriteAt(0, "Z", -1), -1);
    EXPECT_EQ(b.WriteAt(0, nullptr, 1), -1);
    EXPECT_EQ(Content(b), "Zb\0\0xy"s);

    HExactBuffer self("abcd");
    EXPECT_EQ(self.WriteAt(3, self.GetData(), 4), 3);
    EXPECT_EQ(Content(self), "abcabcd");
}

TEST(BufferBytes, PutAtZeroFillsAndCutsTheRest) {
    HExactBuffer b("abcdef");
    EXPECT_EQ(b.PutAt(2, "XY", 2), 2);
    EXPECT_EQ(Content(b), "abXY");
    EXPECT_EQ(b.PutAt(6, nullptr, 2), 6);
    EXPECT_EQ(Content(b), "abXY\0\0\0\0"s);
    EXPECT_EQ(b.PutAt(0, nullptr, 1), 0);
    EXPECT_EQ(Content(b), "a");
    EXPECT_EQ(b.PutAt(-1, "x", 1), -1);
    EXPECT_EQ(b.PutAt(0, "x", 0), -1);
    EXPECT_EQ(Content(b), "a");

    HExactBuffer self("abc");
    EXPECT_EQ(self.PutAt(3, self.GetData(), 3), 3);
    EXPECT_EQ(Content(self), "abcabc");
}

TEST(BufferBytes, InsertPositionsAndRefusals) {
    HExactBuffer b("ace");
    EXPECT_EQ(b.InsertChar(1, 'b'), 1);
    EXPECT_EQ(b.Insert(3, "d"), 3);
    EXPECT_EQ(b.Insert(5, "f"), 5);  // at the length: appends
    EXPECT_EQ(Content(b), "abcdef");
    EXPECT_EQ(b.Insert(7, "x"), 0);
    EXPECT_EQ(b.Insert(-1, "x"), 0);
    EXPECT_EQ(b.Insert(2, "x", 0), 0);
    EXPECT_EQ(b.Insert(6, "xyz", 0), 0);
    EXPECT_EQ(b.Insert(2, static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(Content(b), "abcdef");
}

TEST(BufferBytes, InsertOfOwnBytesSurvivesTheMoveAndReallocation) {
    HExactBuffer b("abcdef");
    // The source lies in the tail that moves up and in the block that is replaced.
    EXPECT_EQ(b.Insert(2, b.GetData() + 3, 3), 2);
    EXPECT_EQ(Content(b), "abdefcdef");
}

TEST(BufferBytes, TakeFrontAndDeleteFrontClampToLength) {
    HExactBuffer b("abcdef");
    char out[8] = {};
    EXPECT_EQ(b.TakeFront(out, 4), 4);
    EXPECT_EQ(std::string(out, 4), "abcd");
    EXPECT_EQ(Content(b), "ef");
    EXPECT_EQ(b.TakeFront(out, -3), 0);
    EXPECT_EQ(b.TakeFront(nullptr, 1), 0);
    EXPECT_EQ(b.TakeFront(out, 10), 2);
    EXPECT_EQ(Content(b), "");

    HExactBuffer d("abc");
    EXPECT_EQ(d.DeleteFront(-1), 0);
    EXPECT_EQ(d.DeleteFront(1), 1);
    EXPECT_EQ(d.DeleteFront(99), 2);
    EXPECT_EQ(Content(d), "");
}

TEST(BufferBytes, GetAtAndSetAtStayInsideTheContent) {
    HExactBuffer b("ab");
    EXPECT_EQ(b.GetAt(1), 'b');
    EXPECT_EQ(b.GetAt(2), 0);
    EXPECT_EQ(b.GetAt(3), 0xFF);
    EXPECT_EQ(b.GetAt(-1), 0xFF);
    EXPECT_TRUE(b.SetAt(0, 'x'));
    EXPECT_FALSE(b.SetAt(2, 'y'));  // would overwrite the terminator
    EXPECT_TRUE(b.SetAt(2, 0));
    EXPECT_FALSE(b.SetAt(3, 'y'));
    EXPECT_EQ(Content(b), "xb");

    HExactBuffer none;
    EXPECT_EQ(none.GetAt(0), 0);
    EXPECT_EQ(none.GetAt(1), 0xFF);
    EXPECT_FALSE(none.SetAt(0, 'x'));
}

TEST(BufferBytes, EmptyKeepsTheBlockAndToleratesNone) {
    HExactBuffer none;
    none.Empty();
    EXPECT_EQ(none.GetData(), nullptr);
    HExactBuffer b("abc");
    b.Empty();
    EXPECT_EQ(Content(b), "");
    EXPECT_EQ(b.GetCapacity(), 4);
    none.EnsureBuffer();
    EXPECT_EQ(Content(none), "");
    EXPECT_EQ(none.GetCapacity(), 2);
}

}  // namespace
