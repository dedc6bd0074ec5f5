// The helpers every file class inherits: CopyTo, ShiftTail, DeleteRange and the seeks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;

namespace {

// An in-memory file that records the size of every Read and Write it is asked for.
class SpyFile : public HBaseFile {
public:
    explicit SpyFile(const std::string& content = {}) {
        if (!content.empty()) inner_.Attach(content.data(), static_cast<std::uint32_t>(content.size()), nullptr);
    }
    bool IsOpen() const override { return true; }
    bool Open(const char*, FileOpenMode) override { return false; }
    bool Open(const wchar_t*, FileOpenMode) override { return false; }
    std::uint32_t GetPosition() const override { return inner_.GetPosition(); }
    std::uint32_t GetLength() const override { return inner_.GetLength(); }
    std::uint32_t Read(void* buffer, std::uint32_t count) override {
        reads.push_back(count);
        return inner_.Read(buffer, count);
    }
    std::uint32_t Seek(std::int32_t offset, int origin) override { return inner_.Seek(offset, origin); }
    bool SetLength(std::uint32_t length) override { return inner_.SetLength(length); }
    std::uint32_t Write(const void* buffer, std::uint32_t count) override {
        writes.push_back(count);
        return inner_.Write(buffer, count);
    }
    void Flush() override {}
    bool Close() override { return inner_.Close(); }

    std::string Content() const {
        return inner_.GetData() ? std::string(reinterpret_cast<const char*>(inner_.GetData()), inner_.GetLength())
                                : std::string();
    }

    std::vector<std::uint32_t> reads;
    std::vector<std::uint32_t> writes;

private:
    HMemFile inner_;
};

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return s;
}

}  // namespace

TEST(BaseFileTest, CopyToMovesAMillionBytesInThreeChunks) {
    const std::string content = Pattern(1000000);
    SpyFile source(content);
    SpyFile target(std::string(2000000, 'x'));  // longer than the source: must be cut
    source.Seek(1234, HBaseFile::kBegin);
    ASSERT_TRUE(source.CopyTo(&target));
    const std::vector<std::uint32_t> chunks = {409600, 409600, 180800};
    EXPECT_EQ(source.reads, chunks);
    EXPECT_EQ(target.writes, chunks);
    EXPECT_EQ(target.GetLength(), 1000000u);
    EXPECT_TRUE(target.Content() == content);
    EXPECT_EQ(source.GetPosition(), 1234u);
    EXPECT_EQ(target.GetPosition(), 1000000u);
}

TEST(BaseFileTest, CopyToNullOrSelf) {
    SpyFile source("abc");
    EXPECT_FALSE(source.CopyTo(nullptr));
    EXPECT_TRUE(source.reads.empty());
    // Copying onto itself leaves the content as it is.
    const std::string content = Pattern(500000);
    SpyFile self(content);
    EXPECT_TRUE(self.CopyTo(&self));
    EXPECT_TRUE(self.Content() == content);
}

TEST(BaseFileTest, CopyToFromAnUnreadableFileWritesNoStaleBytes) {
    testsupport::TempPrefix prefix;
    const fs::path host = prefix.scratch() / "x.bin";
    testsupport::WriteFileBytes(host, Pattern(1000));
    std::string name = "Z:" + host.string();
    std::replace(name.begin(), name.end(), '/', '\\');
    OS_File source;
    ASSERT_TRUE(source.Open(name.c_str(), 0x8041));  // write only: every read fails
    SpyFile target;
    EXPECT_FALSE(source.CopyTo(&target));
    EXPECT_TRUE(target.writes.empty());
    EXPECT_EQ(target.GetLength(), 0u);
}

TEST(BaseFileTest, CopyToAnEmptySourceEmptiesTheTarget) {
    SpyFile source;
    SpyFile target("old");
    EXPECT_TRUE(source.CopyTo(&target));
    EXPECT_EQ(target.GetLength(), 0u);
    EXPECT_TRUE(source.reads.empty());
}

TEST(BaseFileTest, ShiftTailUpKeepsTheGapsOldBytes) {
    SpyFile f("ABCDEFGHIJ");
    EXPECT_TRUE(f.ShiftTail(3, 2));
    EXPECT_EQ(f.Content(), "ABCDEDEFGHIJ");
}

TEST(BaseFileTest, ShiftTailDownDoesNotShorten) {
    SpyFile f("ABCDEFGHIJ");
    EXPECT_TRUE(f.ShiftTail(5, -2));
    EXPECT_EQ(f.Content(), "ABCFGHIJIJ");
}

TEST(BaseFileTest, ShiftTailMovesLargeTailsThatOverlapThemselves) {
    const std::string content = Pattern(1000000);
    SpyFile up(content);
    ASSERT_TRUE(up.ShiftTail(100, 37));
    const std::string moved = up.Content();
    ASSERT_EQ(moved.size(), content.size() + 37);
    EXPECT_TRUE(moved.compare(137, std::string::npos, content, 100) == 0);
    EXPECT_TRUE(moved.compare(0, 137, content, 0, 137) == 0);
    EXPECT_EQ(up.reads.size(), 3u);

    SpyFile down(content);
    ASSERT_TRUE(down.ShiftTail(100, -37));
    const std::string back = down.Content();
    ASSERT_EQ(back.size(), content.size());
    EXPECT_TRUE(back.compare(63, content.size() - 100, content, 100) == 0);
    EXPECT_TRUE(back.compare(0, 63, content, 0, 63) == 0);
}

TEST(BaseFileTest, ShiftTailWithNothingToMove) {
    SpyFile f("ABCDEF");
    EXPECT_TRUE(f.ShiftTail(2, 0));
    EXPECT_TRUE(f.ShiftTail(6, 3));
    EXPECT_TRUE(f.ShiftTail(9, -3));
    EXPECT_TRUE(f.reads.empty());
    EXPECT_TRUE(f.writes.empty());
    EXPECT_EQ(f.Content(), "ABCDEF");
}

TEST(BaseFileTest, ShiftTailBeforeTheStartIsRefused) {
    SpyFile f("ABCDEF");
    EXPECT_FALSE(f.ShiftTail(2, -3));
    EXPECT_TRUE(f.writes.empty());
    EXPECT_EQ(f.Content(), "ABCDEF");
    EXPECT_FALSE(f.ShiftTail(0, INT32_MAX));
    EXPECT_EQ(f.Content(), "ABCDEF");
}

TEST(BaseFileTest, DeleteRangeClosesTheGap) {
    SpyFile f("ABCDEFGHIJ");
    EXPECT_TRUE(f.DeleteRange(2, 3));
    EXPECT_EQ(f.Content(), "ABFGHIJ");
    EXPECT_TRUE(f.DeleteRange(4, 3));  // up to the end
    EXPECT_EQ(f.Content(), "ABFG");
    EXPECT_TRUE(f.DeleteRange(4, 0));
    EXPECT_EQ(f.Content(), "ABFG");
}

TEST(BaseFileTest, DeleteRangeOutsideTheFileChangesNothing) {
    SpyFile f("ABCDEFGHIJ");
    EXPECT_FALSE(f.DeleteRange(8, 5));
    EXPECT_FALSE(f.DeleteRange(11, 0));
    EXPECT_FALSE(f.DeleteRange(0, 0xFFFFFFFFu));
    EXPECT_EQ(f.Content(), "ABCDEFGHIJ");
}
