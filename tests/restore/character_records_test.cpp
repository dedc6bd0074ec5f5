#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "backup_format.h"
#include "character_records.h"

namespace {

struct CharacterSource : ::testing::Test {
    std::vector<uint8_t> records = std::vector<uint8_t>(backup::kCharRecordSize * backup::kCharCount);
    CharacterSource() {
        for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<uint8_t>(i * 7 + 1);
        restore::SetCharacterSource(records.data());
    }
    ~CharacterSource() override { restore::SetCharacterSource(nullptr); }
};

}  // namespace

TEST_F(CharacterSource, FirstCodeGetsFirstRecordAndItsCodeLowByteFirst) {
    std::array<uint8_t, 21> rec{};
    restore::ServeCharacterRecord(0xE000, rec.data());
    EXPECT_TRUE(std::equal(rec.begin(), rec.begin() + 19, records.begin()));
    EXPECT_EQ(rec[19], 0x00);
    EXPECT_EQ(rec[20], 0xE0);
}

TEST_F(CharacterSource, LastCodeGetsLastRecord) {
    std::array<uint8_t, 21> rec{};
    restore::ServeCharacterRecord(0xF8FF, rec.data());
    EXPECT_TRUE(std::equal(rec.begin(), rec.begin() + 19, records.end() - 19));
    EXPECT_EQ(rec[19], 0xFF);
    EXPECT_EQ(rec[20], 0xF8);
}

TEST_F(CharacterSource, CodesOutsideTheAreaGetZeroRecords) {
    for (uint32_t code : {0xDFFFu, 0xF900u, 0x0041u}) {
        std::array<uint8_t, 21> rec;
        rec.fill(0xAA);
        restore::ServeCharacterRecord(code, rec.data());
        for (int i = 0; i < 19; ++i) EXPECT_EQ(rec[i], 0) << std::hex << code;
        EXPECT_EQ(rec[19], static_cast<uint8_t>(code));
        EXPECT_EQ(rec[20], static_cast<uint8_t>(code >> 8));
    }
}

TEST_F(CharacterSource, OnlyTheLowSixteenBitsNameTheCode) {
    std::array<uint8_t, 21> rec{};
    restore::ServeCharacterRecord(0x1E001, rec.data());
    EXPECT_TRUE(std::equal(rec.begin(), rec.begin() + 19, records.begin() + 19));
    EXPECT_EQ(rec[19], 0x01);
    EXPECT_EQ(rec[20], 0xE0);
}
