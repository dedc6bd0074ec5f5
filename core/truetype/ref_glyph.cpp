#include "eudccore/ref_glyph.h"

#include <cstdint>
#include <new>

#include "common/process_version.h"
#include "platform/winnls.h"
#include "truetype/build_tt_glyph.h"
#include "truetype/system_glyph_outline.h"
#include "truetype/tt_glyph.h"

namespace {

// Windows 2000, XP, Server 2003 and version 6 draw by UTF-16 code; the others by code page code.
bool DrawsByUnicode(int versionCode) { return versionCode >= 13 && versionCode <= 16; }

bool LoadReferenceOutline(GlyphOutline& outline, uint16_t code, const char* faceName) {
    if (DrawsByUnicode(eudc::WindowsVersionCode())) return LoadSystemGlyphOutline(outline, code, faceName, true);
    const WCHAR wide = code;
    char bytes[4] = {0, 0, 0, 0};
    const int length = WideCharToMultiByte(CP_ACP, 0, &wide, 1, bytes, sizeof bytes, "?", nullptr);
    if (length <= 0 || bytes[0] == '?') return false;
    const auto lead = static_cast<uint8_t>(bytes[0]);
    const auto trail = static_cast<uint8_t>(bytes[1]);
    // A single-byte character is its own code.
    const uint32_t narrow = length == 1 ? lead : lead * 256u + trail;
    return LoadSystemGlyphOutline(outline, narrow, faceName, false);
}

int MakeReferenceGlyph(unsigned int code, const char* faceName, unsigned char* buffer) {
    if (code > 0xFFFF) return -1;
    GlyphOutline outline;
    {
        GlyphOutline collected;
        if (!LoadReferenceOutline(collected, static_cast<uint16_t>(code), faceName)) return -1;
        outline.contours = std::move(collected.contours);
    }
    TTGlyph glyph;
    if (!BuildTTGlyph(outline, nullptr, glyph)) return -1;
    const uint32_t size = glyph.Serialize(nullptr);
    if (size > EUDC_REF_GLYPH_BUFFER_SIZE) return -1;
    if (buffer != nullptr) glyph.Serialize(buffer);
    return static_cast<int>(size);
}

}  // namespace

extern "C" int EUDCCORE_STDCALL GetRefGlyph(unsigned int code, const char* faceName, unsigned char* buffer) {
    try {
        return MakeReferenceGlyph(code, faceName, buffer);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
