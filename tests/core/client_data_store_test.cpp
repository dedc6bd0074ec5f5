// The client data block in memory: records, CNS search, table extraction, managed codes, times.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "eudccore/as400_2_code.h"
#include "eudccore/client_data.h"

namespace {

constexpr size_t kRecords = 5948;

_WORD_DATA_Code MakeRecord(uint16_t code, char plane, uint8_t c1, uint8_t c2, int32_t time) {
    _WORD_DATA_Code r{};
    r.UserWord = 1;
    r.Cns = {plane, {c1, c2}};
    std::memcpy(r.Zhuyin, "JI3 ", 4);
    std::memcpy(r.Changjie, "ABCDE", 5);
    for (int i = 0; i < 4; ++i) r.UpdateTime[i] = static_cast<uint8_t>(static_cast<uint32_t>(time) >> (8 * i));
    r.Extra[0] = 0x5A;
    r.Extra[1] = 0xA5;
    r.Code = code;
    return r;
}

class ClientDataStore : public ::testing::Test {
protected:
    void SetUp() override {
        unsigned long size = 0;
        block = reinterpret_cast<uint8_t*>(data.GetBuffer(&size));
        ASSERT_EQ(size, 127612u);
        std::vector<uint8_t> zero(size, 0);
        ASSERT_TRUE(data.SetBuffer(zero.data(), size));
    }
    const uint8_t* RecordBytes(int index) const { return block + kRecords + 19 * index; }

    Client_Data data;
    uint8_t* block = nullptr;
};

TEST_F(ClientDataStore, RecordsAreStoredEmptiedAndRefusedOutsideTheArea) {
    _WORD_DATA_Code last = MakeRecord(0xF8FF, '1', 0x44, 0x21, 7);
    EXPECT_EQ(data.Set_CodeData_Client(&last), 1);
    EXPECT_EQ(std::memcmp(RecordBytes(6399), &last, 19), 0);

    const std::vector<uint8_t> before(block, block + 127612);
    _WORD_DATA_Code outside = MakeRecord(0xF900, '1', 0x44, 0x21, 99);
    EXPECT_EQ(data.Set_CodeData_Client(&outside), -1);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 127612), before);
    EXPECT_EQ(data.GetUpdateTime(-3), 7) << "a refused record does not move the code-data time";

    // A CNS plane of '0' empties the record: blanks in the key fields, zero elsewhere.
    _WORD_DATA_Code none = MakeRecord(0xF8FF, '0', 0x44, 0x21, 3);
    EXPECT_EQ(data.Set_CodeData_Client(&none), 1);
    const uint8_t empty[19] = {0, 0, 0, 0, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' ', 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(RecordBytes(6399), empty, 19), 0);

    _WORD_DATA_Code out{};
    EXPECT_TRUE(data.Get__CodeData(0xE000, &out));
    EXPECT_EQ(static_cast<unsigned>(out.Code), 0xE000u);
    EXPECT_FALSE(data.Get__CodeData(0xDFFF, &out));
    EXPECT_FALSE(data.Get_UserMakeWord(0xF900));
    EXPECT_EQ(data.Get_ExistCount(), 0);
    _WORD_DATA_Code made = MakeRecord(0xE001, '2', 1, 2, 1);
    data.Set_CodeData_Client(&made);
    EXPECT_TRUE(data.Get_UserMakeWord(0xE001));
    EXPECT_TRUE(data.Get__CodeData(0xE001, &out));
    EXPECT_EQ(std::memcmp(&out, &made, 21), 0);
    EXPECT_EQ(data.Get_ExistCount(), 1);
}

TEST_F(ClientDataStore, CnsSearchFindsTheLowestCodeAndNothingForBlankOrMissing) {
    _WORD_DATA_Code a = MakeRecord(0xE010, '1', 0x44, 0x21, 1);
    _WORD_DATA_Code b = MakeRecord(0xE005, '1', 0x44, 0x21, 1);
    data.Set_CodeData_Client(&a);
    data.Set_CodeData_Client(&b);
    struct Case {
        ARRAY_CNS_DATA cns;
        unsigned short expected;
    } cases[] = {
        {{'1', {0x44, 0x21}}, 0xE005},
        {{'1', {0x44, 0x22}}, 0},
        {{' ', {0x44, 0x21}}, 0},
        {{0, {0, 0}}, 0},  // every other record matches these bytes, yet no CNS code is asked for
    };
    for (auto& c : cases) EXPECT_EQ(data.Get_EudcWithCns(&c.cns), c.expected) << c.cns.Plane;
}

TEST_F(ClientDataStore, TableDataIsCutToTheAreaAndWritesNoMore) {
    _WORD_DATA_Code r = MakeRecord(0xF8FF, '7', 0x12, 0x34, 1);
    data.Set_CodeData_Client(&r);
    std::vector<ARRAY_CNS_DATA> out(6401, ARRAY_CNS_DATA{'X', {0xEE, 0xEE}});
    EXPECT_EQ(data.Get_TblData(out.data(), 0), 0);
    EXPECT_EQ(out[0].Plane, 'X');
    EXPECT_EQ(data.Get_TblData(out.data(), 10000), 6400);
    EXPECT_EQ(out[6399].Plane, '7');
    EXPECT_EQ(out[6399].Code[1], 0x34);
    EXPECT_EQ(out[6400].Plane, 'X');
    out.assign(6401, ARRAY_CNS_DATA{'X', {0xEE, 0xEE}});
    EXPECT_EQ(data.Get_TblData(out.data(), 2), 2);
    EXPECT_EQ(out[1].Plane, 0);
    EXPECT_EQ(out[2].Plane, 'X');
}

