#include "objects/kernel_object.h"

#include "objects/object_store.h"
#include "platform/synchapi.h"

namespace platform::objects {

KernelObject::KernelObject(Kind kind, int fd, std::string path, bool writable)
    : kind_(kind), fd_(fd), path_(std::move(path)), writable_(writable) {}

KernelObject::~KernelObject() {
    if (fd_ >= 0) ReleaseObjectFile(fd_, path_, kind_);
}

std::optional<DWORD> KernelObject::TryWait() {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

HANDLE NewHandle(std::shared_ptr<KernelObject> object, DWORD access) {
    if (!object) return nullptr;
    return handles::Register(std::make_shared<ObjectHandle>(std::move(object), access));
}

}  // namespace platform::objects
