// The one concrete registration front end: finds the installed IMEs and their dictionary formats
// once, keeps one dictionary writer per format, and writes and installs the table files.
#pragma once
#include <string>

#include "eudccore/register_word.h"
#include "platform/imm.h"

class RegWord_Base;

class TQClient_RegisterWord_Big5 : public TQClient_RegisterWord {
public:
    static constexpr int kSlotCount = 8;
    static constexpr int kDirectorySize = 263;

    TQClient_RegisterWord_Big5();
    ~TQClient_RegisterWord_Big5() override;
    TQClient_RegisterWord_Big5(const TQClient_RegisterWord_Big5&) = delete;
    TQClient_RegisterWord_Big5& operator=(const TQClient_RegisterWord_Big5&) = delete;

    int Update(bool rebuild) override;
    void SetWord(const char* keys, unsigned short code) override;
    int ExportTables(const char* phoneticEtenPath, const char* changjieEtenPath, const char* phoneticDicPath,
                     const char* changjieDicPath, const char* unused1, const char* unused2) override;
    int ExportTables5550(const char* unused1, const char* unused2, const char* phoneticEtenPath,
                         const char* changjieEtenPath, int codeTable, bool all) override;
    bool Init(const char* directory, RegisterWordCallback callback) override;

    // The table file of an IME by its code page 950 name.
    std::string TableFileName(const char* imeName) const;

    int m_versionCode;
    int m_newPhoneticKind;  // -1 unusable, 0 like the old Phonetic IME, 1 the 2002 one, 2 Microsoft's 6.0.0.1+
    RegWord_Base* m_writers[kSlotCount];
    bool m_initialised;
    char m_directory[kDirectorySize];
    RegisterWordCallback m_callback;

private:
    void Detect();
    void ClassifyNewPhonetic(HKL layout);
    // Creates the writer of a slot unless it exists; a writer made after the images were built
    // builds its own at once.
    RegWord_Base* Writer(int slot, bool build = false);
    int RegisterOne(const char* imeName);
};
