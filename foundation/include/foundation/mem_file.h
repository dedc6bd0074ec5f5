// A file held wholly in memory: opened by name it loads the disk file and writes it back at Close
// when it was changed; given a byte block through Attach it is a plain memory stream.
#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/base_file.h"
#include "foundation/os_file.h"

class HMemFile : public HBaseFile {
public:
    // Called instead of std::free for each block this object lets go of; blocks come from std::malloc.
    using ReleaseFunction = void (*)(void*);
    static constexpr std::uint32_t kGrowthStep = 65536;

    HMemFile();
    ~HMemFile() override;

    bool IsOpen() const override;
    bool Open(const char* name, FileOpenMode mode) override;
    bool Open(const wchar_t* name, FileOpenMode mode) override;
    std::uint32_t GetPosition() const override;
    std::uint32_t GetLength() const override;
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    // Positions stay within 32 bits: a negative result becomes 0, one beyond 0xFFFFFFFF leaves the
    // position unchanged and returns 0xFFFFFFFF.
    std::uint32_t Seek(std::int32_t offset, int origin) override;
    bool SetLength(std::uint32_t length) override;
    // Returns 0 without change for a null buffer or when position + count would pass 4 GB.
    std::uint32_t Write(const void* buffer, std::uint32_t count) override;
    void Flush() override;
    bool Close() override;
    const wchar_t* GetFileNameW() const override;
    const char* GetFileName() const override;
    bool IsTemporary() const override;
    // Replaces the content with a copy of data (the caller keeps its block). The disk file of an
    // earlier Open is let go, so that unrelated content is never written back into it.
    virtual bool Attach(const void* data, std::uint32_t length, ReleaseFunction release);

    // Makes room for size bytes of content at once, for a caller that knows how large the content
    // will grow; false when the block cannot be had.
    bool Reserve(std::uint64_t size);

    // The content, for reading or patching in place; null when there is no block.
    std::uint8_t* GetData() const { return data_; }
    // Bytes reserved for the content.
    std::size_t GetCapacity() const { return capacity_; }

private:
    template <class Char>
    bool OpenAny(const Char* name, FileOpenMode mode);
    void FreeBlock(std::uint8_t* block) const;
    bool WriteBack();

    std::uint8_t* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::uint32_t length_ = 0;
    std::uint32_t position_ = 0;
    bool modified_ = false;
    std::uint32_t growthStep_ = kGrowthStep;
    OS_File backing_;
    ReleaseFunction release_ = nullptr;
};
