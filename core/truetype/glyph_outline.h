// A collected outline: contours of points in 16.16, each with what the outline processing
// learns about it (bounding box, orientation, nesting depth).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/wingdi.h"
#include "truetype/tt_glyph.h"

struct OutlinePoint {
    uint16_t onCurve = 1;  // 1 on-curve, 0 quadratic control point
    int32_t x = 0;         // 16.16
    int32_t y = 0;
};

struct OutlineContour {
    // Integer box of the points and of the curves between them.
    int32_t xMin = 0;
    int32_t yMin = 0;
    int32_t xMax = 0;
    int32_t yMax = 0;
    HRGN region = nullptr;  // only while the orientation is worked out
    int32_t regionBox[4] = {};  // left, top, right, bottom of the region's polygon
    int16_t orientation = 0;  // 1 clockwise (y up), -1 counter-clockwise, 0 unknown or flat
    int16_t depth = 0;        // how many other contours enclose this one
    std::vector<OutlinePoint> points;

    // Samples every segment and sets the box; a contour without points gets the empty start box.
    void ComputeBoundingBox();
    // Swaps point k with point n - 1 - k.
    void Reverse();
};

struct GlyphOutline {
    uint16_t advanceWidth = TTGlyph::kResetAdvanceWidth;
    uint16_t advanceHeight = TTGlyph::kResetAdvanceHeight;
    int16_t leftSideBearing = TTGlyph::kResetLeftSideBearing;
    int16_t topSideBearing = TTGlyph::kResetTopSideBearing;
    std::vector<std::unique_ptr<OutlineContour>> contours;
};
