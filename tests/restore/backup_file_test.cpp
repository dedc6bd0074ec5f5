// The checks a backup passes before anything changes, and the section reads.
#include <gtest/gtest.h>

#include "backup_file.h"
#include "backup_writer.h"
#include "foundation/endian.h"
#include "support/temp_prefix.h"
#include "tte_sections.h"

using namespace testsupport;

namespace {

struct BackupChecks : ::testing::Test {
    TempPrefix prefix;
    backupwriter::BackupContents contents;
    BackupFile file;

    BackupChecks() { contents.fontTable = backupwriter::ReferenceFontTable(); }

    int OpenBytes(const std::string& bytes, int versionCode = 14) {
        const auto path = prefix.scratch() / "TQClient.tqb";
        WriteFileBytes(path, bytes);
        return file.Open(WindowsPath(path).c_str(), versionCode);
    }
    static void PutDescriptor(std::string& bytes, size_t at, uint32_t offset, uint32_t length) {
        auto* d = reinterpret_cast<uint8_t*>(bytes.data() + at);
        endian::StoreLE32(d + 4, offset);
        endian::StoreLE32(d + 8, length);
    }
};

}  // namespace

TEST_F(BackupChecks, MissingFileOrFolderCannotBeOpened) {
    EXPECT_EQ(file.Open(WindowsPath(prefix.scratch() / "none.tqb").c_str(), 14), backup::kRefusedOpen);
    EXPECT_EQ(file.Open(WindowsPath(prefix.scratch()).c_str(), 14), backup::kRefusedOpen);
    EXPECT_EQ(file.Open(nullptr, 14), backup::kRefusedOpen);
}

TEST_F(BackupChecks, LengthMustExceedTheHeader) {
    std::string bytes = backupwriter::BuildBackup(contents);
    bytes.resize(backup::kHeaderLength);
    EXPECT_EQ(OpenBytes(bytes), backup::kRefusedFormat);
    bytes.push_back('\0');
    EXPECT_EQ(OpenBytes(bytes), 0);
    EXPECT_EQ(OpenBytes(bytes.substr(0, 100)), backup::kRefusedFormat);
}

TEST_F(BackupChecks, EveryByteOfTheSignatureCounts) {
    const std::string good = backupwriter::BuildBackup(contents);
    for (size_t i = 0; i < backup::kSignatureLength; ++i) {
        std::string bytes = good;
        bytes[4 + i] ^= 0x20;
        EXPECT_EQ(OpenBytes(bytes), backup::kRefusedFormat) << "byte " << i;
    }
}

TEST_F(BackupChecks, FormatIsCheckedBeforeTheWindows6Flag) {
    contents.compatFlags = 0;
    std::string bytes = backupwriter::BuildBackup(contents);
    EXPECT_EQ(OpenBytes(bytes, 16), backup::kRefusedWindows6);
    bytes[0] = 0;
    EXPECT_EQ(OpenBytes(bytes, 16), backup::kRefusedFormat);
}

TEST_F(BackupChecks, Windows6FlagMattersOnlyOnCode16) {
    contents.compatFlags = static_cast<uint8_t>(~backup::kCompatWindows6);
    const std::string bytes = backupwriter::BuildBackup(contents);
    EXPECT_EQ(OpenBytes(bytes, 16), backup::kRefusedWindows6);
    for (int code : {0, 1, 3, 11, 14, 15, 21}) EXPECT_EQ(OpenBytes(bytes, code), 0) << code;
}

TEST_F(BackupChecks, SectionPastTheEndIsAFormatError) {
    contents.liuBox = std::string(1000, 'x');
    std::string bytes = backupwriter::BuildBackup(contents);
    EXPECT_EQ(OpenBytes(bytes), 0);
    // Point slot 5 one byte beyond the end of the file.
    PutDescriptor(bytes, backup::kTteDescriptorOffset + 16 * 5, static_cast<uint32_t>(bytes.size() - 10), 11);
    EXPECT_EQ(OpenBytes(bytes), backup::kRefusedFormat);
    // An offset and length whose sum overflows 32 bits.
    PutDescriptor(bytes, backup::kTteDescriptorOffset + 16 * 5, 0xFFFFFFF0u, 0x20);
    EXPECT_EQ(OpenBytes(bytes), backup::kRefusedFormat);
    PutDescriptor(bytes, backup::kTteDescriptorOffset + 16 * 5, 0, 0);
    PutDescriptor(bytes, backup::kImeDescriptorOffset, backup::kHeaderLength, 0x7FFFFFFF);
    EXPECT_EQ(OpenBytes(bytes), backup::kRefusedFormat);
}

TEST_F(BackupChecks, AbsentSectionsAreNotChecked) {
    std::string bytes = backupwriter::BuildBackup(contents);
    // Length 0 means absent, whatever the offset says.
    PutDescriptor(bytes, backup::kTteDescriptorOffset, 0xFFFFFFFFu, 0);
    EXPECT_EQ(OpenBytes(bytes), 0);
    EXPECT_FALSE(file.TteDescriptor(0).present());
}

TEST_F(BackupChecks, SectionsReadBackExactly) {
    const std::string zero = testsupport::TemplateTte(testsupport::DistinctBoxGlyphs(0xE000, 100, 1));
    const std::string fifteen = testsupport::TemplateTte(testsupport::DistinctBoxGlyphs(0xE005, 3, 2));
    contents.tteSections[0] = zero;
    contents.tteSections[15] = fifteen;
    contents.liuBox = std::string("liu\0box", 7);
    ASSERT_EQ(OpenBytes(backupwriter::BuildBackup(contents)), 0);
    EXPECT_EQ(file.GlyphCount(0), 64);
    EXPECT_EQ(file.GlyphCount(15), 2132);
    HExactBuffer buf;
    ASSERT_TRUE(file.ReadSection(file.TteDescriptor(0), buf));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf.GetBuffer(0)), static_cast<size_t>(buf.GetLength())), zero);
    ASSERT_TRUE(file.ReadSection(file.TteDescriptor(15), buf));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf.GetBuffer(0)), static_cast<size_t>(buf.GetLength())),
              fifteen);
    ASSERT_TRUE(file.ReadSection(file.ImeDescriptor(), buf));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buf.GetBuffer(0)), 7), std::string("liu\0box", 7));
    EXPECT_FALSE(file.ReadSection(file.TteDescriptor(1), buf));
}

TEST_F(BackupChecks, HeaderPiecesAreReadInPlace) {
    contents.SetUserManaged(0xE000);
    contents.SetUserManaged(0xE00A);
    contents.SetUserManaged(0xF8FF);
    contents.CharacterRecord(6399)[18] = 0x5A;
    ASSERT_EQ(OpenBytes(backupwriter::BuildBackup(contents)), 0);
    EXPECT_TRUE(file.IsUserManaged(0));
    EXPECT_TRUE(file.IsUserManaged(10));
    EXPECT_FALSE(file.IsUserManaged(11));
    EXPECT_TRUE(file.IsUserManaged(6399));
    EXPECT_FALSE(file.IsUserManaged(6400));
    EXPECT_EQ(file.CharacterRecords()[6399 * 19 + 18], 0x5A);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.FontTable())), "SystemDefaultEUDCFont");
}
