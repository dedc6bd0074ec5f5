// The links under HKEY_CURRENT_USER EUDC\950 (value name = face, data = full TTE path) and the
// resolution of a slot's TTE file name into a full path.
#pragma once
#include "eudccore/export.h"
#include "eudccore/font_slot.h"

class EUDCCORE_API EudcRegistry {
public:
    static constexpr int kMaxEntries = 41;
    static constexpr int kPathSize = 260;

    explicit EudcRegistry(_TerminalServiceMode_ mode);
    ~EudcRegistry();
    EudcRegistry& operator=(const EudcRegistry& other);

    // Reads the values of HKEY_CURRENT_USER\keyPath (at most 41); faces other than
    // "SystemDefaultEUDCFont" are kept only when a Big5 font of that face exists.
    int InitEudcName(const char* keyPath);
    // Adds or updates one value per slot with a face name.
    void Add(const _TQFontData_Struc1* table);
    // Deletes the values of read entries that no slot names.
    void Del(const _TQFontData_Struc1* table);
    bool GetFontName(int index, char* name, char* path);

    // The slot's full TTE path in out (260 bytes); false when the slot has no TTE file.
    static bool Trans_2_RealTteFileName(const _TQFontData_Struc1* record, char* out, _TerminalServiceMode_ mode);

    struct Entry {
        char name[kPathSize];
        char path[kPathSize];
    };

    int m_count;
    Entry m_entries[kMaxEntries];
    int m_defaultIndex;
    char m_keyPath[kPathSize];
    _TerminalServiceMode_ m_mode;

protected:
    // Resolves path (260 bytes) in place. A result that would not fit is refused: false, and the
    // path becomes empty.
    static bool CaculateTTE(char* path, _TerminalServiceMode_ mode);
};
