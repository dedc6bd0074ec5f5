// Assembly of a TrueType (sfnt) file from finished table images, for the built-in templates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "truetype/sfnt_checksum.h"

namespace eudc::resources {

// Appends big-endian values to a growing table image.
class BigEndianBytes {
public:
    void U8(uint8_t v) { bytes_.push_back(v); }
    void U16(uint16_t v);
    void S16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void U32(uint32_t v);
    void U64(uint64_t v);
    void Tag(std::string_view fourChars);
    void Zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }

    size_t size() const { return bytes_.size(); }
    std::vector<uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

struct SfntTable {
    std::string_view tag;  // four characters
    std::vector<uint8_t> data;
};

constexpr size_t Pad4(size_t n) { return (n + 3) & ~static_cast<size_t>(3); }
constexpr size_t SfntDirectoryLength(size_t numTables) { return 12 + 16 * numTables; }

// Lays the tables out in the given order behind a directory sorted by tag, each table padded
// with zeros to 4 bytes, every directory checksum taken and, when there is a "head" table, its
// checkSumAdjustment set so that the whole file sums to 0xB1B0AFBA.
std::vector<uint8_t> AssembleSfnt(const std::vector<SfntTable>& tablesInBodyOrder);

}  // namespace eudc::resources
