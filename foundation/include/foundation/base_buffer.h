// The byte-and-text buffer family: a heap block holding a run of bytes that is always followed
// by a zero byte, so one object serves as a growable byte array and as a narrow (code page 950)
// zero-terminated string.
//
//   HBaseBuffer2  the interface: virtual operations in their fixed order
//   HBaseBuffer3  the storage (block, capacity, length) and the byte-level operations
//   HBaseBuffer   the text operations, the shrink slack and the storage decisions that use it
//   HExactBuffer  the class to instantiate (exact_buffer.h)
//
// Storage is exact: a block always has room for the content and one terminator byte, nothing
// more; every growth reallocates. Blocks come from malloc/calloc and go back through free, so a
// block handed out by Detach must be released with free(), and a block given to Attach must have
// been allocated with malloc, calloc or realloc.
//
// Nothing throws. Lengths, positions and counts are signed 32-bit; invalid ones are answered
// with -1 or 0 as documented per operation and leave the content unchanged. A size that would
// not fit a signed 32-bit capacity (content plus terminator) is refused the same way.
#pragma once

#include <cstdarg>
#include <cstdint>

#if defined(__GNUC__) || defined(__clang__)
#define HBUFFER_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define HBUFFER_PRINTF(fmt, first)
#endif

class HBaseBuffer3;

class HBaseBuffer2 {
public:
    // The order of the virtual operations is part of the interface; keep it.
    virtual void Empty() = 0;                                                  // 0
    virtual void Detach() = 0;                                                 // 1
    virtual int EndsWith(const char* text, bool caseSensitive) = 0;            // 2
    virtual ~HBaseBuffer2();                                                   // 3
    virtual void Reserve(int n) = 0;                                           // 4
    virtual bool Reallocate(int n) = 0;                                        // 5
    virtual void Reset() = 0;                                                  // 6
    virtual void SetSlack(int slack, int second) = 0;                          // 7
    virtual int AppendDword(std::uint32_t value) = 0;                          // 8
    virtual int AppendWord(std::uint16_t value) = 0;                           // 9
    virtual void AppendWord(std::int16_t value) = 0;                           // 10
    virtual int WriteAt(int position, const void* bytes, int count) = 0;       // 11
    virtual int Append(const void* bytes, int count) = 0;                      // 12
    virtual int Append(const char* text) = 0;                                  // 13
    virtual int AppendChar(char byte) = 0;                                     // 14
    virtual int PutAt(int position, const void* bytes, int count) = 0;         // 15
    virtual void Terminate() = 0;                                              // 16
    virtual int Insert(int position, const void* bytes, int count) = 0;        // 17
    virtual void Attach(void* block, int length, int capacity) = 0;            // 18
    virtual void Detach(char** block) = 0;                                     // 19
    virtual char* GetBuffer(int minimumSize) = 0;                              // 20
    virtual int GetLength() const = 0;                                         // 21
    virtual char* GetEnd() = 0;                                                // 22
    virtual int GetCapacity() const = 0;                                       // 23
    virtual int GetFreeSpace() const = 0;                                      // 24
    virtual int TakeFront(void* destination, int n) = 0;                       // 25
    virtual int FindNoCase(const char* text) const = 0;                        // 26
    virtual int FindChar(char byte, int start) const = 0;                      // 27
    virtual int Find(const char* text, int start) const = 0;                   // 28
    virtual int FindChar(char byte) const = 0;                                 // 29
    virtual int Find(const char* text) const = 0;                              // 30
    virtual bool ReadLine(HBaseBuffer2& target) = 0;                           // 31
    virtual int ReadLine(char* destination, int size) = 0;                     // 32
    virtual int DeleteFront(int n) = 0;                                        // 33
    virtual void SetLength(int n) = 0;                                         // 34
    virtual int EndsWith(const char* text) = 0;                                // 35
    virtual int EndsWithNoCase(const char* text) = 0;                          // 36
    virtual int ReplaceFrom(int start, const char* oldText, const char* newText) = 0;  // 37
    virtual bool ReplaceFirst(const char* oldText, const char* newText) = 0;   // 38
    virtual int ReplaceFirstNoCase(const char* oldText, const char* newText) = 0;  // 39
    virtual bool ReplaceAll(const char* oldText, const char* newText) = 0;     // 40
    virtual int Delete(int position, int count) = 0;                           // 41
    virtual int Remove(const char* text) = 0;                                  // 42
    virtual void MakeUpper() = 0;                                              // 43
    virtual int CompareNoCase(const char* text) = 0;                           // 44
    virtual int Compare(const char* text) = 0;                                 // 45
    virtual int ReverseFindChar(char byte) const = 0;                          // 46
    virtual int Insert(int position, const char* text) = 0;                    // 47
    virtual int InsertChar(int position, char byte) = 0;                       // 48
    virtual char* GetBufferSetLength(int n) = 0;                               // 49
    HBUFFER_PRINTF(2, 3) virtual void Format(const char* format, ...) = 0;     // 50
    virtual void TrimLeft() = 0;                                               // 51
    virtual void TrimRight() = 0;                                              // 52
    virtual unsigned char GetAt(int index) const = 0;                          // 53
    virtual bool SetAt(int index, char byte) = 0;                              // 54
    virtual void FromInt(std::int32_t value) = 0;                              // 55
    virtual std::uint32_t HexValue() const = 0;                                // 56

protected:
    HBaseBuffer2() = default;
    HBaseBuffer2(const HBaseBuffer2&) = default;
    HBaseBuffer2& operator=(const HBaseBuffer2&) = default;
};

