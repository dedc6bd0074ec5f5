// The object behind a file HANDLE.
#pragma once
#include <memory>

#include "files/handles.h"

namespace platform::files {

class FileObject : public handles::Object {
public:
    FileObject(int fd, bool canRead, bool canWrite, bool writeThrough = false)
        : fd_(fd), canRead_(canRead), canWrite_(canWrite), writeThrough_(writeThrough) {}
    ~FileObject() override;
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int fd() const { return fd_; }
    // The Win32 access rights of the handle; the descriptor itself may be opened more widely.
    bool canRead() const { return canRead_; }
    bool canWrite() const { return canWrite_; }
    bool writeThrough() const { return writeThrough_; }

private:
    int fd_;
    bool canRead_;
    bool canWrite_;
    bool writeThrough_;
};

// The file behind h, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<FileObject> LookupFile(HANDLE h);

}  // namespace platform::files
