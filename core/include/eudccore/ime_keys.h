// The Zhuyin and Changjie key strings and the two Zhuyin key orders, and the callback through
// which a dictionary writer asks for a character's record.
#pragma once
#include "eudccore/client_data.h"
#include "eudccore/export.h"

// Fills `record` with the character record of `code` (U+E000..U+F8FF); bytes 0 and 1 both zero
// mean the character has no input codes.
typedef void (*RegisterWordCallback)(unsigned int code, _WORD_DATA_Code* record);

// " 1QAZ2WSXEDCRFV5TGBYHNUJM8IK,9OL.0P;/-=6347": a key's position picks its Zhuyin symbol and
// its place (1-21 initial, 22-24 medial, 25-37 final, 38-42 tone). A process-wide writable buffer.
EUDCCORE_API char* RegisterWord_Zuin_GetValidChar();
// " ABCDEFGHIJKLMNOPQRSTUVWXYZ". A process-wide writable buffer.
EUDCCORE_API char* RegisterWord_Chanjei_GetValidChar();

// Four places [initial, medial, final, tone] (spaces, first tone "=") to the keys packed to the
// left without "=". Writes exactly four bytes, no terminator.
EUDCCORE_API void Zuin__Microsoft_2_Tavio(const char* in, unsigned char* out);
// Keys packed to the left to the four places; "=" is added when a key stood in the first three
// bytes and no tone was given. Unknown bytes are dropped. Writes exactly four bytes.
EUDCCORE_API void Zuin__Tavio_2_Microsoft(const char* in, unsigned char* out);
