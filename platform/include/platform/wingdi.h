// GDI: device contexts, logical fonts and font enumeration.
#pragma once
#include "platform/wintypes.h"

#ifndef _WIN32

struct HDC__;
typedef HDC__* HDC;
struct HFONT__;
typedef HFONT__* HFONT;
struct HBITMAP__;
typedef HBITMAP__* HBITMAP;
struct HRGN__;
typedef HRGN__* HRGN;
// As with STRICT in the SDK: every GDI handle converts to HGDIOBJ without a cast.
typedef void* HGDIOBJ;

#ifndef ERROR_INVALID_WINDOW_HANDLE
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#endif

#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64

// Character sets (lfCharSet, tmCharSet).
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define MAC_CHARSET 77
#define SHIFTJIS_CHARSET 128
#define HANGEUL_CHARSET 129
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238
#define OEM_CHARSET 255

// Font types passed to a font enumeration callback.
#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

// lfOutPrecision
#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8

// lfClipPrecision
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2
#define CLIP_LH_ANGLES 0x10

// lfQuality
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4

// lfPitchAndFamily
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

// tmPitchAndFamily (TMPF_FIXED_PITCH set means a variable-pitch font, as in the SDK).
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

// lfWeight
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900
#define FW_ULTRALIGHT FW_EXTRALIGHT
#define FW_REGULAR FW_NORMAL
#define FW_DEMIBOLD FW_SEMIBOLD
#define FW_ULTRABOLD FW_EXTRABOLD
#define FW_BLACK FW_HEAVY

// ntmFlags
#define NTM_ITALIC 0x00000001
#define NTM_BOLD 0x00000020
#define NTM_REGULAR 0x00000040
#define NTM_NONNEGATIVE_AC 0x00010000
#define NTM_PS_OPENTYPE 0x00020000
#define NTM_TT_OPENTYPE 0x00040000
#define NTM_MULTIPLEMASTER 0x00080000
#define NTM_TYPE1 0x00100000
#define NTM_DSIG 0x00200000

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTA* PLOGFONTA;
typedef LOGFONTA* LPLOGFONTA;

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTW* PLOGFONTW;
typedef LOGFONTW* LPLOGFONTW;

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
typedef TEXTMETRICA* PTEXTMETRICA;
typedef TEXTMETRICA* LPTEXTMETRICA;

// The SDK repeats TEXTMETRICA's fields here rather than nesting the struct; so do we.
struct NEWTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
    DWORD ntmFlags;
    UINT ntmSizeEM;
    UINT ntmCellHeight;
    UINT ntmAvgWidth;
};
typedef NEWTEXTMETRICA* PNEWTEXTMETRICA;
typedef NEWTEXTMETRICA* LPNEWTEXTMETRICA;

struct FONTSIGNATURE {
    DWORD fsUsb[4];
    DWORD fsCsb[2];
};
typedef FONTSIGNATURE* PFONTSIGNATURE;
typedef FONTSIGNATURE* LPFONTSIGNATURE;

struct NEWTEXTMETRICEXA {
    NEWTEXTMETRICA ntmTm;
    FONTSIGNATURE ntmFontSig;
};

struct ENUMLOGFONTEXA {
    LOGFONTA elfLogFont;
    BYTE elfFullName[LF_FULLFACESIZE];
    BYTE elfStyle[LF_FACESIZE];
    BYTE elfScript[LF_FACESIZE];
};
typedef ENUMLOGFONTEXA* LPENUMLOGFONTEXA;

static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA as in the SDK");
static_assert(offsetof(LOGFONTA, lfFaceName) == 28, "LOGFONTA as in the SDK");
static_assert(offsetof(LOGFONTW, lfFaceName) == 28, "LOGFONTW as in the SDK");
static_assert(sizeof(TEXTMETRICA) == 56, "TEXTMETRICA as in the SDK");
static_assert(offsetof(NEWTEXTMETRICA, ntmFlags) == 56, "NEWTEXTMETRICA as in the SDK");
static_assert(sizeof(NEWTEXTMETRICA) == 72, "NEWTEXTMETRICA as in the SDK");
static_assert(sizeof(NEWTEXTMETRICEXA) == 96, "NEWTEXTMETRICEXA as in the SDK");
static_assert(sizeof(ENUMLOGFONTEXA) == 188, "ENUMLOGFONTEXA as in the SDK");

// The callback receives an ENUMLOGFONTEXA and a NEWTEXTMETRICEXA behind these pointers.
typedef int(CALLBACK* FONTENUMPROCA)(const LOGFONTA* logFont, const TEXTMETRICA* metrics, DWORD fontType,
                                     LPARAM param);

// GetDC(NULL) gives a device context for the screen; there are no windows, so any other HWND fails
// with ERROR_INVALID_WINDOW_HANDLE. ReleaseDC returns 1 for a DC from GetDC and 0 otherwise.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// A memory DC compatible with dc (NULL: with the screen). DeleteDC deletes memory DCs only.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);

