// The font manager: the process-wide object that holds the font-slot table, the mode that decides
// where TTE files live, and which working TTE files were freshly created.
#pragma once
#include "eudccore/export.h"
#include "eudccore/font_slot.h"

class HExactBuffer;

// Error buffers passed to the TTE operations must hold at least this many bytes.
constexpr int kTteErrorBufferSize = 512;

class EUDCCORE_API TteUpdate {
public:
    explicit TteUpdate(_TerminalServiceMode_ mode);
    ~TteUpdate();
    TteUpdate& operator=(const TteUpdate& other);

    // The record of slot (0..15) inside the object; null for any other slot.
    _TQFontData_Struc1* Get_FontTTE(int slot);
    // Takes a new table and, in modes 0 and 2, brings it into force under EUDC\950.
    void Write_FontTTE(const _TQFontData_Struc1* table);
    // Removes links that the current table does not name; marks the client as deleted.
    void Write_FontTTE_DeleteClient();

    // The TTE files of the slots. Operations that change files the registry names hold the EUDC
    // lock; the others work on working copies or leave the lock to their caller.
    // The slot's file (or, with viaWorkingCopy in mode 0, its working copy then the real file)
    // becomes a fresh template holding every glyph of source. Locked.
    bool ReplaceTTE(int slot, const char* source, bool viaWorkingCopy);
    bool Re_CreateTTE(bool unused);
    // Locked.
    bool DelTTE(int slot, bool alsoWorkingCopy);
    // The working file's bytes.
    bool GetTteData(int slot, HExactBuffer* buffer);
    // Copies the working copy over the real file; true when there is nothing to copy.
    bool TteDat_2_RealTte(int slot);
    // Locked. In mode 0 copies the working copies of created slots (or of all) over the real files.
    bool AfterUpdateOK(bool all);
    bool Check_TteDat_Compatible();
    // states: 16 characters, "0" = create the slot's file afresh. error: null or kTteErrorBufferSize bytes.
    bool CheckAllTTE(const _TQFontData_Struc1* table, char* states, char* error);
    // Writes a batch of serialized glyphs into the slot's working file. 0 done, -11 the slot has
    // no path, -12 the file cannot be opened. error: null or kTteErrorBufferSize bytes.
    int Update_2_TTE(const unsigned char* data, int unused, unsigned short count, const _FontDataProperty_* entries,
                     unsigned short slot, int* created, int codeType, bool unused2, char* error);

    _TQFontData_Struc1 m_table[kFontSlotCount];
    bool m_clientDeleted;
    _TerminalServiceMode_ m_mode;
    bool m_created[kFontSlotCount];

protected:
    // The slot's working file, created from the template when missing.
    bool Internal_Check1TTE(int slot, char* outPath, int* created);

private:
    bool ResolvePath(int slot, _TerminalServiceMode_ mode, char* out);
    _TerminalServiceMode_ WorkingMode() const;
};

EUDCCORE_API bool TteUpdate_Init(_TerminalServiceMode_ mode);
EUDCCORE_API TteUpdate* Get_TteUpdate();
EUDCCORE_API void TteUpdate_Uninit();
