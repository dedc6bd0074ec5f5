// Mutexes, events and file mappings as a process holds them.
//
// A named object is a file under the prefix (object_store.h gives the protocol). A process holds
// one KernelObject per object, however many handles it opened: ownership of a mutex belongs to a
// thread, not to a handle, so all handles of a process share one open file description and its
// locks. An unnamed object is an anonymous memory file with the same layout.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "files/handles.h"
#include "platform/fileapi.h"
#include "platform/wintypes.h"

namespace platform::objects {

enum class Kind { Mapping = 0, Mutex = 1, Event = 2 };

class KernelObject {
public:
    // Takes over fd. path is empty for an unnamed object.
    KernelObject(Kind kind, int fd, std::string path, bool writable);
    // Closes the descriptor; the last holder of a named object anywhere removes its file.
    virtual ~KernelObject();
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    Kind kind() const { return kind_; }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool writable() const { return writable_; }

    // One look at the object for a wait: WAIT_OBJECT_0 or WAIT_ABANDONED when the wait is
    // satisfied (and its effect taken), nullopt when it is not signalled yet, WAIT_FAILED with the
    // last error set when it cannot be waited on.
    virtual std::optional<DWORD> TryWait();

private:
    Kind kind_;
    int fd_;
    std::string path_;
    bool writable_;
};

// What a HANDLE to a kernel object stands for: the object and the access it was opened with.
class ObjectHandle : public handles::Object {
public:
    ObjectHandle(std::shared_ptr<KernelObject> object, DWORD access) : object_(std::move(object)), access_(access) {}
    const std::shared_ptr<KernelObject>& object() const { return object_; }
    DWORD access() const { return access_; }

private:
    std::shared_ptr<KernelObject> object_;
    DWORD access_;
};

// A new handle to object (null for a null object).
HANDLE NewHandle(std::shared_ptr<KernelObject> object, DWORD access);

// The object of type T behind h with the handle's access, or null with ERROR_INVALID_HANDLE set.
template <class T>
std::shared_ptr<T> LookupObject(HANDLE h, DWORD* access = nullptr) {
    const auto handle = handles::LookupAs<ObjectHandle>(h);
    std::shared_ptr<T> object = handle ? std::dynamic_pointer_cast<T>(handle->object()) : nullptr;
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (access) *access = handle->access();
    return object;
}

}  // namespace platform::objects
