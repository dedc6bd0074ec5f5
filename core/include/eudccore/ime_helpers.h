// Free functions for the Traditional-Chinese IMEs: the layout of an IME by its name, key and
// symbol conversions, single-word registration and the IMEs' dictionary files. Texts are code
// page 950; the IME names are "注音", "倉頡", "新注音" and "新倉頡".
#pragma once
#include "eudccore/export.h"
#include "eudccore/ime_keys.h"
#include "platform/imm.h"

// The layout of the named IME; null when it is not installed or not one of the four. The first
// call, and every call with a null name (which returns null), detects the installed IMEs again.
EUDCCORE_API HKL RegisterWord_FindHKL(const char* name);
// Stores the layout for one of the four names; other names are ignored.
EUDCCORE_API void RegisterWord_SetHKL(const char* name, HKL layout);
// 1 "注音", 2 "新注音", 3 "倉頡", 4 "新倉頡", 0 any other name (or none).
EUDCCORE_API int Get_Ime_type(const char* name);
// 0 when the IME is not installed, else what the IME answers to IME_CONFIG_SELECTDICTIONARY.
EUDCCORE_API int ConfigEudcFile(const char* name);
// Points the IME at its EUDC dictionary: up to five tries, 500 ms after each refusal.
EUDCCORE_API bool SetImeDicFile(HKL layout, const char* path);

// n Zhuyin keys (Microsoft order) to their symbols, a space in the tone place after a key shown
// as the first tone. out receives 2n bytes and a zero; result 2n, or 0 at a byte that is no key.
EUDCCORE_API int RegisterWord_Zuin_Data2Caption(const char* keys, unsigned char* out, int n);
// n Changjie letters (upper case) to their radicals. out (at least 11 bytes, and 2n + 1) is
// cleared over its first 11 bytes; result 2n, or 0 at a byte that is no key.
EUDCCORE_API int RegisterWord_Chanjei_Data2Caption(const char* keys, unsigned char* out, int n);
// Symbols (bytes / 2 two-byte characters) back to keys: out receives them and a zero. Result the
// number of keys, or 0 at a character that is no symbol (or an odd last byte).
EUDCCORE_API int RegisterWord_Zuin_Caption2Data(unsigned char* out, const char* caption, int bytes);
EUDCCORE_API int RegisterWord_Chanjei_Caption2Data(unsigned char* out, const char* caption, int bytes);

// Registers one word (its first two bytes) under n keys with the IME through ImmRegisterWordA.
// Zhuyin keys (at most 4) are in the system's order when systemOrder, else in Microsoft order;
// Changjie keys are at most 5 letters. 0 done or the IME is not installed, 2 the keys are no
// symbols, -1 the IME refused the word.
EUDCCORE_API int RegisterWord_Zuin(const char* word, const char* keys, int n, bool systemOrder);
EUDCCORE_API int RegisterWord_NewZuin(const char* word, const char* keys, int n, bool systemOrder);
EUDCCORE_API int RegisterWord_Chanjei(const char* word, const char* keys, int n);
EUDCCORE_API int RegisterWord_NewChanjei(const char* word, const char* keys, int n);

// Installs the Phonetic and Changjie IMEs when missing and the library carries their files
// (resources "DLL" 2030 and 2031, which this build does not). Always true.
EUDCCORE_API bool Register_OriginalIme();