// Calls proc once per matching face and character set (per family when lfFaceName is empty) until it
// returns 0; returns the last value proc returned, 1 when nothing matched, 0 for a bad DC or argument.
int EnumFontFamiliesExA(HDC dc, LPLOGFONTA logFont, FONTENUMPROCA proc, LPARAM param, DWORD flags);

BOOL EnableEUDC(BOOL enable);

// ---- Font objects and glyph outlines ----

#define OBJ_FONT 6
#define GDI_ERROR 0xFFFFFFFFu
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(-1)))

// GetGlyphOutline formats and flags.
#define GGO_METRICS 0
#define GGO_BITMAP 1
#define GGO_NATIVE 2
#define GGO_BEZIER 3
#define GGO_GRAY2_BITMAP 4
#define GGO_GRAY4_BITMAP 5
#define GGO_GRAY8_BITMAP 6
#define GGO_GLYPH_INDEX 0x0080
#define GGO_UNHINTED 0x0100

#define TT_POLYGON_TYPE 24
#define TT_PRIM_LINE 1
#define TT_PRIM_QSPLINE 2
#define TT_PRIM_CSPLINE 3

#ifndef EUDC_POINT_DEFINED
#define EUDC_POINT_DEFINED
struct POINT {
    LONG x;
    LONG y;
};
typedef POINT* LPPOINT;
#endif

struct FIXED {
    WORD fract;
    short value;
};

struct POINTFX {
    FIXED x;
    FIXED y;
};
typedef POINTFX* LPPOINTFX;

struct TTPOLYCURVE {
    WORD wType;
    WORD cpfx;
    POINTFX apfx[1];
};
typedef TTPOLYCURVE* LPTTPOLYCURVE;

struct TTPOLYGONHEADER {
    DWORD cb;
    DWORD dwType;
    POINTFX pfxStart;
};
typedef TTPOLYGONHEADER* LPTTPOLYGONHEADER;

struct MAT2 {
    FIXED eM11;
    FIXED eM12;
    FIXED eM21;
    FIXED eM22;
};
typedef MAT2* LPMAT2;

struct GLYPHMETRICS {
    UINT gmBlackBoxX;
    UINT gmBlackBoxY;
    POINT gmptGlyphOrigin;
    short gmCellIncX;
    short gmCellIncY;
};
typedef GLYPHMETRICS* LPGLYPHMETRICS;

static_assert(sizeof(FIXED) == 4, "FIXED as in the SDK");
static_assert(sizeof(TTPOLYGONHEADER) == 16, "TTPOLYGONHEADER as in the SDK");
static_assert(offsetof(TTPOLYCURVE, apfx) == 4, "TTPOLYCURVE as in the SDK");
static_assert(sizeof(GLYPHMETRICS) == 20, "GLYPHMETRICS as in the SDK");

HFONT CreateFontIndirectA(const LOGFONTA* logFont);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charset, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
// Selects a font into dc and returns the font it replaces (a DC starts with the stock system font);
// NULL on a bad DC or object.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
// Deletes a font (or another GDI object that is no DC). A font still selected into a DC stays in
// use there until it is replaced; its handle is gone at once. Stock objects are never deleted.
BOOL DeleteObject(HGDIOBJ obj);
BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);

// GGO_METRICS and GGO_NATIVE with the identity matrix. GGO_NATIVE fills TTPOLYGONHEADER and
// TTPOLYCURVE records in 16.16 pixels, y up from the baseline. A null buffer or size 0 returns the
// size needed; a character no font in the EUDC chain has returns 0 and no outline.
DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, LPGLYPHMETRICS metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* matrix);
// ch is a code page 950 code: lead byte x 256 + trail byte, or a single byte.
DWORD GetGlyphOutlineA(HDC dc, UINT ch, UINT format, LPGLYPHMETRICS metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* matrix);

// ---- Regions ----

#define OBJ_REGION 8

// Polygon fill modes.
#define ALTERNATE 1
#define WINDING 2

// CombineRgn modes.
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5

// Region kinds returned by CombineRgn and GetRgnBox.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

#ifndef EUDC_RECT_DEFINED
#define EUDC_RECT_DEFINED
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;
#endif

// A region is a set of pixels. A polygon region holds the pixels whose centres lie inside the
// polygon by the fill mode; pixels on its right and bottom edges are left out. Fewer than three
// points give an empty region. Coordinates beyond +-2^27, a null pointer, a negative count or an
// unknown fill mode fail with ERROR_INVALID_PARAMETER and NULL.
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
// The pixels from (left, top) up to but excluding (right, bottom); the corners may come in any order.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
// dest = src1 <mode> src2 (src2 is ignored for RGN_COPY). Returns the kind of the result, or ERROR
// with dest unchanged for a bad handle or mode. dest may be one of the sources.
int CombineRgn(HRGN dest, HRGN src1, HRGN src2, int mode);
// The bounding box of region (all zero when empty) and its kind; ERROR for a bad handle or pointer.
int GetRgnBox(HRGN region, LPRECT rect);
// TRUE when both regions hold the same pixels; FALSE otherwise, and for a bad handle.
BOOL EqualRgn(HRGN region1, HRGN region2);

#endif  // _WIN32
