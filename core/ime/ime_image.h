// The layout of a dictionary image, shared by the image functions and the writers.
#pragma once
#include <cstdint>

namespace eudc {

inline constexpr int kImeHeaderSize = 256;
inline constexpr int kImeVersionOffset = 10;
inline constexpr int kImeCountOffset = 12;
inline constexpr int kImeKeyCountOffset = 16;
inline constexpr int kImeCodePageOffset = 69;  // 16-bit at an odd offset
inline constexpr int kImeNameOffset = 71;
inline constexpr int kImeNameSize = 7;

inline constexpr uint16_t kImeCodePageBig5 = 950;
inline constexpr uint16_t kImeCodePageUnicode = 1200;

// A version-2 record: tag, code, eight 16-bit key indexes.
inline constexpr int kImeV2RecordSize = 20;
inline constexpr int kImeV2MaxKeys = 8;
// A version-1 record: tag, code, one byte per key.
inline constexpr int ImeV1RecordSize(int keyCount) { return keyCount + 4; }

// The number of whole records of `recordSize` bytes that both the header's count and `length`
// vouch for; 0 for a length shorter than the header.
int ImeRecordsInImage(const unsigned char* image, int length, int recordSize);

// The index of the record of `code` among those records, or -1.
int FindImeRecord(const unsigned char* image, int length, int recordSize, uint16_t code);

// What the image functions do for a code the image does not hold, without looking for it: the
// record goes at the end, which in a version-2 image is its sorted place only when `code` is above
// every code held. For images filled in ascending code order, where no search can find anything.
int AppendNewImeRecord(unsigned char* image, uint16_t code, const char* keys, int length, int mode, bool version2);

}  // namespace eudc