// The storage and the byte-level operations. Reserve (and so the shrink decision) belongs to
// HBaseBuffer, which owns the slack; everything here grows through the virtual Reserve.
class HBaseBuffer3 : public HBaseBuffer2 {
public:
    ~HBaseBuffer3() override;

    // length 0 and a terminator at 0; the block is kept (nothing happens without a block).
    void Empty() override;
    // Forgets the block without freeing it: whoever holds its pointer (GetBuffer) owns it now
    // and must free() it.
    void Detach() override;
    // The need is n + 1 bytes. Refused (false, nothing changed) when the content and its
    // terminator would not fit, i.e. n < length, or when n + 1 exceeds INT32_MAX or the
    // allocation fails. A missing block is allocated zero-filled with exactly the need; an
    // existing one is replaced by an exact zero-filled copy when it is too small or more than
    // 10 bytes too large, otherwise kept.
    bool Reallocate(int n) override;
    // The 4 bytes of value, little-endian; returns the offset they landed at (-1 when refused).
    int AppendDword(std::uint32_t value) override;
    // The 2 bytes of value, little-endian; returns the offset they landed at (-1 when refused).
    int AppendWord(std::uint16_t value) override;
    // Same bytes as the offset-returning form; pass an std::int16_t to pick this one.
    void AppendWord(std::int16_t value) override;
    // Copies count bytes to position, first extending the content (zero-filled) to
    // position + count when that lies past the end. Returns position; -1 for a negative
    // position or count, null bytes with count > 0, or a size that cannot be held.
    int WriteAt(int position, const void* bytes, int count) override;
    // Null bytes: -1. A count below 1 means strlen(bytes). Returns the old length (where the
    // bytes landed), or -1 when the new size cannot be held. bytes may point into this buffer.
    int Append(const void* bytes, int count) override;
    // A null text appends nothing and returns the length.
    int Append(const char* text) override;
    int AppendChar(char byte) override;
    // -1 when position < 0 or count < 1. Zero-fills from the old length up to
    // position + count, copies the bytes there when given, then sets the length to
    // position + count (cutting what followed). Returns position.
    int PutAt(int position, const void* bytes, int count) override;
    // Reserves length + 1 and puts a zero byte after the content.
    void Terminate() override;
    // Inserts count bytes at position (0..length; length appends). Returns position, or 0 and
    // does nothing for a position outside 0..length, null bytes, count < 1, or a size that
    // cannot be held. bytes may point into this buffer.
    int Insert(int position, const void* bytes, int count) override;
    // Insert with count = strlen(text); 0 for a null text.
    int Insert(int position, const char* text) override;
    int InsertChar(int position, char byte) override;
    // Frees the current block and takes ownership of block, which must come from malloc,
    // calloc or realloc. capacity is the block's size in bytes; below 1 it is taken to be
    // length. When the block has no room for the terminator it is enlarged with realloc.
    // A negative length counts as 0; a null block leaves the buffer without one. Attaching
    // the buffer's own block only updates the length and capacity.
    void Attach(void* block, int length, int capacity) override;
    // Hands the block to *block (when block is not null), then forgets it as Detach().
    void Detach(char** block) override;
    // minimumSize > 0: Reserve(minimumSize), then the block (null only when that size cannot
    // be provided). Otherwise the block, creating a terminated 1-byte-content block when there
    // is none.
    char* GetBuffer(int minimumSize) override;
    int GetLength() const override;
    // Block + length; null without a block.
    char* GetEnd() override;
    int GetCapacity() const override;
    int GetFreeSpace() const override;
    // Moves the first min(n, length) bytes to destination and removes them; returns the count
    // (0 when that is below 1 or destination is null).
    int TakeFront(void* destination, int n) override;
    // Removes the first min(n, length) bytes; returns the count (0 when below 1).
    int DeleteFront(int n) override;
    // Ignored for n < 0 or a size that cannot be held. Reserves n, zero-fills any bytes
    // between the old and the new length, sets the length and the terminator.
    void SetLength(int n) override;
    // SetLength(n), then the block; null when n < 0 or n bytes cannot be provided.
    char* GetBufferSetLength(int n) override;
    // The byte at index 0..length (index length gives the terminator); 0xFF otherwise.
    // A buffer without a block reads as the empty string.
    unsigned char GetAt(int index) const override;
    // Stores byte at index 0..length-1; also accepts a zero at index length. Anything else,
    // which would overwrite the terminator or lie outside the content, is refused.
    bool SetAt(int index, char byte) override;

