#include "files/file_object.h"

#include "files/delete_pending.h"

#include <unistd.h>

#include "platform/fileapi.h"

namespace platform::files {

FileObject::~FileObject() {
    if (fd_ < 0) return;
    CloseWithPendingDelete(fd_);
    close(fd_);
}

std::shared_ptr<FileObject> LookupFile(HANDLE h) {
    std::shared_ptr<FileObject> file = handles::LookupAs<FileObject>(h);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

}  // namespace platform::files
