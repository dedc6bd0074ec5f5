// A scratch file: its content stays in memory up to a threshold, then moves into a uniquely named
// file in a temporary folder.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "foundation/base_file.h"

class HTmpFile : public HBaseFile {
public:
    static constexpr std::int32_t kDefaultThreshold = 128000;

    HTmpFile();
    ~HTmpFile() override;

    // threshold: bytes kept in memory (below 1: straight to disk, and the file is named and created
    // at once); directory: where the file goes (null or empty: the system temporary folder), or its
    // full name when useDirectoryAsName is set; removeOnClose: delete the file at Close.
    bool Configure(std::int32_t threshold, const char* directory, bool useDirectoryAsName, bool removeOnClose);

    bool IsOpen() const override;
    bool Open(const char* name, FileOpenMode mode) override;
    bool Open(const wchar_t* name, FileOpenMode mode) override;
    std::uint32_t GetPosition() const override;
    std::uint32_t GetLength() const override;
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    std::uint32_t Seek(std::int32_t offset, int origin) override;
    // Without any content yet: true for length 0 (already so), false for anything longer.
    bool SetLength(std::uint32_t length) override;
    std::uint32_t Write(const void* buffer, std::uint32_t count) override;
    void Flush() override;
    // Content still in memory is dropped when the file is to be removed anyway, and written to the
    // disk file when the file is to be kept (false if that fails). Everything returns to the defaults.
    bool Close() override;
    const wchar_t* GetFileNameW() const override;
    const char* GetFileName() const override;
    bool IsTemporary() const override;

    // Moves in-memory content to the disk file; the file's unique number, 0 when nothing moved.
    std::uint32_t SpillToDisk();

private:
    bool FixName();
    void ResetSettings();

    std::int32_t threshold_ = kDefaultThreshold;
    bool useDirectoryAsName_ = false;
    bool removeOnClose_ = true;
    std::string path_;
    std::string directory_;
    std::unique_ptr<HBaseFile> backing_;
    std::uint32_t onDisk_ = 0;
    std::uint32_t uniqueNumber_ = 0;
};
