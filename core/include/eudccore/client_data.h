// The machine-wide client data: one record per private-use code, the font-slot table, the codes
// the user manages and their update times, kept in a 127612-byte block that the process-wide
// Client_Data object loads from its data file, saves, and publishes to other processes in a named
// file mapping.
#pragma once
#include <cstddef>
#include <cstdint>

#include "eudccore/export.h"
#include "eudccore/font_slot.h"

#pragma pack(push, 1)
// A CNS 11643 code as the records hold it.
struct ARRAY_CNS_DATA {
    char Plane;       // '0': the character has no CNS code
    uint8_t Code[2];
};

// A character record (the first 19 bytes) with its code. Multi-byte fields are little-endian.
struct _WORD_DATA_Code {
    uint8_t UserWord;       // non-zero: the user made this character
    ARRAY_CNS_DATA Cns;
    char Zhuyin[4];         // the Zhuyin keys, packed to the left
    char Changjie[5];       // letters A to Z
    uint8_t UpdateTime[4];  // signed 32-bit
    uint8_t Extra[2];       // kept as given
    uint16_t Code;          // U+E000..U+F8FF
};
#pragma pack(pop)

static_assert(sizeof(ARRAY_CNS_DATA) == 3);
static_assert(sizeof(_WORD_DATA_Code) == 21);
static_assert(offsetof(_WORD_DATA_Code, Zhuyin) == 4 && offsetof(_WORD_DATA_Code, Changjie) == 8 &&
              offsetof(_WORD_DATA_Code, UpdateTime) == 13 && offsetof(_WORD_DATA_Code, Code) == 19);

constexpr unsigned long kClientDataBlockSize = 127612;
constexpr int kClientCodeCount = 6400;      // U+E000..U+F8FF
constexpr int kClientRecordSize = 19;
constexpr int kUserManagerBytes = 800;      // one bit per code
constexpr unsigned long kClientMappingSize = 127899;

// Times are opaque signed 32-bit stamps; a `long` argument is cut to 32 bits as a 32-bit caller's
// would be. The block and the times are process-wide and shared by every Client_Data object; the
// object itself holds the folders, the flags and the handles of the publication.
class EUDCCORE_API Client_Data {
public:
    Client_Data();
    // Copies the folders, names and flags; the handles stay with the object that opened them, so
    // that no handle is closed twice.
    Client_Data(const Client_Data& other);
    Client_Data& operator=(const Client_Data& other);
    ~Client_Data();

    // Character records. Codes outside U+E000..U+F8FF are refused.
    int Set_CodeData_Client(_WORD_DATA_Code* record);
    bool Get__CodeData(unsigned short code, _WORD_DATA_Code* out);
    unsigned short Get_EudcWithCns(ARRAY_CNS_DATA* cns);
    int Get_TblData(ARRAY_CNS_DATA* out, int count);
    int Get_ExistCount();
    bool Get_UserMakeWord(unsigned short code);

    // The codes the user manages.
    bool Get_UserManager(unsigned short code);
    int Get_UserManager_All(char* out);
    int Set_UserManager_Client(char* bits, long time);
    void Change_UserMansger_DifferentCodeOrderType(char* bits, int codeOrderType);

    // The font-slot table.
    void Read_FontTTE(_TQFontData_Struc1* out);
    void Write_FontTTE(_TQFontData_Struc1* table, long time);

    bool Get_SpecialFlag(unsigned char* out);
    bool Set_SpecialFlag(unsigned char* in);
    char* GetBuffer(unsigned long* size);
    // Replaces the whole block and saves it; false for any size but the block's, or when the
    // save fails.
    bool SetBuffer(void* data, unsigned long size);

    // -3 the code data, -2 the managed codes, -1 the font table, 0..6399 a record; otherwise 0.
    long GetUpdateTime(int which);
    long Get_LastFontTime(char slot);
    // slot 0xFF: the character data; 0..15: a font slot. The code is not used.
    void SetFontUpdateTime(unsigned short code, char slot, long time);

    // The data file and the publication.
    int InitVars(const char* directory);
    // 0, or the system error code of the failed open (or failed first write or read).
    int Init(char* fileName, const char* directory, bool forceDefaults);
    int UnInit();
    void WriteData();
    void ClearAllData();
    void UpdateFilemap();
    void Set_CompanyName(char* name);
    const char* GetDataFileName();
    const char* Get_WindowsDir();
    bool Is_FillBlankToFile();
    void Set_FillBlankToFile(bool set);
    // Sets the change events that another session created; false when one cannot be set.
    static bool CallOtherSession(const char* sessionName, bool dataChanged, bool fontChanged);

    char m_systemDir[260];
    char m_dataDir[260];
    char m_dataFileName[260];
    char m_windowsDir[260];
    bool m_dataCleared;
    char m_companyName[29];
    bool m_fileCreated;
    void* m_mapping;
    void* m_mutex;
    bool m_fillBlank;

private:
    void Replace_1_InternalData(long time, unsigned short code, char slot);
    void ReCaculate_All_InternalData();
    bool FillBlankIntoFile();
    // Writes the block at the start of the open data file and flushes it.
    bool SaveBlock();
    void CopySettings(const Client_Data& other);
};

EUDCCORE_API Client_Data* Get_Client_Data();
