#include "character_records.h"

#include <cstring>

#include "backup_format.h"
#include "foundation/endian.h"

namespace restore {
namespace {
const uint8_t* g_records = nullptr;
}

void SetCharacterSource(const uint8_t* records) { g_records = records; }

void ServeCharacterRecord(uint32_t code, uint8_t* record) {
    if (!record) return;
    const uint16_t c = static_cast<uint16_t>(code & 0xFFFF);
    if (g_records && c >= backup::kFirstCode && c <= backup::kLastCode)
        std::memcpy(record, g_records + backup::kCharRecordSize * (c - backup::kFirstCode), backup::kCharRecordSize);
    else
        std::memset(record, 0, backup::kCharRecordSize);
    endian::StoreLE16(record + backup::kCharRecordSize, c);
}

}  // namespace restore
