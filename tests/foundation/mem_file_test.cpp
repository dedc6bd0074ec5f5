// HMemFile: memory content, block reservation and write-back to its disk file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempPrefix;
using testsupport::WindowsPath;
using testsupport::WriteFileBytes;

namespace {

std::string Content(HMemFile& f) {
    return f.GetData() ? std::string(reinterpret_cast<const char*>(f.GetData()), f.GetLength()) : std::string();
}

int g_released = 0;
void CountingRelease(void* block) {
    ++g_released;
    std::free(block);
}

}  // namespace

TEST(MemFileTest, WritePastTheEndFillsTheGapWithZeros) {
    HMemFile f;
    ASSERT_EQ(f.Write("ab", 2), 2u);
    EXPECT_EQ(f.Seek(5, HBaseFile::kBegin), 5u);
    ASSERT_EQ(f.Write("cd", 2), 2u);
    EXPECT_EQ(f.GetLength(), 7u);
    EXPECT_EQ(f.GetPosition(), 7u);
    EXPECT_EQ(Content(f), std::string("ab\0\0\0cd", 7));
    // Overwriting inside keeps the length.
    f.SeekToBegin();
    ASSERT_EQ(f.Write("X", 1), 1u);
    EXPECT_EQ(Content(f), std::string("Xb\0\0\0cd", 7));
    // A gap over bytes that a cut left behind in the block is zeros too.
    ASSERT_TRUE(f.SetLength(1));
    EXPECT_EQ(f.Seek(3, HBaseFile::kBegin), 3u);
    ASSERT_EQ(f.Write("Z", 1), 1u);
    EXPECT_EQ(Content(f), std::string("X\0\0Z", 4));
}

TEST(MemFileTest, ReadAtOrBeyondTheEndGivesNothing) {
    HMemFile f;
    ASSERT_TRUE(f.Attach("hello", 5, nullptr));
    char buf[8] = {};
    EXPECT_EQ(f.Seek(3, HBaseFile::kBegin), 3u);
    EXPECT_EQ(f.Read(buf, 8), 2u);
    EXPECT_EQ(std::string(buf, 2), "lo");
    EXPECT_EQ(f.Read(buf, 8), 0u);
    EXPECT_EQ(f.Seek(20, HBaseFile::kBegin), 20u);
    EXPECT_EQ(f.Read(buf, 8), 0u);
    EXPECT_EQ(f.GetPosition(), 20u);
    f.SeekToBegin();
    EXPECT_EQ(f.Read(nullptr, 3), 0u);
    EXPECT_EQ(f.GetPosition(), 0u);
}

TEST(MemFileTest, SeekStaysWithinThirtyTwoBits) {
    HMemFile f;
    ASSERT_TRUE(f.Attach("0123456789", 10, nullptr));
    EXPECT_EQ(f.Seek(-10, HBaseFile::kBegin), 0u);
    EXPECT_EQ(f.Seek(4, HBaseFile::kBegin), 4u);
    EXPECT_EQ(f.Seek(-6, HBaseFile::kCurrent), 0u);
    EXPECT_EQ(f.Seek(-3, HBaseFile::kEnd), 7u);
    EXPECT_EQ(f.Seek(-30, 2), 0u);
    EXPECT_EQ(f.Seek(INT32_MAX, HBaseFile::kBegin), 0x7FFFFFFFu);
    EXPECT_EQ(f.Seek(INT32_MAX, HBaseFile::kCurrent), 0xFFFFFFFEu);
    // Past 4 GB: refused, the position stays.
    EXPECT_EQ(f.Seek(2, HBaseFile::kCurrent), 0xFFFFFFFFu);
    EXPECT_EQ(f.GetPosition(), 0xFFFFFFFEu);
    // A write there would wrap the end: nothing happens.
    EXPECT_EQ(f.Write("xyz", 3), 0u);
    EXPECT_EQ(f.GetLength(), 10u);
}

TEST(MemFileTest, SetLengthBelowThePositionMovesThePosition) {
    HMemFile f;
    ASSERT_TRUE(f.Attach("0123456789", 10, nullptr));
    f.Seek(8, HBaseFile::kBegin);
    EXPECT_TRUE(f.SetLength(5));
    EXPECT_EQ(f.GetPosition(), 5u);
    EXPECT_EQ(Content(f), "01234");
    f.Seek(2, HBaseFile::kBegin);
    EXPECT_TRUE(f.SetLength(8));
    EXPECT_EQ(f.GetPosition(), 2u);
    EXPECT_EQ(Content(f), std::string("01234\0\0\0", 8));
}

TEST(MemFileTest, BlocksAreReservedInWholeStepsAboveTheSize) {
    HMemFile zero;
    EXPECT_TRUE(zero.SetLength(0));
    EXPECT_EQ(zero.GetCapacity(), 65536u);
    HMemFile exact;
    EXPECT_TRUE(exact.SetLength(65536));
    EXPECT_EQ(exact.GetCapacity(), 131072u);
    HMemFile grow;
    ASSERT_EQ(grow.Write("keep", 4), 4u);
    EXPECT_EQ(grow.GetCapacity(), 65536u);
    EXPECT_TRUE(grow.SetLength(65535));
    EXPECT_EQ(grow.GetCapacity(), 65536u);
    EXPECT_TRUE(grow.SetLength(200000));
    EXPECT_EQ(grow.GetCapacity(), 262144u);
    EXPECT_EQ(std::memcmp(grow.GetData(), "keep", 4), 0);
    // A growing block at least doubles.
    EXPECT_TRUE(grow.SetLength(262145));
    EXPECT_EQ(grow.GetCapacity(), 524288u);
    // The block never shrinks.
    EXPECT_TRUE(grow.SetLength(10));
    EXPECT_EQ(grow.GetCapacity(), 524288u);
    HMemFile attached;
    ASSERT_TRUE(attached.Attach("", 0, nullptr));
    EXPECT_EQ(attached.GetCapacity(), 65536u);
}

