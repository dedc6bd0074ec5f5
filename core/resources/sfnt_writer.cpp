#include "resources/sfnt_writer.h"

#include <algorithm>
#include <cstring>

#include "foundation/endian.h"

namespace eudc::resources {
namespace {

constexpr uint32_t kSfntVersionTrueType = 0x00010000;
constexpr size_t kHeadChecksumAdjustment = 8;

}  // namespace

void BigEndianBytes::U16(uint16_t v) {
    uint8_t b[2];
    endian::StoreBE16(b, v);
    bytes_.insert(bytes_.end(), b, b + 2);
}

void BigEndianBytes::U32(uint32_t v) {
    uint8_t b[4];
    endian::StoreBE32(b, v);
    bytes_.insert(bytes_.end(), b, b + 4);
}

void BigEndianBytes::U64(uint64_t v) {
    U32(static_cast<uint32_t>(v >> 32));
    U32(static_cast<uint32_t>(v));
}

void BigEndianBytes::Tag(std::string_view fourChars) {
    for (size_t i = 0; i < 4; ++i) U8(i < fourChars.size() ? static_cast<uint8_t>(fourChars[i]) : ' ');
}

std::vector<uint8_t> AssembleSfnt(const std::vector<SfntTable>& tablesInBodyOrder) {
    const size_t numTables = tablesInBodyOrder.size();
    uint16_t entrySelector = 0;
    while ((2u << entrySelector) <= numTables) ++entrySelector;
    const uint16_t searchRange = static_cast<uint16_t>(16u << entrySelector);

    struct Placed {
        const SfntTable* table;
        size_t offset;
    };
    std::vector<Placed> placed;
    size_t end = SfntDirectoryLength(numTables);
    for (const auto& t : tablesInBodyOrder) {
        placed.push_back({&t, end});
        end += Pad4(t.data.size());
    }

    std::vector<uint8_t> file(end, 0);  // the zeros are the tables' padding
    endian::StoreBE32(file.data(), kSfntVersionTrueType);
    endian::StoreBE16(file.data() + 4, static_cast<uint16_t>(numTables));
    endian::StoreBE16(file.data() + 6, searchRange);
    endian::StoreBE16(file.data() + 8, entrySelector);
    endian::StoreBE16(file.data() + 10, static_cast<uint16_t>(numTables * 16 - searchRange));

    std::vector<Placed> byTag = placed;
    std::sort(byTag.begin(), byTag.end(),
              [](const Placed& a, const Placed& b) { return a.table->tag < b.table->tag; });
    size_t headOffset = 0;
    bool haveHead = false;
    for (size_t i = 0; i < byTag.size(); ++i) {
        const SfntTable& t = *byTag[i].table;
        const size_t offset = byTag[i].offset;
        if (!t.data.empty()) std::memcpy(file.data() + offset, t.data.data(), t.data.size());
        if (t.tag == "head" && t.data.size() >= kHeadChecksumAdjustment + 4) {
            // The head checksum is taken with checkSumAdjustment 0, as the format wants.
            haveHead = true;
            headOffset = offset;
            endian::StoreBE32(file.data() + offset + kHeadChecksumAdjustment, 0);
        }
        uint8_t* entry = file.data() + 12 + 16 * i;
        for (size_t k = 0; k < 4; ++k) entry[k] = k < t.tag.size() ? static_cast<uint8_t>(t.tag[k]) : ' ';
        endian::StoreBE32(entry + 4, SfntChecksum(file.data() + offset, t.data.size()));
        endian::StoreBE32(entry + 8, static_cast<uint32_t>(offset));
        endian::StoreBE32(entry + 12, static_cast<uint32_t>(t.data.size()));
    }
    if (haveHead)
        endian::StoreBE32(file.data() + headOffset + kHeadChecksumAdjustment,
                          kSfntChecksumMagic - SfntChecksum(file.data(), file.size()));
    return file;
}

}  // namespace eudc::resources
