// HTmpFile: memory first, then a uniquely named disk file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "foundation/tmp_file.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::TempPrefix;
using testsupport::WindowsPath;

namespace {

// The host file behind a name in dir (a Z: name made by WindowsPath).
fs::path HostOf(const fs::path& dir, const char* windowsName) {
    const std::string name = windowsName;
    return dir / name.substr(name.find_last_of('\\') + 1);
}

size_t FilesIn(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The number of a generated name "...\TQT<hex>.TMP" (1 to 4 upper-case digits), 0 for another form.
unsigned long NumberIn(const char* windowsName) {
    const std::string name = windowsName;
    const std::string leaf = name.substr(name.find_last_of('\\') + 1);
    if (leaf.size() < 8 || leaf.size() > 11 || leaf.rfind("TQT", 0) != 0 || !leaf.ends_with(".tmp")) return 0;
    const std::string digits = leaf.substr(3, leaf.size() - 7);
    if (digits.find_first_not_of("0123456789abcdef") != std::string::npos) return 0;
    return std::stoul(digits, nullptr, 16);
}

}  // namespace

TEST(TmpFileTest, ThresholdZeroNamesAndCreatesTheFileAtOnce) {
    TempPrefix prefix;
    HTmpFile f;
    ASSERT_TRUE(f.Configure(0, WindowsPath(prefix.scratch()).c_str(), false, true));
    ASSERT_NE(f.GetFileName(), nullptr);
    EXPECT_NE(NumberIn(f.GetFileName()), 0u);
    const fs::path host = HostOf(prefix.scratch(), f.GetFileName());
    EXPECT_TRUE(fs::is_regular_file(host));
    EXPECT_FALSE(f.IsTemporary());  // nothing written yet
    ASSERT_EQ(f.Write("first", 5), 5u);
    EXPECT_TRUE(f.IsTemporary());
    EXPECT_EQ(ReadFileBytes(host), "first");
    EXPECT_TRUE(f.Close());
    EXPECT_FALSE(fs::exists(host));
    EXPECT_EQ(f.GetFileName(), nullptr);
}

TEST(TmpFileTest, DefaultThresholdMovesToDiskBeforeAWritePassingIt) {
    TempPrefix prefix;
    HTmpFile f;
    ASSERT_TRUE(f.Configure(HTmpFile::kDefaultThreshold, WindowsPath(prefix.scratch()).c_str(), false, true));
    const std::string a(100000, 'a');
    const std::string b(28000, 'b');
    ASSERT_EQ(f.Write(a.data(), 100000), 100000u);
    ASSERT_EQ(f.Write(b.data(), 28000), 28000u);  // ends exactly at 128000: stays in memory
    EXPECT_EQ(f.GetFileName(), nullptr);
    EXPECT_EQ(FilesIn(prefix.scratch()), 0u);
    EXPECT_FALSE(f.IsTemporary());
    ASSERT_EQ(f.Write("c", 1), 1u);
    ASSERT_NE(f.GetFileName(), nullptr);
    EXPECT_TRUE(f.IsTemporary());
    EXPECT_EQ(f.GetPosition(), 128001u);
    EXPECT_EQ(f.GetLength(), 128001u);
    EXPECT_EQ(ReadFileBytes(HostOf(prefix.scratch(), f.GetFileName())), a + b + "c");
    // The content reads back through the disk file.
    f.SeekFromBegin(99999);
    char buf[2];
    ASSERT_EQ(f.Read(buf, 2), 2u);
    EXPECT_EQ(std::string(buf, 2), "ab");
}

TEST(TmpFileTest, SpillKeepsThePositionAndReturnsTheNumber) {
    TempPrefix prefix;
    HTmpFile f;
    ASSERT_TRUE(f.Configure(1000, WindowsPath(prefix.scratch()).c_str(), false, true));
    EXPECT_EQ(f.SpillToDisk(), 0u);  // nothing to move
    ASSERT_EQ(f.Write("0123456789", 10), 10u);
    f.SeekFromBegin(4);
    const std::uint32_t number = f.SpillToDisk();
    ASSERT_NE(number, 0u);
    ASSERT_NE(f.GetFileName(), nullptr);
    EXPECT_EQ(number, NumberIn(f.GetFileName()));
    EXPECT_EQ(f.GetPosition(), 4u);
    EXPECT_EQ(f.SpillToDisk(), number);
    ASSERT_EQ(f.Write("X", 1), 1u);
    EXPECT_EQ(ReadFileBytes(HostOf(prefix.scratch(), f.GetFileName())), "0123X56789");
}

TEST(TmpFileTest, SystemTemporaryFolderIsUsedWhenNoneIsGiven) {
    TempPrefix prefix;
    prefix.InstallFixtureRegistry();  // TEMP is C:\users\root\Temp, as wineboot leaves it
    HTmpFile f;
    ASSERT_TRUE(f.Configure(0, nullptr, false, false));
    ASSERT_NE(f.GetFileName(), nullptr);
    const std::string dir = "C:\\users\\root\\Temp\\";
    EXPECT_EQ(std::string(f.GetFileName()).rfind(dir + "TQT", 0), 0u) << f.GetFileName();
    const std::string leaf = std::string(f.GetFileName()).substr(dir.size());
    ASSERT_EQ(f.Write("kept", 4), 4u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(prefix.root() / "drive_c" / "users" / "root" / "Temp" / leaf), "kept");
}

TEST(TmpFileTest, DirectoryAsNameUsesTheGivenPath) {
    TempPrefix prefix;
    const fs::path host = prefix.scratch() / "chosen.tte";
    HTmpFile f;
    ASSERT_TRUE(f.Configure(0, WindowsPath(host).c_str(), true, false));
    EXPECT_EQ(std::string(f.GetFileName()), WindowsPath(host));
    ASSERT_EQ(f.Write("glyphs", 6), 6u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(ReadFileBytes(host), "glyphs");
}

TEST(TmpFileTest, CloseKeepsMemoryContentOnlyWhenTheFileIsKept) {
    TempPrefix prefix;
    {
        HTmpFile removed;
        ASSERT_TRUE(removed.Configure(1000, WindowsPath(prefix.scratch()).c_str(), false, true));
        ASSERT_EQ(removed.Write("scratch", 7), 7u);
        EXPECT_TRUE(removed.Close());
        EXPECT_EQ(FilesIn(prefix.scratch()), 0u);  // no file written just to be deleted
    }
    HTmpFile kept;
    ASSERT_TRUE(kept.Configure(1000, WindowsPath(prefix.scratch()).c_str(), false, false));
    ASSERT_EQ(kept.Write("result", 6), 6u);
    EXPECT_EQ(kept.GetFileName(), nullptr);
    EXPECT_TRUE(kept.Close());
    ASSERT_EQ(FilesIn(prefix.scratch()), 1u);
    EXPECT_EQ(ReadFileBytes(fs::directory_iterator(prefix.scratch())->path()), "result");
}

TEST(TmpFileTest, KeptContentThatCannotReachTheDiskMakesCloseFail) {
    TempPrefix prefix;
    HTmpFile f;
    ASSERT_TRUE(f.Configure(1000, WindowsPath(prefix.scratch() / "missing").c_str(), false, false));
    ASSERT_EQ(f.Write("result", 6), 6u);
    EXPECT_FALSE(f.Close());
}

TEST(TmpFileTest, UnwritableFolderFailsTheWriteOrStaysInMemory) {
    TempPrefix prefix;
    const std::string missing = WindowsPath(prefix.scratch() / "missing");
    HTmpFile direct;
    EXPECT_FALSE(direct.Configure(0, missing.c_str(), false, true));
    EXPECT_EQ(direct.Write("x", 1), 0u);
    EXPECT_EQ(direct.GetLength(), 0u);

    HTmpFile memory;
    ASSERT_TRUE(memory.Configure(4, missing.c_str(), false, true));
    ASSERT_EQ(memory.Write("abc", 3), 3u);
    ASSERT_EQ(memory.Write("def", 3), 3u);  // the move to disk fails: the content stays in memory
    EXPECT_EQ(memory.GetFileName(), nullptr);
    EXPECT_FALSE(memory.IsTemporary());
    memory.SeekToBegin();
    char buf[6];
    ASSERT_EQ(memory.Read(buf, 6), 6u);
    EXPECT_EQ(std::string(buf, 6), "abcdef");
}

TEST(TmpFileTest, NoContentYetAnswersZero) {
    HTmpFile f;
    char buf[4];
    EXPECT_TRUE(f.IsOpen());
    EXPECT_TRUE(f.Open("ignored", 0x8000));
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(f.GetPosition(), 0u);
    EXPECT_EQ(f.Read(buf, 4), 0u);
    EXPECT_EQ(f.Seek(10, HBaseFile::kBegin), 0u);
    EXPECT_TRUE(f.SetLength(0));
    EXPECT_FALSE(f.SetLength(5));
    EXPECT_EQ(f.GetLength(), 0u);
    EXPECT_EQ(f.GetFileNameW(), nullptr);
    EXPECT_FALSE(f.IsTemporary());
}

TEST(TmpFileTest, CloseRestoresTheDefaults) {
    TempPrefix prefix;
    HTmpFile f;
    ASSERT_TRUE(f.Configure(0, WindowsPath(prefix.scratch()).c_str(), false, true));
    ASSERT_EQ(f.Write("abc", 3), 3u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(FilesIn(prefix.scratch()), 0u);
    // Back to the default threshold: a small write stays in memory again.
    ASSERT_EQ(f.Write("abc", 3), 3u);
    EXPECT_EQ(f.GetFileName(), nullptr);
    EXPECT_FALSE(f.IsTemporary());
    EXPECT_EQ(f.GetLength(), 3u);
}
