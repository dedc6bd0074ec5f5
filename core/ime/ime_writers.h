// The dictionary writers: each holds the image of one IME's EUDC dictionary file, fills it from
// the characters' records through the callback, and keeps it up to date word by word. The front
// end reads `image` and `length` directly to write the table file.
#pragma once
#include "eudccore/ime_keys.h"

namespace eudc {
struct ImeWriterFormat;
}

class RegWord_Base {
public:
    explicit RegWord_Base(RegisterWordCallback callback);
    RegWord_Base(const RegWord_Base&) = delete;
    RegWord_Base& operator=(const RegWord_Base&) = delete;

    virtual ~RegWord_Base();
    // Throws the image away and builds it again from the callback.
    virtual void Reset();
    // `code`'s low 16 bits are the Unicode code; `keys` is the record's Zhuyin (4 bytes) or
    // Changjie (5 bytes) field. Adds, replaces or (no keys) removes the word; returns 0.
    virtual int AddWord(unsigned int code, const char* keys);
    // Creates the image when there is none, filled from the callback unless `emptyOnly`.
    virtual void Build(bool emptyOnly);

    unsigned char* image = nullptr;  // the writer's own heap block, allocated at full capacity
    int length = 0;                  // 256 + records x record size
    RegisterWordCallback callback;

protected:
    // The shared steps; each concrete writer passes its own format.
    void BuildImage(const eudc::ImeWriterFormat& format, bool emptyOnly);
    int AddZuinWord(const eudc::ImeWriterFormat& format, unsigned int code, const char* keys);
    int AddChanjeiWord(const eudc::ImeWriterFormat& format, unsigned int code, const char* keys);

private:
    // Passes one word to the image functions, unless a new record would not fit the capacity.
    void StoreRecord(const eudc::ImeWriterFormat& format, unsigned short recordCode, const char* indexes);

    bool filling_ = false;  // Build is adding every code once, in ascending order
};

// Phonetic (Zhuyin), Big5 codes, version 1.
class RegWord_Zuin_A : public RegWord_Base {
public:
    static constexpr int kCapacity = 58000;
    explicit RegWord_Zuin_A(RegisterWordCallback callback);
    ~RegWord_Zuin_A() override;
    int AddWord(unsigned int code, const char* keys) override;
    void Build(bool emptyOnly) override;
};

// Phonetic (Zhuyin), Unicode codes, version 1.
class RegWord_Zuin_U : public RegWord_Base {
public:
    static constexpr int kCapacity = 58000;
    explicit RegWord_Zuin_U(RegisterWordCallback callback);
    ~RegWord_Zuin_U() override;
    int AddWord(unsigned int code, const char* keys) override;
    void Build(bool emptyOnly) override;
};

// Changjie, Big5 codes, version 1.
class RegWord_Chajei_A : public RegWord_Base {
public:
    static constexpr int kCapacity = 58000;
    explicit RegWord_Chajei_A(RegisterWordCallback callback);
    ~RegWord_Chajei_A() override;
    int AddWord(unsigned int code, const char* keys) override;
    void Build(bool emptyOnly) override;
};

// Changjie, Unicode codes, version 1.
class RegWord_Chajei_U : public RegWord_Base {
public:
    static constexpr int kCapacity = 58000;
    explicit RegWord_Chajei_U(RegisterWordCallback callback);
    ~RegWord_Chajei_U() override;
    int AddWord(unsigned int code, const char* keys) override;
    void Build(bool emptyOnly) override;
};

// New Phonetic of 2002 and later: version 2, sorted Unicode records.
class RegWord_NZuin_XP : public RegWord_Base {
public:
    static constexpr int kCapacity = 128300;
    explicit RegWord_NZuin_XP(RegisterWordCallback callback);
    ~RegWord_NZuin_XP() override;
    int AddWord(unsigned int code, const char* keys) override;
    void Build(bool emptyOnly) override;
};

// The Vista New Changjie table: version 2, sorted Unicode records.
class RegWord_NChajei_VISTA : public RegWord_Base {
public:
    static constexpr int kCapacity = 135300;
    explicit RegWord_NChajei_VISTA(RegisterWordCallback callback);
    ~RegWord_NChajei_VISTA() override;
    int AddWord(unsigned int code, const char* keys) override;
    void Build(bool emptyOnly) override;
};
