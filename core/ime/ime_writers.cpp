#include "ime/ime_writers.h"

#include "codeconv/ansi_code.h"
#include "foundation/endian.h"
#include "eudccore/ime_buffer.h"
#include "ime/ime_image.h"
#include "ime/ime_key_index.h"

namespace eudc {

struct ImeWriterFormat {
    int capacity;
    char keyCount;
    bool unicode;
    bool newFormat;  // with unicode: version 2
    bool changjie;   // which field of the character record holds the keys
    bool Version2() const { return unicode && newFormat; }
};

}  // namespace eudc

namespace {

using eudc::ImeWriterFormat;

constexpr unsigned int kFirstCode = 0xE000;
constexpr int kCodeCount = 6400;  // U+E000..U+F8FF
constexpr int kZuinKeys = 4;
constexpr int kChanjeiKeys = 5;
constexpr int kZhuyinMode = 0;
constexpr int kChangjieMode = 1;

// The four places of a Zhuyin field, as key indexes.
void ZuinIndexes(const char* keys, char indexes[kZuinKeys]) {
    unsigned char places[kZuinKeys];
    Zuin__Tavio_2_Microsoft(keys, places);
    for (int i = 0; i < kZuinKeys; ++i)
        indexes[i] = static_cast<char>(eudc::ZuinKeyIndex(static_cast<char>(places[i])));
}

void ChanjeiIndexes(const char* keys, char indexes[kChanjeiKeys]) {
    for (int i = 0; i < kChanjeiKeys; ++i) indexes[i] = static_cast<char>(eudc::ChanjeiKeyIndex(keys[i]));
}

// The code a record carries: Unicode in a Unicode image, else the Big5 code. False for a
// character the code page cannot write: as "??" it would share one record with every other such
// character and offer "??" for their keys.
bool RecordCode(const unsigned char* image, const ImeWriterFormat& format, unsigned int code,
                unsigned short* recordCode) {
    const auto unit = static_cast<unsigned short>(code & 0xFFFF);
    if (format.Version2() || endian::LoadLE16(image + eudc::kImeCodePageOffset) == eudc::kImeCodePageUnicode) {
        *recordCode = unit;
        return true;
    }
    bool usedDefault = false;
    const WORD big5 = eudc::UnicodeToAnsiCode(unit, "??", &usedDefault);
    if (usedDefault || big5 == eudc::kNoCode) return false;
    *recordCode = big5;
    return true;
}

constexpr ImeWriterFormat kZuinA{RegWord_Zuin_A::kCapacity, kZuinKeys, false, false, false};
constexpr ImeWriterFormat kZuinU{RegWord_Zuin_U::kCapacity, kZuinKeys, true, false, false};
constexpr ImeWriterFormat kChajeiA{RegWord_Chajei_A::kCapacity, kChanjeiKeys, false, false, true};
constexpr ImeWriterFormat kChajeiU{RegWord_Chajei_U::kCapacity, kChanjeiKeys, true, false, true};
constexpr ImeWriterFormat kNZuinXP{RegWord_NZuin_XP::kCapacity, kZuinKeys, true, true, false};
constexpr ImeWriterFormat kNChajeiVista{RegWord_NChajei_VISTA::kCapacity, kChanjeiKeys, true, true, true};

}  // namespace

RegWord_Base::RegWord_Base(RegisterWordCallback callback) : callback(callback) {}

RegWord_Base::~RegWord_Base() { delete[] image; }

void RegWord_Base::Reset() {
    delete[] image;
    image = nullptr;
    length = 0;
    Build(false);
}

int RegWord_Base::AddWord(unsigned int, const char*) { return 0; }

void RegWord_Base::Build(bool) {}

void RegWord_Base::BuildImage(const ImeWriterFormat& format, bool emptyOnly) {
    if (image != nullptr) return;
    image = new unsigned char[format.capacity]();
    length = Empty_ImeBuffer(image, format.keyCount, format.unicode, format.newFormat);
    if (emptyOnly || callback == nullptr) return;
    // Each code comes once, in ascending order (and the Big5 form of distinct codes is distinct):
    // no record can be found, so none is looked for.
    filling_ = true;
    for (int i = 0; i < kCodeCount; ++i) {
        const unsigned int code = kFirstCode + i;
        _WORD_DATA_Code record{};  // fresh for each code: nothing carries over from the last one
        callback(code, &record);
        if (record.UserWord == 0 && record.Cns.Plane == 0) continue;
        AddWord(code, format.changjie ? record.Changjie : record.Zhuyin);
    }
    filling_ = false;
}

