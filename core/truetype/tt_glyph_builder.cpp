#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "foundation/endian.h"
#include "truetype/fixed_point.h"
#include "truetype/glyf_format.h"
#include "truetype/glyph_builder.h"
#include "truetype/tt_glyph.h"

namespace {

using namespace glyf;
constexpr uint32_t kGlyphHeaderSize = glyf::kHeaderSize;
// numberOfContours is a signed 16-bit field.
constexpr size_t kMaxContours = 32767;
constexpr size_t kUsualPoints = 512;
constexpr size_t kUsualContours = 32;

bool FitsInt16(int32_t v) { return v >= -32768 && v <= 32767; }

}  // namespace

CTTGlyphBuilder::CTTGlyphBuilder(TTGlyph* glyph, int32_t scale, int32_t originX, int32_t originY, int32_t offsetX,
                                 int32_t offsetY)
    : CGlyphBuilder(glyph, scale, originX, originY, offsetX, offsetY) {}

CTTGlyphBuilder::~CTTGlyphBuilder() { ReleaseBuffers(); }

void CTTGlyphBuilder::ReleaseBuffers() {
    std::free(xBytes_);
    std::free(yBytes_);
    xBytes_ = yBytes_ = nullptr;
}

void CTTGlyphBuilder::BeginGlyph() {
    endPoints_.clear();
    flags_.clear();
    ReleaseBuffers();
    Glyph()->Reset();
    xBytes_ = static_cast<uint8_t*>(std::malloc(kCoordinateBufferSize));
    yBytes_ = static_cast<uint8_t*>(std::malloc(kCoordinateBufferSize));
    working_ = xBytes_ != nullptr && yBytes_ != nullptr;
    // Room for a usual glyph, so that points are added without regrowing.
    flags_.reserve(kUsualPoints);
    endPoints_.reserve(kUsualContours);
    xUsed_ = yUsed_ = 0;
    previousX_ = previousY_ = 0;
    xMin_ = 32767;
    xMax_ = -32768;
    yMin_ = 32767;
    yMax_ = -32768;
}

void CTTGlyphBuilder::BeginContour() {}

namespace {

// One coordinate's step into its buffer; returns the flag bits it takes.
inline uint8_t WriteDelta(int32_t delta, uint8_t shortBit, uint8_t sameBit, uint8_t* buffer, uint32_t& used) {
    if (delta == 0) return sameBit;
    if (delta >= 256 || delta <= -256) {
        endian::StoreBE16(buffer + used, static_cast<uint16_t>(static_cast<int16_t>(delta)));
        used += 2;
        return 0;
    }
    buffer[used++] = static_cast<uint8_t>(delta > 0 ? delta : -delta);
    return delta > 0 ? shortBit | sameBit : shortBit;
}

}  // namespace

void CTTGlyphBuilder::AddPoint(int type, int32_t x, int32_t y) {
    if (!working_) return;
    const int32_t X = fixed::Round(TransformX(x));
    const int32_t Y = fixed::Round(TransformY(y));
    const int32_t dx = X - previousX_;
    const int32_t dy = Y - previousY_;
    // A simple glyph stores 16-bit coordinates as 16-bit steps; the buffers hold kMaxPoints.
    if (!FitsInt16(X) || !FitsInt16(Y) || !FitsInt16(dx) || !FitsInt16(dy) || flags_.size() >= kMaxPoints) {
        working_ = false;
        return;
    }
    xMin_ = std::min(xMin_, X);
    xMax_ = std::max(xMax_, X);
    yMin_ = std::min(yMin_, Y);
    yMax_ = std::max(yMax_, Y);
    const uint8_t flag = (type == kOnCurve ? kFlagOnCurve : 0) |
                         WriteDelta(dx, kFlagXShort, kFlagXSameOrPositive, xBytes_, xUsed_) |
                         WriteDelta(dy, kFlagYShort, kFlagYSameOrPositive, yBytes_, yUsed_);
    previousX_ = X;
    previousY_ = Y;
    flags_.push_back(flag);
}

void CTTGlyphBuilder::EndContour() {
    if (!working_) return;
    // A contour that added no point would give an end point that does not ascend.
    const size_t last = endPoints_.empty() ? 0 : endPoints_.back() + 1u;
    if (flags_.size() == last) return;
    if (endPoints_.size() >= kMaxContours) {
        working_ = false;
        return;
    }
    endPoints_.push_back(static_cast<uint16_t>(flags_.size() - 1));
}

void CTTGlyphBuilder::EndGlyph() {
    TTGlyph* glyph = Glyph();
    const size_t n = endPoints_.size();
    if (!working_ || n == 0) {
        glyph->AttachData(nullptr, 0);
        ReleaseBuffers();
        return;
    }
    uint32_t size = kGlyphHeaderSize + 2 * static_cast<uint32_t>(n) + 2 + static_cast<uint32_t>(flags_.size()) +
                    xUsed_ + yUsed_;
    const bool pad = size % 2 != 0;
    if (pad) ++size;
    auto* data = static_cast<uint8_t*>(std::malloc(size));
    if (data == nullptr) {
        working_ = false;
        glyph->AttachData(nullptr, 0);
        ReleaseBuffers();
        return;
    }
    uint8_t* p = data;
    endian::StoreBE16(p, static_cast<uint16_t>(n));
    endian::StoreBE16(p + 2, static_cast<uint16_t>(xMin_));
    endian::StoreBE16(p + 4, static_cast<uint16_t>(yMin_));
    endian::StoreBE16(p + 6, static_cast<uint16_t>(xMax_));
    endian::StoreBE16(p + 8, static_cast<uint16_t>(yMax_));
    p += kGlyphHeaderSize;
    for (uint16_t end : endPoints_) {
        endian::StoreBE16(p, end);
        p += 2;
    }
    endian::StoreBE16(p, 0);  // no instructions
    p += 2;
    std::memcpy(p, flags_.data(), flags_.size());
    p += flags_.size();
    std::memcpy(p, xBytes_, xUsed_);
    p += xUsed_;
    std::memcpy(p, yBytes_, yUsed_);
    p += yUsed_;
    if (pad) *p = 0;
    glyph->AttachData(data, size);
    ReleaseBuffers();
}
