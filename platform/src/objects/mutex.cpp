// Mutexes. The file holds one byte, the owned marker; the owning process holds a write lock on
// it (byte 0). The owner sets the marker when it takes the mutex and clears it before it lets
// go, so a waiter that gets the lock while the marker is still set knows that the owner ended
// without releasing: WAIT_ABANDONED, and the waiter owns the mutex. Inside the process the mutex
// belongs to one thread, which may take it again and must release it as often.
#include <unistd.h>

#include <mutex>
#include <thread>

#include "objects/byte_lock.h"
#include "objects/object_store.h"
#include "platform/synchapi.h"
#include "security/everyone_rights.h"

namespace platform::objects {

namespace {

constexpr long long kOwnedByte = 0;
const security::GenericMapping kMutexRights = {READ_CONTROL | 0x0001u, READ_CONTROL, READ_CONTROL | SYNCHRONIZE,
                                               MUTEX_ALL_ACCESS};

class MutexObject : public KernelObject {
public:
    MutexObject(int fd, const std::string& path, bool writable) : KernelObject(Kind::Mutex, fd, path, writable) {}

    // The calling thread takes a new mutex whose owned marker and lock initialise() placed.
    void OwnNew() {
        std::lock_guard<std::mutex> guard(mutex_);
        owner_ = std::this_thread::get_id();
        count_ = 1;
    }

    std::optional<DWORD> TryWait() override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (count_ > 0) {
            if (owner_ != std::this_thread::get_id()) return std::nullopt;
            ++count_;
            return WAIT_OBJECT_0;
        }
        if (!LockByte(fd(), kOwnedByte, F_WRLCK)) {
            if (LockIsBusy(errno)) return std::nullopt;
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        BYTE marker = 0;
        const BYTE owned = 1;
        if (pread(fd(), &marker, 1, kOwnedByte) < 0 || pwrite(fd(), &owned, 1, kOwnedByte) != 1) {
            LockByte(fd(), kOwnedByte, F_UNLCK);
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        owner_ = std::this_thread::get_id();
        count_ = 1;
        return marker ? WAIT_ABANDONED : WAIT_OBJECT_0;
    }

    bool Release() {
        std::lock_guard<std::mutex> guard(mutex_);
        if (count_ == 0 || owner_ != std::this_thread::get_id()) return false;
        if (--count_ > 0) return true;
        const BYTE released = 0;
        (void)!pwrite(fd(), &released, 1, kOwnedByte);
        LockByte(fd(), kOwnedByte, F_UNLCK);
        owner_ = std::thread::id();
        return true;
    }

private:
    std::mutex mutex_;
    std::thread::id owner_;
    unsigned count_ = 0;
};

std::shared_ptr<KernelObject> MakeMutex(int fd, const std::string& path, bool writable) {
    return std::make_shared<MutexObject>(fd, path, writable);
}

}  // namespace

}  // namespace platform::objects

using namespace platform::objects;

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES sa, BOOL initialOwner, LPCSTR name) {
    ACCESS_MASK everyone = 0;
    if (!platform::security::EveryoneRights(sa, kMutexRights, &everyone)) return nullptr;
    // Taking the mutex needs a write lock, and so a descriptor open for writing.
    bool made = false;
    NewObject wanted{Kind::Mutex, (everyone & SYNCHRONIZE) ? 0666u : 0600u, [&](int fd) {
                       const BYTE marker = initialOwner ? 1 : 0;
                       made = pwrite(fd, &marker, 1, kOwnedByte) == 1 &&
                              (!initialOwner || LockByte(fd, kOwnedByte, F_WRLCK));
                       if (!made) SetLastError(ERROR_WRITE_FAULT);
                       return made;
                   }};
    HANDLE handle = CreateObjectHandle(name, wanted, MakeMutex, MUTEX_ALL_ACCESS);
    // An existing mutex is only opened, never taken; initialise() ran only for a new one.
    if (handle && made && initialOwner) {
        const DWORD error = GetLastError();
        LookupObject<MutexObject>(handle)->OwnNew();
        SetLastError(error);
    }
    return handle;
}

HANDLE OpenMutexA(DWORD access, BOOL, LPCSTR name) {
    return OpenObjectHandle(name, Kind::Mutex, true, MakeMutex, platform::security::MapGeneric(access, kMutexRights));
}

BOOL ReleaseMutex(HANDLE mutex) {
    const std::shared_ptr<MutexObject> object = LookupObject<MutexObject>(mutex);
    if (!object) return FALSE;
    if (!object->Release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}
