// Logical fonts (HFONT), the font each DC has selected, and how a logical font is realised on a
// face of the font catalogue.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi/font_face.h"
#include "gdi/gdi_objects.h"
#include "platform/wingdi.h"

namespace platform::gdi {

class FontObject : public GdiObject {
public:
    explicit FontObject(const LOGFONTA& lf, bool stock = false) : logFont_(lf), stock_(stock) {}
    const LOGFONTA& logFont() const { return logFont_; }
    bool stock() const { return stock_; }

private:
    LOGFONTA logFont_;
    bool stock_;
};

// A logical font realised on one face: the face and the pixel scale in both directions as
// fractions (pixels = units x num / den).
struct RealizedFont {
    std::shared_ptr<const FontFace> face;  // keeps its catalogue alive
    std::string askedName;   // lfFaceName as given (code page 950)
    std::string familyName;  // the family name the face answered to (code page 950)
    int64_t emPixels = 0;    // em height in pixels
    int64_t yNum = 1, yDen = 1;
    int64_t xNum = 1, xDen = 1;
};

// The change generation for GetTextMetrics on dc. The next outline of the same selection is
// answered at that generation too, so that metrics and outline come from one version of the
// font, and a measure-then-outline pair checks for changes once; any later call checks anew.
uint64_t MeasureGeneration(HDC dc);
uint64_t OutlineGeneration(HDC dc);

// The font selected into dc (the stock font when none was), or null for a bad DC.
std::shared_ptr<FontObject> SelectedFont(HDC dc);

// Realises lf on the catalogue: FontSubstitutes first, then every family name; a name that
// matches no face falls back to the catalogue's first face. Null when there are no fonts. The
// same object is returned for the same description while the change generation
// (change_watch.h) stays where it is.
std::shared_ptr<const RealizedFont> RealizeFont(const LOGFONTA& lf, uint64_t generation);

// Rounds num / den to the nearest integer, halves away from zero (den > 0).
int64_t RoundDiv(int64_t num, int64_t den);

}  // namespace platform::gdi
