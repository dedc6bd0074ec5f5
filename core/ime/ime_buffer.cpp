#include "eudccore/ime_buffer.h"

#include <algorithm>
#include <cstring>

#include "foundation/endian.h"
#include "ime/ime_image.h"

namespace eudc {
namespace {

constexpr char kTableTag[] = "CWIN_TBL";
// "倉頡" in code page 950: the name the header carries until the front end stamps its own.
constexpr uint8_t kTemplateName[] = {0xAD, 0xDC, 0xBE, 0x65};
constexpr uint16_t kRecordTag = 1;

enum class ImeKeyMode { Zhuyin = 0, Changjie = 1 };

// A key sequence with nothing to type: Changjie without a first letter, Zhuyin without any of
// initial, medial and final. Any other mode treats every sequence as empty.
bool KeysEmpty(const char* keys, int keyCount, int mode) {
    if (keys == nullptr) return true;
    const auto key = [&](int i) { return static_cast<uint8_t>(keys[i]); };
    if (mode == static_cast<int>(ImeKeyMode::Changjie)) return key(0) == 0 || key(0) == 0x20;
    if (mode == static_cast<int>(ImeKeyMode::Zhuyin)) {
        for (int i = 0; i < std::min(3, keyCount); ++i)
            if (key(i) != 0) return false;
        return true;
    }
    return true;
}

uint8_t* RecordAt(unsigned char* image, int index, int recordSize) {
    return image + kImeHeaderSize + index * recordSize;
}

void SetCount(unsigned char* image, int delta) {
    uint8_t* count = image + kImeCountOffset;
    endian::StoreLE16(count, static_cast<uint16_t>(endian::LoadLE16(count) + delta));
}

// The key count of an image these functions can work on: one that fits a version-2 record.
// Anything else (no image, a cut header, a damaged key count) is left alone.
int UsableKeyCount(const unsigned char* image, int length) {
    if (image == nullptr || length < kImeHeaderSize) return 0;
    const int keyCount = image[kImeKeyCountOffset];
    return keyCount >= 1 && keyCount <= kImeV2MaxKeys ? keyCount : 0;
}

// Removes record `index`: the records after it move down over it.
int RemoveRecord(unsigned char* image, int index, int recordSize, int length) {
    uint8_t* record = RecordAt(image, index, recordSize);
    const int after = length - (kImeHeaderSize + (index + 1) * recordSize);
    std::memmove(record, record + recordSize, after);
    SetCount(image, -1);
    return length - recordSize;
}

bool CountFull(const unsigned char* image) { return endian::LoadLE16(image + kImeCountOffset) == 0xFFFF; }

int AppendV1(unsigned char* image, uint16_t code, const char* keys, int keyCount, int length) {
    uint8_t* record = image + length;
    endian::StoreLE16(record, kRecordTag);
    endian::StoreLE16(record + 2, code);
    std::memcpy(record + 4, keys, keyCount);
    SetCount(image, +1);
    return length + ImeV1RecordSize(keyCount);
}

void WidenKeys(const char* keys, int keyCount, uint8_t* wideKeys) {
    for (int i = 0; i < keyCount; ++i) endian::StoreLE16(wideKeys + 2 * i, static_cast<uint8_t>(keys[i]));
}

void PutV2(uint8_t* record, uint16_t code, const uint8_t* wideKeys) {
    endian::StoreLE16(record, kRecordTag);
    endian::StoreLE16(record + 2, code);
    std::memcpy(record + 4, wideKeys, 2 * kImeV2MaxKeys);
}

}  // namespace

int AppendNewImeRecord(unsigned char* image, uint16_t code, const char* keys, int length, int mode, bool version2) {
    const int keyCount = UsableKeyCount(image, length);
    if (keyCount == 0 || KeysEmpty(keys, keyCount, mode) || CountFull(image)) return length;
    if (!version2) return AppendV1(image, code, keys, keyCount, length);
    uint8_t wideKeys[2 * kImeV2MaxKeys] = {};
    WidenKeys(keys, keyCount, wideKeys);
    PutV2(image + length, code, wideKeys);
    SetCount(image, +1);
    return length + kImeV2RecordSize;
}

int ImeRecordsInImage(const unsigned char* image, int length, int recordSize) {
    if (image == nullptr || length < kImeHeaderSize || recordSize <= 0) return 0;
    const int count = endian::LoadLE16(image + kImeCountOffset);
    return std::min(count, (length - kImeHeaderSize) / recordSize);
}

int FindImeRecord(const unsigned char* image, int length, int recordSize, uint16_t code) {
    const int records = ImeRecordsInImage(image, length, recordSize);
    for (int i = 0; i < records; ++i)
        if (endian::LoadLE16(image + kImeHeaderSize + i * recordSize + 2) == code) return i;
    return -1;
}

}  // namespace eudc

