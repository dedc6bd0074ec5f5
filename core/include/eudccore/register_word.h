// The registration of the characters' input codes with the installed Traditional-Chinese IMEs.
#pragma once
#include "eudccore/export.h"
#include "eudccore/ime_keys.h"

class EUDCCORE_API TQClient_RegisterWord {
public:
    TQClient_RegisterWord();
    TQClient_RegisterWord(const TQClient_RegisterWord& other);
    TQClient_RegisterWord& operator=(const TQClient_RegisterWord& other);
    virtual ~TQClient_RegisterWord();

    // Builds every IME's dictionary (from the callback again when rebuild), writes its table file
    // and points the IME at it. 0 done, 2 no IME of the last kind tried; a negative value sums each
    // failed IME's result weighted by its place (10, 100, 1000, 10000).
    virtual int Update(bool rebuild) = 0;
    // keys: the Zhuyin field of a _WORD_DATA_Code (the Changjie field follows it). No file is written.
    virtual void SetWord(const char* keys, unsigned short code) = 0;
    virtual int ExportTables(const char* phoneticEtenPath, const char* changjieEtenPath, const char* phoneticDicPath,
                             const char* changjieDicPath, const char* unused1, const char* unused2) = 0;
    virtual int ExportTables5550(const char* unused1, const char* unused2, const char* phoneticEtenPath,
                                 const char* changjieEtenPath, int codeTable, bool all) = 0;
    // Must come first; false when either argument is null or the directory does not fit.
    virtual bool Init(const char* directory, RegisterWordCallback callback) = 0;
};

// The library's single instance; callers never delete it.
EUDCCORE_API TQClient_RegisterWord* Get_TQClient_RegisterWord();
