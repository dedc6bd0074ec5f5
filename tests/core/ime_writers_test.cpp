// The six dictionary writers: building from the character records, the record each writes, the
// Big5 code, and an image that never grows past its capacity.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "eudccore/client_data.h"
#include "ime/ime_writers.h"

namespace {

using Bytes = std::vector<uint8_t>;
using MakeWriter = std::function<std::unique_ptr<RegWord_Base>(RegisterWordCallback)>;

template <class Writer>
MakeWriter Make() {
    return [](RegisterWordCallback callback) { return std::make_unique<Writer>(callback); };
}

void NoRecords(unsigned int, _WORD_DATA_Code*) {}

// U+E000 a user's character, U+E001 keys but neither byte 0 nor 1 set, U+F8FF only a CNS plane.
void ThreeRecords(unsigned int code, _WORD_DATA_Code* record) {
    if (code == 0xE000) {
        record->UserWord = 1;
        std::memcpy(record->Zhuyin, "1   ", 4);
        std::memcpy(record->Changjie, "A\0\0\0\0", 5);
    } else if (code == 0xE001) {
        std::memcpy(record->Zhuyin, "2   ", 4);
        std::memcpy(record->Changjie, "B\0\0\0\0", 5);
    } else if (code == 0xF8FF) {
        record->Cns.Plane = '1';
        std::memcpy(record->Zhuyin, "U8  ", 4);
        std::memcpy(record->Changjie, "AB\0\0\0", 5);
    }
}

Bytes At(const RegWord_Base& w, int from, int size) { return Bytes(w.image + from, w.image + from + size); }
int Count(const RegWord_Base& w) { return w.image[12] | w.image[13] << 8; }

struct WriterCase {
    const char* name;
    MakeWriter make;
    Bytes header;  // bytes 10, 16, 69, 70: version, key count, code page
    const char* keys;
    Bytes record;  // what U+E000 typed with `keys` becomes
};

const WriterCase kWriters[] = {
    {"Zuin_A", Make<RegWord_Zuin_A>(), {1, 4, 0xB6, 0x03}, "1   ", {1, 0, 0x40, 0xFA, 1, 0, 0, 38}},
    {"Zuin_U", Make<RegWord_Zuin_U>(), {1, 4, 0xB0, 0x04}, "1   ", {1, 0, 0x00, 0xE0, 1, 0, 0, 38}},
    {"Chajei_A", Make<RegWord_Chajei_A>(), {1, 5, 0xB6, 0x03}, "A\0\0\0\0",
     {1, 0, 0x40, 0xFA, 1, 0x20, 0x20, 0x20, 0x20}},
    {"Chajei_U", Make<RegWord_Chajei_U>(), {1, 5, 0xB0, 0x04}, "A\0\0\0\0",
     {1, 0, 0x00, 0xE0, 1, 0x20, 0x20, 0x20, 0x20}},
    {"NZuin_XP", Make<RegWord_NZuin_XP>(), {2, 4, 0xB6, 0x03}, "1   ",
     {1, 0, 0x00, 0xE0, 1, 0, 0, 0, 0, 0, 38, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"NChajei_VISTA", Make<RegWord_NChajei_VISTA>(), {2, 5, 0xB6, 0x03}, "A\0\0\0\0",
     {1, 0, 0x00, 0xE0, 1, 0, 0x20, 0, 0x20, 0, 0x20, 0, 0x20, 0, 0, 0, 0, 0, 0, 0}},
};

TEST(ImeWriters, EachWriterStoresItsRecordForTheTypedKeys) {
    for (const WriterCase& c : kWriters) {
        auto writer = c.make(NoRecords);
        EXPECT_EQ(writer->image, nullptr) << c.name;
        EXPECT_EQ(writer->AddWord(0x1E000, c.keys), 0) << "the low 16 bits are the code";
        ASSERT_NE(writer->image, nullptr) << c.name;
        EXPECT_EQ(Bytes({writer->image[10], writer->image[16], writer->image[69], writer->image[70]}), c.header)
            << c.name;
        EXPECT_EQ(writer->length, 256 + int(c.record.size())) << c.name;
        EXPECT_EQ(At(*writer, 256, int(c.record.size())), c.record) << c.name;
    }
}

TEST(ImeWriters, BuildTakesRecordsWithByte0Or1SetAndResetStartsOver) {
    struct Case {
        MakeWriter make;
        Bytes e000, f8ff;
    };
    const Case cases[] = {
        {Make<RegWord_Zuin_U>(), {1, 0, 0x00, 0xE0, 1, 0, 0, 38}, {1, 0, 0xFF, 0xF8, 0, 22, 25, 38}},
        {Make<RegWord_Chajei_U>(), {1, 0, 0x00, 0xE0, 1, 0x20, 0x20, 0x20, 0x20},
         {1, 0, 0xFF, 0xF8, 1, 2, 0x20, 0x20, 0x20}},
    };
    for (const Case& c : cases) {
        auto writer = c.make(ThreeRecords);
        writer->Build(true);
        EXPECT_EQ(writer->length, 256) << "emptyOnly";
        writer->Build(false);
        EXPECT_EQ(writer->length, 256) << "an image that exists is kept";

        writer->Reset();
        const int size = int(c.e000.size());
        ASSERT_EQ(writer->length, 256 + 2 * size);
        EXPECT_EQ(Count(*writer), 2);
        EXPECT_EQ(At(*writer, 256, size), c.e000);
        EXPECT_EQ(At(*writer, 256 + size, size), c.f8ff);

        writer->AddWord(0xE000, "\0\0\0\0\0");  // no keys: the word goes
        EXPECT_EQ(writer->length, 256 + size);
        EXPECT_EQ(At(*writer, 256, size), c.f8ff);
        writer->Reset();
        EXPECT_EQ(writer->length, 256 + 2 * size);
        EXPECT_EQ(At(*writer, 256, size), c.e000);
    }
}

TEST(ImeWriters, Big5WriterLeavesOutCharactersWithoutABig5Code) {
    RegWord_Zuin_A writer(NoRecords);
    writer.AddWord(0xF848, "1   ");  // the last code of the user-defined areas: Big5 C8FE
    writer.AddWord(0xF849, "1   ");  // no Big5 form: would be "??"
    writer.AddWord(0xF8FF, "2   ");
    ASSERT_EQ(writer.length, 256 + 8);
    EXPECT_EQ(At(writer, 256, 8), Bytes({1, 0, 0xFE, 0xC8, 1, 0, 0, 38}));
}

TEST(ImeWriters, ImageNeverGrowsPastItsCapacity) {
    struct Case {
        const char* name;
        MakeWriter make;
        int capacity, recordSize;
        const char* keys;
        bool descending;  // sorted images then insert every record at the front
    };
    const Case cases[] = {
        {"Zuin_U", Make<RegWord_Zuin_U>(), 58000, 8, "1   ", false},
        {"Chajei_U", Make<RegWord_Chajei_U>(), 58000, 9, "A\0\0\0\0", false},
        {"NZuin_XP", Make<RegWord_NZuin_XP>(), 128300, 20, "1   ", true},
        {"NChajei_VISTA", Make<RegWord_NChajei_VISTA>(), 135300, 20, "A\0\0\0\0", true},
    };
    for (const Case& c : cases) {
        auto writer = c.make(NoRecords);
        const int fits = (c.capacity - 256) / c.recordSize;
        const int fed = fits + 40;
        for (int i = 0; i < fed; ++i) writer->AddWord(c.descending ? unsigned(fed - i) : unsigned(i + 1), c.keys);
        EXPECT_EQ(Count(*writer), fits) << c.name;
        EXPECT_EQ(writer->length, 256 + fits * c.recordSize) << c.name;
        EXPECT_LE(writer->length, c.capacity) << c.name;

        // A full image still takes changes to the words it holds.
        const unsigned held = c.descending ? unsigned(fed) : 1u;
        writer->AddWord(held, "\0\0\0\0\0");
        EXPECT_EQ(Count(*writer), fits - 1) << c.name;
        writer->AddWord(0xFFFF, c.keys);
        EXPECT_EQ(Count(*writer), fits) << c.name;
        EXPECT_EQ(writer->length, 256 + fits * c.recordSize) << c.name;
    }
}

}  // namespace