    // The content (not a copy); null without a block.
    const char* GetData() const { return data_; }

protected:
    HBaseBuffer3() = default;
    HBaseBuffer3(const HBaseBuffer3& other);
    HBaseBuffer3(HBaseBuffer3&& other) noexcept;
    HBaseBuffer3& operator=(const HBaseBuffer3& other);
    HBaseBuffer3& operator=(HBaseBuffer3&& other) noexcept;

    // True when p points into the current block; such a source must survive reallocation.
    bool PointsInside(const void* p) const;
    // Reserve(n) and report whether the block now holds n bytes and a terminator.
    bool EnsureRoom(std::int64_t n);
    // Copies count bytes (count >= 0, may alias the block) to the end; -1 when refused.
    int AppendExact(const void* bytes, int count);
    // Removes count bytes at position; the caller has checked the range.
    void RemoveRange(int position, int count);
    void FreeBlock();

    char* data_ = nullptr;
    std::int32_t capacity_ = 0;
    std::int32_t length_ = 0;
};

// The full operation set and the shrink slack.
class HBaseBuffer : public HBaseBuffer3 {
public:
    static constexpr int kDefaultSlack = 128;

    // Compares the last strlen(text) bytes (all of the content when it is shorter) with text:
    // byte-exact, or ignoring the case of A to Z. 0 means equal, else the comparison's sign.
    // A null text counts as the empty string.
    int EndsWith(const char* text, bool caseSensitive) override;
    // Grows to exactly n + 1 bytes when the capacity is below that; shrinks to it when the
    // capacity is more than slack bytes above it (and the content allows); otherwise keeps it.
    void Reserve(int n) override;
    // Empty, then Reserve(1).
    void Reset() override;
    // Stores the slack and the second setting. The second setting is kept for callers that
    // want to record something with the slack; no storage decision reads it, so the storage
    // policy stays exact whatever it holds.
    void SetSlack(int slack, int second) override;
    // Search of upper-cased copies; -1 for a null or empty text or an empty buffer.
    int FindNoCase(const char* text) const override;
    // First occurrence at or after start; -1 for byte 0, an empty buffer or a start outside
    // 0..length-1. The searches look at the whole content, zero bytes included.
    int FindChar(char byte, int start) const override;
    // As FindChar for a substring; an empty or null text is never found.
    int Find(const char* text, int start) const override;
    int FindChar(char byte) const override;
    int Find(const char* text) const override;
    // Resets target, then moves the first line (ended by a line feed; a carriage return just
    // before it is dropped) out of this buffer into target. False, and this buffer unchanged,
    // when there is no line feed or target is this buffer.
    bool ReadLine(HBaseBuffer2& target) override;
    // Moves the first line into destination with a zero after it and returns its length.
    // The terminator (CR LF first, else a lone LF) must lie within the first
    // min(length, size - 1) bytes; with size < 1 within min(length, 4097) bytes, and then
    // destination must hold 4097 bytes. -1 for an empty buffer, a null destination or no
    // line; -2 when a size was given, no line fits and the content is longer than size.
    int ReadLine(char* destination, int size) override;
    int EndsWith(const char* text) override;
    int EndsWithNoCase(const char* text) override;
    // Finds oldText at or after start, replaces it by newText; the index, or -1 when not found
    // or a text is null.
    int ReplaceFrom(int start, const char* oldText, const char* newText) override;
    bool ReplaceFirst(const char* oldText, const char* newText) override;
    // 1 replaced, 0 not found, -1 for a null text or an empty buffer.
    int ReplaceFirstNoCase(const char* oldText, const char* newText) override;
    // Replaces every occurrence, continuing after each inserted text, so a newText that
    // contains oldText does not loop. True when anything was replaced.
    bool ReplaceAll(const char* oldText, const char* newText) override;
    // Deletes up to count bytes at position; position, or -1 for a position outside
    // 0..length-1 or a count below 1.
    int Delete(int position, int count) override;
    // Deletes the first occurrence of text; its index or -1.
    int Remove(const char* text) override;
    // Upper-cases a to z. The second byte of a double-byte (code page 950) character is left
    // alone, so the text's characters survive.
    void MakeUpper() override;
    // Terminate, then a comparison ignoring the case of A to Z (-1, 0, 1). Null counts as "".
    int CompareNoCase(const char* text) override;
    // Terminate, then a byte comparison (-1, 0, 1). Null counts as "".
    int Compare(const char* text) override;
    // Last occurrence; -1 for byte 0 or when absent.
    int ReverseFindChar(char byte) const override;
    // Replaces the content with the formatted text. The arguments may point into this buffer.
    // A null format or a formatting error leaves the content unchanged.
    HBUFFER_PRINTF(2, 3) void Format(const char* format, ...) override;
    HBUFFER_PRINTF(2, 0) void FormatV(const char* format, std::va_list args);
    // Remove leading / trailing 0x20 bytes.
    void TrimLeft() override;
    void TrimRight() override;
    // Replaces the content with the decimal text of value.
    void FromInt(std::int32_t value) override;
    // The first up to 8 bytes read as hexadecimal digits; any non-digit counts 0.
    std::uint32_t HexValue() const override;
    // Appends other's content; returns the old length (-1 when refused). other may be this.
    virtual int AppendBuffer(const HBaseBuffer3& other);                       // 57
    // Terminate, then compares the first strlen(text) bytes with text; 0 means equal.
    virtual int StartsWith(const char* text);                                  // 58
    // Empty, then appends other's content. Assigning a buffer to itself keeps its content.
    virtual void Assign(const HBaseBuffer3& other);                            // 59

    int GetSlack() const { return slack_; }
    int GetSecondSetting() const { return second_; }

protected:
    HBaseBuffer() = default;
    HBaseBuffer(const HBaseBuffer&) = default;
    HBaseBuffer(HBaseBuffer&&) noexcept = default;
    HBaseBuffer& operator=(const HBaseBuffer&) = default;
    HBaseBuffer& operator=(HBaseBuffer&&) noexcept = default;

    // Replaces oldLength bytes at position by newText; the index or -1 when refused.
    int ReplaceAt(int position, int oldLength, const char* newText);

    std::int32_t slack_ = kDefaultSlack;
    std::int32_t second_ = 0;
};