TEST_F(ClientDataStore, TimesKeepTheirMaximaAndStayInsideTheirTables) {
    _WORD_DATA_Code five = MakeRecord(0xE000, '1', 1, 1, 5);
    _WORD_DATA_Code nine = MakeRecord(0xE001, '1', 1, 2, 9);
    data.Set_CodeData_Client(&nine);
    data.Set_CodeData_Client(&five);
    EXPECT_EQ(data.GetUpdateTime(-3), 9);
    EXPECT_EQ(data.GetUpdateTime(1), 9);
    EXPECT_EQ(data.GetUpdateTime(6400), 0);
    EXPECT_EQ(data.GetUpdateTime(-4), 0);

    data.SetFontUpdateTime(0, static_cast<char>(0xFF), 4);
    EXPECT_EQ(data.GetUpdateTime(-3), 9) << "a smaller time changes nothing";
    data.SetFontUpdateTime(0, static_cast<char>(0xFF), 12);
    EXPECT_EQ(data.GetUpdateTime(-3), 12);

    data.SetFontUpdateTime(0, 3, 20);
    data.SetFontUpdateTime(0, 3, 10);
    data.SetFontUpdateTime(0, 16, 30);
    EXPECT_EQ(data.Get_LastFontTime(3), 20);
    EXPECT_EQ(block[127548 + 12], 20) << "the block's per-slot time follows";
    EXPECT_EQ(data.Get_LastFontTime(16), 0);
    EXPECT_EQ(data.Get_LastFontTime(static_cast<char>(-1)), 0);

    // Saving the whole block again recomputes the process times from it.
    std::vector<uint8_t> copy(block, block + 127612);
    copy[127548 + 12] = 2;
    ASSERT_TRUE(data.SetBuffer(copy.data(), copy.size()));
    EXPECT_EQ(data.Get_LastFontTime(3), 2);
    EXPECT_EQ(data.GetUpdateTime(-3), 9);
    EXPECT_FALSE(data.SetBuffer(copy.data(), 127611));

    data.Set_UserManager_Client(reinterpret_cast<char*>(copy.data()), -5);
    data.Write_FontTTE(reinterpret_cast<_TQFontData_Struc1*>(copy.data()), 0x7FFFFFFF);
    EXPECT_EQ(data.GetUpdateTime(-2), -5);
    EXPECT_EQ(data.GetUpdateTime(-1), 0x7FFFFFFF);
}

TEST_F(ClientDataStore, ManagedCodesOutsideTheAreaAreAlwaysManaged) {
    std::vector<char> bits(800, 0);
    bits[0] = 0x02;  // U+E001
    data.Set_UserManager_Client(bits.data(), 1);
    EXPECT_TRUE(data.Get_UserManager(0x4E00));
    EXPECT_TRUE(data.Get_UserManager(0xE001));
    EXPECT_FALSE(data.Get_UserManager(0xE000));
    EXPECT_EQ(data.Get_UserManager_All(nullptr), 800);
    std::vector<char> out(800, 0);
    EXPECT_EQ(data.Get_UserManager_All(out.data()), 800);
    EXPECT_EQ(out, bits);
}

TEST(ClientDataCodeOrder, ManagedBitsMoveToTheirCodesInTheOtherOrder) {
    Client_Data data;
    std::mt19937 random(7);
    for (int type : {1, 2, 3}) {
        std::vector<char> source(800);
        for (auto& b : source) b = static_cast<char>(random());
        std::vector<char> bits = source;
        data.Change_UserMansger_DifferentCodeOrderType(bits.data(), type);

        // Each target takes the bit of the highest code that moves onto it; the rest keep theirs.
        std::vector<int> from(6400, -1);
        for (int i = 0; i < 6400; ++i) {
            const uint16_t to = AS400_2_Code::Get_ShouldUnicode(static_cast<uint16_t>(0xE000 + i), type);
            if (to != 0xFFFF && to >= 0xE000 && to <= 0xF8FF) from[to - 0xE000] = i;
        }
        int moved = 0;
        for (int t = 0; t < 6400; ++t) {
            const int s = from[t] < 0 ? t : from[t];
            moved += from[t] >= 0 && from[t] != t;
            ASSERT_EQ((bits[t / 8] >> (t % 8)) & 1, (source[s / 8] >> (s % 8)) & 1) << "type " << type << " code " << t;
        }
        EXPECT_GT(moved, 1000) << type;
    }
    std::vector<char> bits(800, 0x33);
    data.Change_UserMansger_DifferentCodeOrderType(bits.data(), 0);
    EXPECT_EQ(bits, std::vector<char>(800, 0x33));
}

TEST_F(ClientDataStore, FontTableReadsWithDefaultStyleNames) {
    _TQFontData_Struc1 table[16];
    data.Read_FontTTE(table);
    EXPECT_STREQ(table[0].StyleName, "\xA9\xFA\xC5\xE9");
    EXPECT_STREQ(table[1].StyleName, "\xB7\xA2\xAE\xD1\xC5\xE9");
    EXPECT_EQ(table[2].StyleName[0], 0);
    EXPECT_EQ(table[0].FaceName[0], 0);
    EXPECT_EQ(block[255], 0) << "the defaults are only read, not stored";

    std::strcpy(table[1].StyleName, "Kai");
    data.Write_FontTTE(table, 3);
    _TQFontData_Struc1 again[16];
    data.Read_FontTTE(again);
    EXPECT_STREQ(again[1].StyleName, "Kai");

    unsigned char flag[4] = {1, 2, 3, 4}, out[4] = {};
    EXPECT_TRUE(data.Set_SpecialFlag(flag));
    EXPECT_TRUE(data.Get_SpecialFlag(out));
    EXPECT_EQ(std::memcmp(out, flag, 4), 0);
    EXPECT_EQ(std::memcmp(block + 5944, flag, 4), 0);
}

}  // namespace