int RegWord_Base::AddZuinWord(const ImeWriterFormat& format, unsigned int code, const char* keys) {
    if (image == nullptr) Build(false);
    char indexes[kZuinKeys];
    ZuinIndexes(keys, indexes);
    unsigned short recordCode = 0;
    if (RecordCode(image, format, code, &recordCode)) StoreRecord(format, recordCode, indexes);
    return 0;
}

int RegWord_Base::AddChanjeiWord(const ImeWriterFormat& format, unsigned int code, const char* keys) {
    if (image == nullptr) Build(false);
    char indexes[kChanjeiKeys];
    ChanjeiIndexes(keys, indexes);
    unsigned short recordCode = 0;
    if (RecordCode(image, format, code, &recordCode)) StoreRecord(format, recordCode, indexes);
    return 0;
}

void RegWord_Base::StoreRecord(const ImeWriterFormat& format, unsigned short recordCode, const char* indexes) {
    const int recordSize = format.Version2() ? eudc::kImeV2RecordSize : eudc::ImeV1RecordSize(format.keyCount);
    // A full image still takes changes to the words it holds; only a new word is refused.
    const int mode = format.changjie ? kChangjieMode : kZhuyinMode;
    if (filling_) {
        if (length + recordSize <= format.capacity)
            length = eudc::AppendNewImeRecord(image, recordCode, indexes, length, mode, format.Version2());
        return;
    }
    if (length + recordSize > format.capacity && eudc::FindImeRecord(image, length, recordSize, recordCode) < 0)
        return;
    length = format.Version2() ? Manager_ImeBuffer_NZuin_XP(image, recordCode, indexes, length, mode)
                               : Manager_ImeBuffer(image, recordCode, indexes, length, mode);
}

RegWord_Zuin_A::RegWord_Zuin_A(RegisterWordCallback callback) : RegWord_Base(callback) {}
RegWord_Zuin_A::~RegWord_Zuin_A() = default;
int RegWord_Zuin_A::AddWord(unsigned int code, const char* keys) { return AddZuinWord(kZuinA, code, keys); }
void RegWord_Zuin_A::Build(bool emptyOnly) { BuildImage(kZuinA, emptyOnly); }

RegWord_Zuin_U::RegWord_Zuin_U(RegisterWordCallback callback) : RegWord_Base(callback) {}
RegWord_Zuin_U::~RegWord_Zuin_U() = default;
int RegWord_Zuin_U::AddWord(unsigned int code, const char* keys) { return AddZuinWord(kZuinU, code, keys); }
void RegWord_Zuin_U::Build(bool emptyOnly) { BuildImage(kZuinU, emptyOnly); }

RegWord_Chajei_A::RegWord_Chajei_A(RegisterWordCallback callback) : RegWord_Base(callback) {}
RegWord_Chajei_A::~RegWord_Chajei_A() = default;
int RegWord_Chajei_A::AddWord(unsigned int code, const char* keys) { return AddChanjeiWord(kChajeiA, code, keys); }
void RegWord_Chajei_A::Build(bool emptyOnly) { BuildImage(kChajeiA, emptyOnly); }

RegWord_Chajei_U::RegWord_Chajei_U(RegisterWordCallback callback) : RegWord_Base(callback) {}
RegWord_Chajei_U::~RegWord_Chajei_U() = default;
int RegWord_Chajei_U::AddWord(unsigned int code, const char* keys) { return AddChanjeiWord(kChajeiU, code, keys); }
void RegWord_Chajei_U::Build(bool emptyOnly) { BuildImage(kChajeiU, emptyOnly); }

RegWord_NZuin_XP::RegWord_NZuin_XP(RegisterWordCallback callback) : RegWord_Base(callback) {}
RegWord_NZuin_XP::~RegWord_NZuin_XP() = default;
int RegWord_NZuin_XP::AddWord(unsigned int code, const char* keys) { return AddZuinWord(kNZuinXP, code, keys); }
void RegWord_NZuin_XP::Build(bool emptyOnly) { BuildImage(kNZuinXP, emptyOnly); }

RegWord_NChajei_VISTA::RegWord_NChajei_VISTA(RegisterWordCallback callback) : RegWord_Base(callback) {}
RegWord_NChajei_VISTA::~RegWord_NChajei_VISTA() = default;
int RegWord_NChajei_VISTA::AddWord(unsigned int code, const char* keys) { return AddChanjeiWord(kNChajeiVista, code, keys); }
void RegWord_NChajei_VISTA::Build(bool emptyOnly) { BuildImage(kNChajeiVista, emptyOnly); }
