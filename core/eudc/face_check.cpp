#include "eudc/face_check.h"

#include <cstring>

#include "platform/wingdi.h"

namespace eudc {
namespace {

constexpr int kFound = -5;

int CALLBACK StopAtFirstFont(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM) { return kFound; }

}  // namespace

bool Big5FaceExists(const char* faceName) {
    // The face-name field of a font description holds 32 bytes with its terminator.
    if (!faceName || std::strlen(faceName) > LF_FACESIZE - 1) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    LOGFONTA font{};
    font.lfCharSet = CHINESEBIG5_CHARSET;
    std::strcpy(font.lfFaceName, faceName);
    const int result = EnumFontFamiliesExA(memory, &font, &StopAtFirstFont, 0, 0);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result == kFound;
}

}  // namespace eudc
