// The dictionary images of the Phonetic and Changjie IMEs: a 256-byte header and one record per
// character. Version 1 keeps records of key count + 4 bytes in the order added; version 2 keeps
// 20-byte records sorted by code.
#pragma once
#include "eudccore/export.h"

// Writes the 256-byte header into `image` (which must hold 256 bytes) and returns 256.
EUDCCORE_API int Empty_ImeBuffer(unsigned char* image, char keyCount, bool unicode, bool newFormat);
// Adds, replaces or removes (empty keys) the version-1 record of `code`; returns the new length.
// The image must have room for `length` plus one record; a header whose count disagrees with
// `length` is not followed past `length`.
EUDCCORE_API int Manager_ImeBuffer(unsigned char* image, unsigned short code, const char* keys, int length, int mode);
// The same for version 2 (20-byte records, kept sorted by code).
EUDCCORE_API int Manager_ImeBuffer_NZuin_XP(unsigned char* image, unsigned short code, const char* keys, int length,
                                            int mode);
