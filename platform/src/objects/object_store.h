// Named kernel objects on the prefix, shared between processes through files and Linux
// open-file-description (OFD) locks, which the kernel drops when the last descriptor of the
// description closes, also when its process dies:
//
// - Every process that holds an object holds a read lock on byte kHolderMarker + kind of its
//   file (0 mapping, 1 mutex, 2 event), far beyond the file's data. A file on which nobody holds
//   such a lock is no object: it was left by a process that ended; Open does not see it and
//   Create replaces it. A marker of another kind means the name belongs to another object.
// - Creating an object or removing its file happens under a write lock on byte 0 of
//   <root>/.eudc/objects/.lock, opening one under a read lock there.
// - The process that closes its last handle turns its marker into a write lock; when that
//   succeeds nobody else holds the object and it removes the file, as Windows destroys an object
//   with its last handle.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "objects/kernel_object.h"
#include "objects/object_name.h"
#include "platform/fileapi.h"

namespace platform::objects {

constexpr long long kHolderMarker = 0x7FFFFFFF10000000LL;

struct NewObject {
    Kind kind;
    unsigned mode;                           // permission bits of a new object's file
    std::function<bool(int fd)> initialise;  // writes a new object's content; false with the last error set
};
// Makes the process's object for an opened file (a new one, or one that exists).
using MakeObject = std::function<std::shared_ptr<KernelObject>(int fd, const std::string& path, bool writable)>;

// CreateXxxA: a null or empty name makes an unnamed object. Sets the last error to
// ERROR_ALREADY_EXISTS when the object existed, else to 0; on failure returns null with the
// error set.
HANDLE CreateObjectHandle(LPCSTR name, const NewObject& wanted, const MakeObject& make, DWORD access);
// OpenXxxA. needWrite: the object cannot be used through a read-only descriptor.
HANDLE OpenObjectHandle(LPCSTR name, Kind kind, bool needWrite, const MakeObject& make, DWORD access);

}  // namespace platform::objects

namespace platform::objects {

// The close of a process's last handle to a named object (see above); closes fd.
void ReleaseObjectFile(int fd, const std::string& path, Kind kind);

}  // namespace platform::objects