int Empty_ImeBuffer(unsigned char* image, char keyCount, bool unicode, bool newFormat) {
    using namespace eudc;
    std::memset(image, 0, kImeHeaderSize);
    image[1] = 0x01;
    std::memcpy(image + 2, kTableTag, sizeof kTableTag - 1);
    endian::StoreLE16(image + kImeVersionOffset, 1);
    image[64] = 0x0D;
    std::memcpy(image + kImeNameOffset, kTemplateName, sizeof kTemplateName);

    image[kImeKeyCountOffset] = static_cast<uint8_t>(keyCount);
    uint16_t codePage = kImeCodePageBig5;
    if (unicode && !newFormat) {
        codePage = kImeCodePageUnicode;
    } else if (unicode) {
        endian::StoreLE16(image + kImeVersionOffset, 2);
        std::memset(image + kImeNameOffset, 0, kImeNameSize - 1);
    }
    endian::StoreLE16(image + kImeCodePageOffset, codePage);
    return kImeHeaderSize;
}

int Manager_ImeBuffer(unsigned char* image, unsigned short code, const char* keys, int length, int mode) {
    using namespace eudc;
    const int keyCount = UsableKeyCount(image, length);
    if (keyCount == 0) return length;
    const int recordSize = ImeV1RecordSize(keyCount);
    const bool empty = KeysEmpty(keys, keyCount, mode);

    const int found = FindImeRecord(image, length, recordSize, code);
    if (found >= 0) {
        if (empty) return RemoveRecord(image, found, recordSize, length);
        std::memcpy(RecordAt(image, found, recordSize) + 4, keys, keyCount);
        return length;
    }
    if (empty || CountFull(image)) return length;
    return AppendV1(image, code, keys, keyCount, length);
}

int Manager_ImeBuffer_NZuin_XP(unsigned char* image, unsigned short code, const char* keys, int length, int mode) {
    using namespace eudc;
    const int keyCount = UsableKeyCount(image, length);
    if (keyCount == 0) return length;
    const bool empty = KeysEmpty(keys, keyCount, mode);

    uint8_t wideKeys[2 * kImeV2MaxKeys] = {};
    if (!empty) WidenKeys(keys, keyCount, wideKeys);

    const int found = FindImeRecord(image, length, kImeV2RecordSize, code);
    if (found >= 0) {
        if (empty) return RemoveRecord(image, found, kImeV2RecordSize, length);
        std::memcpy(RecordAt(image, found, kImeV2RecordSize) + 4, wideKeys, sizeof wideKeys);
        return length;
    }
    if (empty || CountFull(image)) return length;

    // Records stay sorted by code: the new one goes before the first greater code.
    const int records = ImeRecordsInImage(image, length, kImeV2RecordSize);
    uint8_t* record = image + length;
    for (int i = 0; i < records; ++i) {
        uint8_t* candidate = RecordAt(image, i, kImeV2RecordSize);
        if (endian::LoadLE16(candidate + 2) > code) {
            std::memmove(candidate + kImeV2RecordSize, candidate, image + length - candidate);
            record = candidate;
            break;
        }
    }
    PutV2(record, code, wideKeys);
    SetCount(image, +1);
    return length + kImeV2RecordSize;
}
