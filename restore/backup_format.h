// Layout of the backup file TQClient.tqb: a fixed header of 130564 bytes, then sections at offsets
// that the header's descriptors name. All integers are little-endian.
#pragma once
#include <cstddef>
#include <cstdint>

namespace backup {

constexpr uint32_t kHeaderLength = 130564;  // 0x1FE04
constexpr size_t kSignatureOffset = 4;
constexpr char kSignature[] = "TQClient_2";
constexpr size_t kSignatureLength = 10;

constexpr size_t kImeDescriptorOffset = 1136;
constexpr size_t kTteDescriptorOffset = 1152;  // descriptor of slot i at + 16 * i
constexpr size_t kDescriptorSize = 16;
constexpr int kSlotCount = 16;

constexpr size_t kClientBlockOffset = 1408;
constexpr size_t kClientBlockSize = 127612;
constexpr size_t kFontTableOffset = 1408;
constexpr size_t kFontRecordSize = 321;
constexpr size_t kFontTableSize = kFontRecordSize * kSlotCount;  // 5136
constexpr size_t kUserBitmapOffset = 6548;
constexpr size_t kUserBitmapSize = 800;
constexpr size_t kCharRecordsOffset = 7356;
constexpr size_t kCharRecordSize = 19;
constexpr int kCharCount = 6400;
constexpr size_t kCompatFlagsOffset = 129566;
constexpr uint8_t kCompatWindows6 = 0x04;

constexpr uint16_t kFirstCode = 0xE000;
constexpr uint16_t kLastCode = 0xF8FF;

static_assert(kFontTableSize == 5136);
static_assert(kFontTableOffset + kFontTableSize + 4 == kUserBitmapOffset);
static_assert(kUserBitmapOffset + kUserBitmapSize + 8 == kCharRecordsOffset);
static_assert(kCharRecordsOffset + kCharRecordSize * kCharCount + 64 == 129020);
static_assert(kClientBlockOffset + kClientBlockSize == 129020);
static_assert(kTteDescriptorOffset + kDescriptorSize * kSlotCount == kClientBlockOffset);
static_assert(kCompatFlagsOffset < kHeaderLength);

// Message numbers of the refusals (the program's string table).
constexpr int kRefusedWindows6 = 20173;
constexpr int kRefusedFormat = 20174;
constexpr int kRefusedOpen = 20175;
// Not about the file: the workstation is in use by Wine (its server runs on the prefix).
constexpr int kRefusedWorkstationInUse = 20176;

struct SectionDescriptor {
    uint32_t offset = 0;
    uint32_t length = 0;  // 0: the section is absent
    bool present() const { return length > 0; }
};

}  // namespace backup
