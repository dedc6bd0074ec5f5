// Font-slot records: one EUDC font per slot, 16 slots in a table that travels unchanged between
// the backup file, the shared client data and the font manager.
#pragma once
#include <cstdint>

#include "eudccore/export.h"

#pragma pack(push, 1)
// 321 bytes, code page 950 strings, each zero-terminated within its field.
struct _TQFontData_Struc1 {
    char FaceName[64];      // name of the value under EUDC\950; empty = unused by the registry
    char TteFileName[191];  // optional directory token, "\", file name; empty = no TTE file
    char StyleName[66];     // carried, not interpreted
};

// One entry of a glyph batch.
struct _FontDataProperty_ {
    uint16_t Code;    // in the batch's code system
    uint16_t Length;  // of this entry's serialized glyph; 0 nothing to do, 0xFFFF remove the glyph
    uint8_t Reserved[4];
};
#pragma pack(pop)

static_assert(sizeof(_TQFontData_Struc1) == 321);
static_assert(sizeof(_FontDataProperty_) == 8);

constexpr int kFontSlotCount = 16;
constexpr int kFontTableBytes = 321 * kFontSlotCount;  // 5136

// Where a slot's TTE file lives and whether the registry is written.
enum _TerminalServiceMode_ : int32_t {
    TSM_SystemFolders = 0,   // system folders by directory token and Windows version; registry written
    TSM_CommonAppData = 1,   // the common application-data folder; registry left alone
    TSM_UserAppData = 2,     // the user's application-data folder; registry written
    TSM_CommonAppData2 = 3,  // as 1
};
static_assert(sizeof(_TerminalServiceMode_) == 4);
