// A glyph record holding one closed square contour (a 34-byte glyf entry), for tests that need
// real glyphs to move around.
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/endian.h"
#include "truetype/tt_glyph.h"

namespace testsupport {

inline TTGlyph BoxGlyph(int16_t x0, int16_t y0, int16_t x1, int16_t y1, uint16_t advanceWidth = 1024) {
    std::vector<uint8_t> d(34);
    endian::StoreBE16(&d[0], 1);
    endian::StoreBE16(&d[2], static_cast<uint16_t>(x0));
    endian::StoreBE16(&d[4], static_cast<uint16_t>(y0));
    endian::StoreBE16(&d[6], static_cast<uint16_t>(x1));
    endian::StoreBE16(&d[8], static_cast<uint16_t>(y1));
    endian::StoreBE16(&d[10], 3);  // last point
    endian::StoreBE16(&d[12], 0);  // no instructions
    for (int i = 0; i < 4; ++i) d[14 + i] = 0x01;  // on curve, 16-bit deltas
    const int16_t xs[4] = {x0, 0, static_cast<int16_t>(x1 - x0), 0};
    const int16_t ys[4] = {y0, static_cast<int16_t>(y1 - y0), 0, static_cast<int16_t>(y0 - y1)};
    for (int i = 0; i < 4; ++i) endian::StoreBE16(&d[18 + 2 * i], static_cast<uint16_t>(xs[i]));
    for (int i = 0; i < 4; ++i) endian::StoreBE16(&d[26 + 2 * i], static_cast<uint16_t>(ys[i]));
    TTGlyph g;
    g.SetData(d.data(), static_cast<uint32_t>(d.size()));
    g.SetMetrics(advanceWidth, 1024, x0, static_cast<int16_t>(820 - y1));
    return g;
}

}  // namespace testsupport
