// The contents of a new client data block.
#include <cstring>

#include "clientdata/client_block.h"

namespace clientdata {
namespace {

void SetSlot(_TQFontData_Struc1& slot, const char* face, const char* tteFile, const char* style) {
    std::strncpy(slot.FaceName, face, sizeof slot.FaceName - 1);
    std::strncpy(slot.TteFileName, tteFile, sizeof slot.TteFileName - 1);
    std::strncpy(slot.StyleName, style, sizeof slot.StyleName - 1);
}

}  // namespace

void FillDefaultBlock(uint8_t* block) {
    std::memset(block, 0, kClientDataBlockSize);
    _TQFontData_Struc1 slots[2] = {};
    SetSlot(slots[0], "SystemDefaultEUDCFont", "Windows\xA5\xD8\xBF\xFD\\EUDC.TTE", "\xA9\xFA\xC5\xE9");
    SetSlot(slots[1], "\xBC\xD0\xB7\xA2\xC5\xE9", "Windows\xA5\xD8\xBF\xFD\\KAI.TTE", "\xB7\xA2\xAE\xD1\xC5\xE9");
    std::memcpy(block + kFontTableOffset, slots, sizeof slots);
    block[kSpecialFlagOffset + 3] = 0x01;
}

}  // namespace clientdata
