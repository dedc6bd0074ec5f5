// The common interface of the file classes. Lengths, positions and counts are unsigned 32-bit,
// seek offsets signed 32-bit; files of 4 GB or more are not supported.
#pragma once
#include <cstdint>

#include "foundation/file_open_mode.h"

class HBaseFile {
public:
    // Seek origins.
    static constexpr int kBegin = 0;
    static constexpr int kCurrent = 1;
    static constexpr int kEnd = 2;
    // Bulk moves go through one buffer of this size.
    static constexpr std::uint32_t kTransferChunk = 400 * 1024;

    HBaseFile() = default;
    HBaseFile(const HBaseFile&) = delete;
    HBaseFile& operator=(const HBaseFile&) = delete;

    // The virtual operations, in their fixed order.
    virtual ~HBaseFile();
    virtual bool IsOpen() const = 0;
    // Removes count bytes at position, moving the bytes after them down. false (nothing changed)
    // when the range does not lie inside the file.
    virtual bool DeleteRange(std::uint32_t position, std::uint32_t count);
    virtual bool Open(const char* name, FileOpenMode mode) = 0;
    virtual bool Open(const wchar_t* name, FileOpenMode mode) = 0;
    virtual std::uint32_t GetPosition() const = 0;
    virtual std::uint32_t GetLength() const = 0;
    virtual std::uint32_t Read(void* buffer, std::uint32_t count) = 0;
    virtual std::uint32_t Seek(std::int32_t offset, int origin) = 0;
    virtual bool SetLength(std::uint32_t length) = 0;
    virtual std::uint32_t Write(const void* buffer, std::uint32_t count) = 0;
    virtual void Flush() = 0;
    virtual bool Close() = 0;
    virtual const wchar_t* GetFileNameW() const;
    virtual const char* GetFileName() const;
    virtual bool IsTemporary() const;

    std::uint32_t SeekToBegin();
    std::uint32_t SeekToEnd();
    std::uint32_t SeekFromBegin(std::uint32_t position);
    // Copies the whole content into target (from its beginning) and gives target the same length;
    // this file's position is kept. false for a null target or when a transfer falls short.
    bool CopyTo(HBaseFile* target);
    // Moves the bytes from position to the end by delta (up when positive, down when negative). A
    // gap opened keeps its old bytes; moving down does not shorten the file. false when nothing
    // could be moved as asked (a target before the file's start or beyond 2 GB, a short transfer).
    bool ShiftTail(std::uint32_t position, std::int32_t delta);
};
