// Layout of the client data block and the process-wide state every Client_Data object shares.
#pragma once
#include <cstdint>

#include "eudccore/client_data.h"
#include "foundation/os_file.h"

namespace clientdata {

constexpr uint32_t kFontTableOffset = 0;
constexpr uint32_t kFontTableTimeOffset = 5136;
constexpr uint32_t kUserManagerOffset = 5140;
constexpr uint32_t kUserManagerTimeOffset = 5940;
constexpr uint32_t kSpecialFlagOffset = 5944;
constexpr uint32_t kRecordsOffset = 5948;
constexpr uint32_t kSlotTimesOffset = 127548;
static_assert(kSlotTimesOffset + 4 * kFontSlotCount == kClientDataBlockSize);
static_assert(kRecordsOffset + kClientRecordSize * kClientCodeCount == kSlotTimesOffset);
static_assert(kUserManagerOffset + kUserManagerBytes == kUserManagerTimeOffset);

// Record bytes.
constexpr uint32_t kRecordCnsOffset = 1;
constexpr uint32_t kRecordZhuyinOffset = 4;
constexpr uint32_t kRecordTimeOffset = 13;

// The published mapping behind the block.
constexpr uint32_t kMappingWindowsDirOffset = 127612;
constexpr uint32_t kMappingSystemDirOffset = 127741;
constexpr uint32_t kMappingCompanyOffset = 127870;
constexpr uint32_t kMappingDirField = 129;
constexpr uint32_t kMappingCompanyField = 29;
static_assert(kMappingCompanyOffset + kMappingCompanyField == kClientMappingSize);

struct ProcessState {
    uint8_t block[kClientDataBlockSize];
    int32_t lastFontTimes[kFontSlotCount];
    int32_t codeDataTime;
    OS_File dataFile;
};

ProcessState& State();

inline uint8_t* Record(int index) { return State().block + kRecordsOffset + kClientRecordSize * index; }
int32_t LoadTime(const uint8_t* p);
void StoreTime(uint8_t* p, int32_t time);
// An empty character record: blanks in the Zhuyin and Changjie fields, zero elsewhere.
void EmptyRecord(uint8_t* record);
// Fills the block with the contents of a new one.
void FillDefaultBlock(uint8_t* block);

}  // namespace clientdata
