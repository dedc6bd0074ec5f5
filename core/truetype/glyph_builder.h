// Glyph builders: outlines are fed to them point by point, in 16.16 coordinates that every
// builder moves through its transform ((p - origin) x scale + offset) first.
//
// A driver calls BeginGlyph, then for each contour BeginContour, AddPoint per point and
// EndContour, and at last EndGlyph.
#pragma once
#include <cstdint>
#include <vector>

#include "truetype/fixed_point.h"
#include "truetype/glyph_outline.h"

class TTGlyph;

class CGlyphBuilder {
public:
    static constexpr int kOffCurve = 0;
    static constexpr int kOnCurve = 1;

    virtual void BeginGlyph() = 0;
    virtual void EndGlyph() = 0;
    virtual void BeginContour() = 0;
    virtual void EndContour() = 0;
    virtual void AddPoint(int type, int32_t x, int32_t y) = 0;

protected:
    CGlyphBuilder(void* target, int32_t scale, int32_t originX, int32_t originY, int32_t offsetX, int32_t offsetY)
        : target_(target), scale_(scale), originX_(originX), originY_(originY), offsetX_(offsetX), offsetY_(offsetY) {}
    // Builders are never deleted through the base.
    ~CGlyphBuilder() = default;
    CGlyphBuilder(const CGlyphBuilder&) = delete;
    CGlyphBuilder& operator=(const CGlyphBuilder&) = delete;

    // Inline: every point of every glyph goes through them.
    int32_t TransformX(int32_t x) const { return Transform(x, originX_, scale_, offsetX_); }
    int32_t TransformY(int32_t y) const { return Transform(y, originY_, scale_, offsetY_); }

    static int32_t Saturate(int64_t v) {
        return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
    }
    // (value - origin) x scale + offset, all 16.16. Extreme inputs saturate instead of wrapping, so
    // that a wild point stays far away rather than landing somewhere inside the em. A scale of 1.0
    // leaves the value as the rounded product would.
    static int32_t Transform(int32_t value, int32_t origin, int32_t scale, int32_t offset) {
        const int64_t relative = Saturate(static_cast<int64_t>(value) - origin);
        const int64_t scaled = scale == fixed::kOne ? relative : fixed::Mul(relative, scale);
        return Saturate(scaled + offset);
    }

    void* target_;
    int32_t scale_;
    int32_t originX_, originY_;
    int32_t offsetX_, offsetY_;
};

// Encodes a TrueType simple glyph straight into its target. Without its coordinate buffers, or
// once the glyph outgrows what a simple glyph can hold (more than kMaxPoints points, a coordinate
// or a step between points beyond 16 bits), the builder gives up and the glyph ends up empty.
class CTTGlyphBuilder final : public CGlyphBuilder {
public:
    static constexpr uint32_t kCoordinateBufferSize = 65536;
    static constexpr uint32_t kMaxPoints = 32768;

    CTTGlyphBuilder(TTGlyph* glyph, int32_t scale, int32_t originX, int32_t originY, int32_t offsetX,
                    int32_t offsetY);
    ~CTTGlyphBuilder();

    void BeginGlyph() override;
    void EndGlyph() override;
    void BeginContour() override;
    void EndContour() override;
    void AddPoint(int type, int32_t x, int32_t y) override;

    // False once the builder has given up on the current glyph.
    bool IsWorking() const { return working_; }

private:
    TTGlyph* Glyph() const { return static_cast<TTGlyph*>(target_); }
    void ReleaseBuffers();

    bool working_ = false;
    uint8_t* xBytes_ = nullptr;
    uint8_t* yBytes_ = nullptr;
    uint32_t xUsed_ = 0;
    uint32_t yUsed_ = 0;
    // 16-bit values, kept wide so that a point costs no conversions.
    int32_t previousX_ = 0;
    int32_t previousY_ = 0;
    int32_t xMin_ = 32767, xMax_ = -32768, yMin_ = 32767, yMax_ = -32768;
    std::vector<uint16_t> endPoints_;
    std::vector<uint8_t> flags_;
};

// Collects the points into a GlyphOutline; its offset is always (512.0, 512.0).
class CBSGlyphBuilder final : public CGlyphBuilder {
public:
    CBSGlyphBuilder(GlyphOutline* outline, int32_t scale, int32_t originX, int32_t originY);
    ~CBSGlyphBuilder() = default;

    void BeginGlyph() override;
    void EndGlyph() override;
    void BeginContour() override;
    void EndContour() override;
    void AddPoint(int type, int32_t x, int32_t y) override;

private:
    GlyphOutline* Outline() const { return static_cast<GlyphOutline*>(target_); }

    std::vector<OutlinePoint> points_;
};
