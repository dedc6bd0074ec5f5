// The version block of a described file, as GetFileVersionInfoA hands it out and VerQueryValueA
// reads it. Layout (little-endian): total length (DWORD), signature "EVB1", VS_FIXEDFILEINFO,
// translation (language WORD, code page WORD), string count (WORD), then per string the name and
// the value, each a WORD length (with terminator) and code page 950 bytes ending in zero.
#pragma once
#include <string_view>
#include <vector>

#include "ime/ime_descriptor.h"
#include "platform/winver.h"

namespace platform::ime {

constexpr size_t kVersionBlockHeader = 8;

// The block of a descriptor with a product version.
std::vector<BYTE> BuildVersionBlock(const Descriptor& d);
// The block cut to size bytes (at least kVersionBlockHeader), its total length saying so.
void CutVersionBlock(std::vector<BYTE>& block, size_t size);

// A value of the block, or false when the block has no such value or is not one of ours.
bool QueryVersionBlock(const BYTE* block, std::string_view subBlock, const void*& value, UINT& length);

}  // namespace platform::ime
