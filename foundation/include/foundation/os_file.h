// A file class over an operating-system file handle.
#pragma once
#include <string>

#include "foundation/base_file.h"

class OS_File : public HBaseFile {
public:
    OS_File();
    ~OS_File() override;

    bool IsOpen() const override;
    bool Open(const char* name, FileOpenMode mode) override;
    bool Open(const wchar_t* name, FileOpenMode mode) override;
    std::uint32_t GetPosition() const override;
    std::uint32_t GetLength() const override;
    std::uint32_t Read(void* buffer, std::uint32_t count) override;
    std::uint32_t Seek(std::int32_t offset, int origin) override;
    bool SetLength(std::uint32_t length) override;
    std::uint32_t Write(const void* buffer, std::uint32_t count) override;
    void Flush() override;
    bool Close() override;
    const wchar_t* GetFileNameW() const override;
    const char* GetFileName() const override;
    bool IsTemporary() const override;

private:
    // The steps both Open forms share: close, decode the mode, call CreateFileA or CreateFileW.
    HANDLE OpenHandle(const void* name, bool wide, FileOpenMode mode);

    // The name of the last successful open: narrowName_ or wideName_, as wideNameFlag_ says.
    std::string narrowName_;
    std::wstring wideName_;
    bool wideNameFlag_ = false;
    HANDLE handle_;
};
