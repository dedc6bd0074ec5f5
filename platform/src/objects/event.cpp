// Events. The file holds two bytes: byte 0 is the set state (1 set, 0 reset), byte 1 is 1 for a
// manual-reset event. Changing or consuming the state happens under a write lock on byte 0, so
// that exactly one waiter consumes an auto-reset event.
#include <unistd.h>

#include <mutex>

#include "objects/byte_lock.h"
#include "objects/object_store.h"
#include "platform/synchapi.h"
#include "security/everyone_rights.h"

namespace platform::objects {

namespace {

constexpr long long kStateByte = 0;
constexpr long long kManualByte = 1;
const security::GenericMapping kEventRights = {READ_CONTROL | 0x0001u, READ_CONTROL | EVENT_MODIFY_STATE,
                                               READ_CONTROL | SYNCHRONIZE, EVENT_ALL_ACCESS};

class EventObject : public KernelObject {
public:
    EventObject(int fd, const std::string& path, bool writable) : KernelObject(Kind::Event, fd, path, writable) {
        BYTE manual = 0;
        manual_ = pread(fd, &manual, 1, kManualByte) == 1 && manual != 0;
    }

    bool Set(bool state) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!LockByte(fd(), kStateByte, F_WRLCK, true)) return false;
        const BYTE value = state ? 1 : 0;
        const bool written = pwrite(fd(), &value, 1, kStateByte) == 1;
        LockByte(fd(), kStateByte, F_UNLCK);
        return written;
    }

    std::optional<DWORD> TryWait() override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!LockByte(fd(), kStateByte, F_WRLCK, true)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        BYTE state = 0;
        const BYTE reset = 0;
        bool signalled = pread(fd(), &state, 1, kStateByte) == 1 && state != 0;
        if (signalled && !manual_) signalled = pwrite(fd(), &reset, 1, kStateByte) == 1;
        LockByte(fd(), kStateByte, F_UNLCK);
        if (!signalled) return std::nullopt;
        return WAIT_OBJECT_0;
    }

private:
    std::mutex mutex_;  // the threads of this process share one description, and so its locks
    bool manual_ = false;
};

std::shared_ptr<KernelObject> MakeEvent(int fd, const std::string& path, bool writable) {
    return std::make_shared<EventObject>(fd, path, writable);
}

BOOL SetState(HANDLE event, bool state) {
    DWORD access = 0;
    const std::shared_ptr<EventObject> object = LookupObject<EventObject>(event, &access);
    if (!object) return FALSE;
    if (!(access & EVENT_MODIFY_STATE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!object->Set(state)) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

}  // namespace platform::objects

using namespace platform::objects;

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES sa, BOOL manualReset, BOOL initialState, LPCSTR name) {
    ACCESS_MASK everyone = 0;
    if (!platform::security::EveryoneRights(sa, kEventRights, &everyone)) return nullptr;
    // Setting the event and consuming it both write the file.
    const unsigned mode = (everyone & (EVENT_MODIFY_STATE | SYNCHRONIZE)) ? 0666u : 0600u;
    NewObject wanted{Kind::Event, mode, [&](int fd) {
                       const BYTE bytes[2] = {static_cast<BYTE>(initialState ? 1 : 0),
                                              static_cast<BYTE>(manualReset ? 1 : 0)};
                       if (pwrite(fd, bytes, 2, 0) == 2) return true;
                       SetLastError(ERROR_WRITE_FAULT);
                       return false;
                   }};
    return CreateObjectHandle(name, wanted, MakeEvent, EVENT_ALL_ACCESS);
}

HANDLE OpenEventA(DWORD access, BOOL, LPCSTR name) {
    return OpenObjectHandle(name, Kind::Event, true, MakeEvent, platform::security::MapGeneric(access, kEventRights));
}

BOOL SetEvent(HANDLE event) { return SetState(event, true); }

BOOL ResetEvent(HANDLE event) { return SetState(event, false); }