TEST(MemFileTest, CloseAfterOnlyReadingWritesNothing) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "original");
    HMemFile f;
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x8042));  // read-write, others may read and write
    EXPECT_EQ(Content(f), "original");
    char buf[4];
    EXPECT_EQ(f.Read(buf, 4), 4u);
    // Someone else changes the file; a write-back would undo that.
    WriteFileBytes(host, "changed elsewhere");
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "changed elsewhere");
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(f.GetData(), nullptr);
}

TEST(MemFileTest, CloseAfterAWriteRewritesAndTruncatesTheFile) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "a long original content");
    HMemFile f;
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x8012));
    EXPECT_TRUE(f.SetLength(6));
    f.Seek(0, HBaseFile::kBegin);
    ASSERT_EQ(f.Write("A", 1), 1u);
    EXPECT_EQ(ReadFileBytes(host), "a long original content");  // nothing written before Close
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "A long");
}

TEST(MemFileTest, EmptiedContentIsWrittenBackToo) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "content");
    HMemFile f;
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x8012));
    EXPECT_TRUE(f.SetLength(0));
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "");
}

TEST(MemFileTest, ShortWriteBackIsReportedAndTheContentStillReleased) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "content");
    HMemFile f;
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x8020));  // read only
    ASSERT_EQ(f.Write("C", 1), 1u);
    EXPECT_FALSE(f.Close());
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(ReadFileBytes(host), "content");
}

TEST(MemFileTest, FailedOpenKeepsTheContent) {
    TempPrefix prefix;
    HMemFile f;
    ASSERT_TRUE(f.Attach("mine", 4, nullptr));
    EXPECT_FALSE(f.Open(WindowsPath(prefix.scratch() / "none").c_str(), 0x8000));
    EXPECT_EQ(Content(f), "mine");
    EXPECT_FALSE(f.Open(WindowsPath(prefix.scratch() / "none").c_str(), 0x8003));
    EXPECT_EQ(Content(f), "mine");
}

TEST(MemFileTest, WriteOnlyOpenOfAFileItCannotReadFails) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "content");
    HMemFile f;
    ASSERT_TRUE(f.Attach("mine", 4, nullptr));
    EXPECT_FALSE(f.Open(WindowsPath(host).c_str(), 0x8041));
    EXPECT_EQ(Content(f), "mine");
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "content");
    // Created empty, there is nothing to read: that works.
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x9001));
    ASSERT_EQ(f.Write("new", 3), 3u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "new");
}

TEST(MemFileTest, DiskFileStaysOpenAfterCloseUntilDestruction) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "content");
    const std::string name = WindowsPath(host);
    {
        HMemFile f;
        ASSERT_TRUE(f.Open(name.c_str(), 0x8012));  // exclusive
        EXPECT_TRUE(f.Close());
        OS_File other;
        EXPECT_FALSE(other.Open(name.c_str(), 0x8040));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    OS_File other;
    EXPECT_TRUE(other.Open(name.c_str(), 0x8040));
}

TEST(MemFileTest, ReopeningWritesPendingChangesFirst) {
    TempPrefix prefix;
    const fs::path a = prefix.scratch() / "a.bin";
    const fs::path b = prefix.scratch() / "b.bin";
    WriteFileBytes(a, "aaaa");
    WriteFileBytes(b, "bbbb");
    HMemFile f;
    ASSERT_TRUE(f.Open(WindowsPath(a).c_str(), 0x8012));
    ASSERT_EQ(f.Write("A", 1), 1u);
    ASSERT_TRUE(f.Open(WindowsPath(b).c_str(), 0x8012));
    EXPECT_EQ(Content(f), "bbbb");
    EXPECT_EQ(ReadFileBytes(a), "Aaaa");
}

TEST(MemFileTest, AttachCopiesTheCallersBytes) {
    HMemFile f;
    char data[] = "abcdef";
    ASSERT_TRUE(f.Attach(data, 6, nullptr));
    data[0] = 'Z';
    EXPECT_EQ(Content(f), "abcdef");
    EXPECT_EQ(f.GetPosition(), 0u);
    EXPECT_NE(static_cast<void*>(f.GetData()), static_cast<void*>(data));
    f.GetData()[1] = 'B';  // patching in place
    char buf[3];
    ASSERT_EQ(f.Read(buf, 3), 3u);
    EXPECT_EQ(std::string(buf, 3), "aBc");
    EXPECT_FALSE(f.Attach(nullptr, 5, nullptr));
    EXPECT_EQ(Content(f), "aBcdef");
}

TEST(MemFileTest, ReleaseFunctionFreesEveryBlockLetGo) {
    g_released = 0;
    {
        HMemFile f;
        ASSERT_TRUE(f.Attach("abc", 3, CountingRelease));
        EXPECT_TRUE(f.SetLength(70000));  // grows: the old block goes through the function
        EXPECT_EQ(g_released, 1);
        EXPECT_TRUE(f.Close());
        EXPECT_EQ(g_released, 2);
    }
    EXPECT_EQ(g_released, 2);
}

TEST(MemFileTest, AttachedContentIsNeverWrittenIntoAnEarlierFile) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    WriteFileBytes(host, "font file");
    HMemFile f;
    ASSERT_TRUE(f.Open(WindowsPath(host).c_str(), 0x8012));
    EXPECT_TRUE(f.Close());
    ASSERT_TRUE(f.Attach("unrelated", 9, nullptr));
    ASSERT_EQ(f.Write("!", 1), 1u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "font file");
}
