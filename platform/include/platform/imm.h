// The input-method manager. Over a prefix an IME is a keyboard layout under HKEY_LOCAL_MACHINE
// SYSTEM\CurrentControlSet\Control\Keyboard Layouts\<layout> whose "Ime File" names a text file in
// the system folder that describes it (README: "Describing the IMEs of a workstation"). What an
// IME is told is recorded under HKEY_CURRENT_USER Software\EudcPlatform\IME\<layout>.
#pragma once
#include "platform/wintypes.h"

#ifdef _WIN32
#include <imm.h>
#else

struct HKL__;
typedef HKL__* HKL;
struct HIMC__;
typedef HIMC__* HIMC;

// ImmGetProperty
#define IGP_GETIMEVERSION 0xFFFFFFFCu
#define IGP_PROPERTY 0x00000004u
#define IGP_CONVERSION 0x00000008u
#define IGP_SENTENCE 0x0000000Cu
#define IGP_UI 0x00000010u
#define IGP_SETCOMPSTR 0x00000014u
#define IGP_SELECT 0x00000018u

#define IME_PROP_AT_CARET 0x00010000u
#define IME_PROP_SPECIAL_UI 0x00020000u
#define IME_PROP_CANDLIST_START_FROM_1 0x00040000u
#define IME_PROP_UNICODE 0x00080000u
#define IME_PROP_COMPLETE_ON_UNSELECT 0x00100000u

// ImmEscape
#define IME_ESC_IME_NAME 0x1006u
#define IME_ESC_SET_EUDC_DICTIONARY 0x100Du

// ImmRegisterWord
#define IME_REGWORD_STYLE_EUDC 0x00000001u
#define IME_REGWORD_STYLE_USER_FIRST 0x80000000u
#define IME_REGWORD_STYLE_USER_LAST 0xFFFFFFFFu

// ImmConfigureIME
#define IME_CONFIG_GENERAL 1u
#define IME_CONFIG_REGISTERWORD 2u
#define IME_CONFIG_SELECTDICTIONARY 3u

// A layout is an IME when it has the form Exxxxxxx and is installed as described above. Only the
// low 32 bits of an HKL are its layout, so sign-extended handles name the same layout.
BOOL ImmIsIME(HKL layout);
// IGP_PROPERTY: IME_PROP_UNICODE when the descriptor says Unicode=1. Other indexes and layouts
// that are no IME: 0.
DWORD ImmGetProperty(HKL layout, DWORD index);
// The "Ime File" value. Without a buffer (size 0): its length in bytes without the terminator.
// With one: the bytes copied without the terminator, or 0 (ERROR_INSUFFICIENT_BUFFER) when the
// name and its terminator do not fit.
UINT ImmGetIMEFileNameA(HKL layout, LPSTR buffer, UINT size);
// IME_ESC_IME_NAME: the descriptor's name in code page 950 into a buffer of at least 64 bytes
// (cut at a character to 63 bytes); nonzero on success. IME_ESC_SET_EUDC_DICTIONARY: data is the
// dictionary's path (shorter than MAX_PATH); nonzero when the IME accepts it, which is recorded.
// Other escapes: 0.
LRESULT ImmEscapeA(HKL layout, HIMC context, UINT escape, LPVOID data);
// Records "<reading>\t<word>" when the IME accepts words. Reading and word: non-empty code page 950
// text shorter than 256 bytes, without a tab.
BOOL ImmRegisterWordA(HKL layout, LPCSTR reading, DWORD style, LPCSTR word);
// Succeeds for an installed IME and changes nothing.
BOOL ImmConfigureIMEA(HKL layout, HWND owner, DWORD mode, LPVOID data);
// The layout of the installed IME whose "Ime File" is the file name part of `imeFile`, else null.
// Installs nothing: an IME is described, not installed, over a prefix.
HKL ImmInstallIMEA(LPCSTR imeFile, LPCSTR layoutText);

#endif  // _WIN32
